// The colour index palette.
#include "host/drawing/color_index.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace host {
namespace {

struct Rgb8 {
  int r, g, b;
};

// The palette: 1..9 fixed colours, 10..249 24 hues in 15 degree steps, each in five
// brightnesses at full and half saturation, 250..255 greys.
std::array<Rgb8, 256> make_palette() {
  std::array<Rgb8, 256> p{};
  const Rgb8 fixed[10] = {{0, 0, 0},       {255, 0, 0},    {255, 255, 0}, {0, 255, 0},
                          {0, 255, 255},   {0, 0, 255},    {255, 0, 255}, {255, 255, 255},
                          {128, 128, 128}, {192, 192, 192}};
  std::copy(std::begin(fixed), std::end(fixed), p.begin());
  const double brightness[5] = {1.0, 0.65, 0.5, 0.3, 0.15};
  for (int i = 10; i < 250; ++i) {
    double hue = ((i - 10) / 10) * 15.0;
    double max = 255 * brightness[(i % 10) / 2];
    double min = (i % 2) ? max / 2 : 0;
    auto channel = [&](double h) {
      h = std::fmod(h + 360.0, 360.0);
      double t = h < 60 ? h / 60 : h < 180 ? 1 : h < 240 ? (240 - h) / 60 : 0;
      return static_cast<int>(min + (max - min) * t);
    };
    // red peaks at 0, green at 120, blue at 240 degrees
    p[i] = {channel(hue + 120), channel(hue), channel(hue - 120)};
  }
  const int greys[6] = {51, 80, 105, 130, 190, 255};
  for (int i = 0; i < 6; ++i) p[250 + i] = {greys[i], greys[i], greys[i]};
  return p;
}

const std::array<Rgb8, 256>& palette() {
  static const auto p = make_palette();
  return p;
}

int channel8(double v) {
  return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
}

}  // namespace

Rgb aci_to_rgb(int aci) {
  if (aci < 1 || aci > 255) aci = 7;
  const Rgb8& c = palette()[aci];
  return {c.r / 255.0, c.g / 255.0, c.b / 255.0};
}

int nearest_aci(const Rgb& color) {
  int r = channel8(color.r), g = channel8(color.g), b = channel8(color.b);
  int best = 7;
  long best_distance = -1;
  for (int i = 1; i < 256; ++i) {
    const Rgb8& c = palette()[i];
    long d = long(c.r - r) * (c.r - r) + long(c.g - g) * (c.g - g) + long(c.b - b) * (c.b - b);
    if (best_distance < 0 || d < best_distance) {
      best = i;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace host
