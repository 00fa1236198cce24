// Raster pictures: PNG through cairo itself, JPEG through libjpeg (cairo reads no JPEG).
#include "host/plot/raster.h"

#include <jpeglib.h>

#include <csetjmp>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "host/files/jpeg_error.h"

namespace host {
namespace {

// A JPEG file as an RGB image surface; nullptr when it cannot be read. libjpeg reports
// errors by a jump, so nothing here owns C++ objects across the calls that may jump.
cairo_surface_t* load_jpeg(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return nullptr;
  jpeg_decompress_struct info{};
  JpegError error{};
  cairo_surface_t* volatile surface = nullptr;
  info.err = jpeg_std_error(&error.mgr);
  error.mgr.error_exit = on_jpeg_error;
  if (setjmp(error.jump)) {
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    if (surface) cairo_surface_destroy(surface);
    return nullptr;
  }
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, file);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  const int w = static_cast<int>(info.output_width), h = static_cast<int>(info.output_height);
  surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) std::longjmp(error.jump, 1);
  unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             static_cast<JDIMENSION>(w) * 3, 1);
  while (info.output_scanline < info.output_height) {
    const int y = static_cast<int>(info.output_scanline);
    jpeg_read_scanlines(&info, row, 1);
    auto* out = reinterpret_cast<std::uint32_t*>(data + y * stride);
    for (int x = 0; x < w; ++x)
      out[x] = (std::uint32_t{row[0][3 * x]} << 16) | (std::uint32_t{row[0][3 * x + 1]} << 8) |
               row[0][3 * x + 2];
  }
  cairo_surface_mark_dirty(surface);
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(file);
  return surface;
}

cairo_surface_t* load_raster(const std::string& path) {
  const auto dot = path.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : path.substr(dot + 1);
  for (char& c : ext) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  if (ext == "jpg" || ext == "jpeg") return load_jpeg(path);
  if (ext != "png") return nullptr;
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) return s;
  cairo_surface_destroy(s);
  return nullptr;
}

// The pixels of an image surface (RGB24 or ARGB32) in the mode: greys, or black and white
// split at half luminance, so that a picture keeps its paper white.
void picture_in_mode(ColorMode mode, cairo_surface_t* image) {
  if (mode == ColorMode::AsDrawn || cairo_surface_get_type(image) != CAIRO_SURFACE_TYPE_IMAGE)
    return;
  const cairo_format_t format = cairo_image_surface_get_format(image);
  if (format != CAIRO_FORMAT_RGB24 && format != CAIRO_FORMAT_ARGB32) return;
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int w = cairo_image_surface_get_width(image), h = cairo_image_surface_get_height(image);
  const int stride = cairo_image_surface_get_stride(image);
  if (!data) return;
  for (int y = 0; y < h; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = row[x];
      const std::uint32_t a = format == CAIRO_FORMAT_ARGB32 ? p >> 24 : 255;
      // channels are premultiplied by alpha: the grey of them is premultiplied too
      const double l = 0.2126 * ((p >> 16) & 0xFF) + 0.7152 * ((p >> 8) & 0xFF) + 0.0722 * (p & 0xFF);
      std::uint32_t g = static_cast<std::uint32_t>(std::clamp(l + 0.5, 0.0, 255.0));
      if (mode == ColorMode::Monochrome) g = (a > 0 && l >= a * 0.5) ? a : 0;
      row[x] = (a << 24) | (g << 16) | (g << 8) | g;
    }
  }
  cairo_surface_mark_dirty(image);
}


}  // namespace

void draw_raster(cairo_t* cr, const Element& e, ColorMode mode) {
  if (e.points.size() < 3 || e.source.empty()) return;
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> picture(
      load_raster(e.source), &cairo_surface_destroy);
  if (!picture) return;
  picture_in_mode(mode, picture.get());
  const double w = cairo_image_surface_get_width(picture.get());
  const double h = cairo_image_surface_get_height(picture.get());
  if (!(w > 0) || !(h > 0)) return;
  const Vec2 o = e.points[0];
  const Vec2 u{e.points[1].x - o.x, e.points[1].y - o.y},
      v{e.points[2].x - o.x, e.points[2].y - o.y};
  // pixel rows run downwards from the upper left corner
  cairo_matrix_t m;
  cairo_matrix_init(&m, u.x / w, u.y / w, -v.x / h, -v.y / h, o.x + v.x, o.y + v.y);
  if (u.x * v.y - u.y * v.x == 0) return;
  cairo_save(cr);
  if (e.points.size() >= 6) {
    // the picture cut to its clipping boundary
    cairo_new_path(cr);
    for (std::size_t i = 3; i < e.points.size(); ++i)
      cairo_line_to(cr, e.points[i].x, e.points[i].y);
    cairo_close_path(cr);
    cairo_clip(cr);
  }
  cairo_transform(cr, &m);
  cairo_set_source_surface(cr, picture.get(), 0, 0);
  cairo_rectangle(cr, 0, 0, w, h);
  cairo_fill(cr);
  cairo_restore(cr);
}

}  // namespace host
