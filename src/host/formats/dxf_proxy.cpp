// Proxy graphics, decoded into host elements.
//
// The data: a header of two 32-bit numbers (total size, number of primitives), then the
// primitives, each a 32-bit size (header included) and a 32-bit type, then its data. All
// numbers are little-endian; points are three 64-bit doubles in world coordinates (or the
// block's, inside a block definition); strings are zero-terminated and padded to four bytes
// (UTF-16 for the "unicode" primitives, else the drawing's code page). Attribute primitives
// (colour, layer, line type, weight, fill, a transform) change what the drawing primitives
// after them use. The one exception to the byte layout is the light-weight polyline, which
// keeps the bit-packed form it has inside DWG files.
#include "host/formats/dxf_proxy.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <numbers>
#include <optional>
#include <set>
#include <utility>

#include "host/formats/dxf_bands.h"
#include "host/formats/dxf_geometry.h"
#include "host/formats/dxf_kept.h"
#include "host/formats/dxf_raw.h"

static_assert(std::endian::native == std::endian::little,
              "the proxy graphic decoder copies little-endian numbers as they are");

namespace host::dxf {

bool draws_proxy_graphic(const std::string& entity) {
  if (entity == "ACAD_PROXY_ENTITY") return true;
  // what the reader draws itself, leaves out on purpose (solids, lights, cameras), or what
  // structures the file
  static const std::set<std::string, std::less<>> known = {
      "LINE",     "POINT",     "CIRCLE",   "ARC",      "ELLIPSE",  "POLYLINE",  "VERTEX",
      "SEQEND",   "LWPOLYLINE", "SPLINE",  "SOLID",    "TRACE",    "3DFACE",    "XLINE",
      "RAY",      "LEADER",    "DIMENSION", "TEXT",    "MTEXT",    "ATTRIB",    "INSERT",
      "VIEWPORT", "BLOCK",     "ENDBLK",   "SECTION",  "ENDSEC",   "EOF",       "TABLE",
      "ENDTAB",   "3DSOLID",   "REGION",   "BODY",     "OLE2FRAME", "OLEFRAME", "SHAPE",
      "LIGHT",    "CAMERA",    "SUN"};
  return !entity.empty() && !known.contains(entity) && !entity.ends_with("SURFACE") &&
         !RawCapture::keeps_groups(entity);
}

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string proxy_graphic_bytes(const Groups& groups) {
  std::size_t i = 0;
  for (; i + 1 < groups.size(); ++i) {
    if (groups[i].first >= 1000) return {};  // the XDATA holds no graphic
    if ((groups[i].first == 92 || groups[i].first == 160) && groups[i + 1].first == 310) break;
  }
  if (i + 1 >= groups.size()) return {};
  const double declared = to_real(groups[i].second, -1);
  std::string bytes;
  for (++i; i < groups.size() && groups[i].first == 310; ++i) {
    const std::string& hex = groups[i].second;
    for (std::size_t k = 0; k + 1 < hex.size(); k += 2) {
      const int hi = hex_digit(hex[k]), lo = hex_digit(hex[k + 1]);
      if (hi < 0 || lo < 0) break;
      bytes.push_back(static_cast<char>(hi * 16 + lo));
    }
  }
  if (declared >= 0 && declared < static_cast<double>(bytes.size()))
    bytes.resize(static_cast<std::size_t>(declared));
  return bytes;
}

namespace {

struct V3 {
  double x = 0, y = 0, z = 0;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double norm(V3 a) { return std::sqrt(dot(a, a)); }
bool finite(V3 a) { return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(a.z); }
std::optional<V3> unit(V3 a) {
  const double n = norm(a);
  if (!(n > 1e-300) || !std::isfinite(n)) return std::nullopt;
  return a * (1 / n);
}

// The x and y axes of the plane with this normal (the arbitrary-axis rule of DXF files).
std::pair<V3, V3> plane_axes(V3 normal) {
  const V3 n = unit(normal).value_or(V3{0, 0, 1});
  const V3 ax = unit(std::fabs(n.x) < 1.0 / 64 && std::fabs(n.y) < 1.0 / 64 ? cross({0, 1, 0}, n)
                                                                            : cross({0, 0, 1}, n))
                    .value_or(V3{1, 0, 0});
  return {ax, cross(n, ax)};
}

// A 3D affine map: x' = m[0] x + m[1] y + m[2] z + m[3], and so on for y' (m[4..7]), z'.
struct Matrix {
  std::array<double, 12> m{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};

  V3 point(V3 p) const { return vector(p) + V3{m[3], m[7], m[11]}; }
  V3 vector(V3 v) const {
    return {m[0] * v.x + m[1] * v.y + m[2] * v.z, m[4] * v.x + m[5] * v.y + m[6] * v.z,
            m[8] * v.x + m[9] * v.y + m[10] * v.z};
  }
  // First `inner`, then this.
  Matrix after(const Matrix& inner) const {
    Matrix r;
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col < 4; ++col) {
        double v = col == 3 ? m[row * 4 + 3] : 0;
        for (int k = 0; k < 3; ++k) v += m[row * 4 + k] * inner.m[k * 4 + col];
        r.m[row * 4 + col] = v;
      }
    return r;
  }
};

// Reads one primitive's data; any read past its end fails, and so does every read after.
class Bytes {
 public:
  explicit Bytes(std::string_view d) : d_(d) {}
  bool ok() const { return ok_; }
  std::size_t left() const { return ok_ ? d_.size() - i_ : 0; }

  std::uint32_t u32() {
    std::uint32_t v = 0;
    copy(&v, 4);
    return v;
  }
  std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
  double f64() {
    double v = 0;
    copy(&v, 8);
    return std::isfinite(v) ? v : (ok_ = false, 0.0);
  }
  V3 v3() {
    V3 p;
    p.x = f64();
    p.y = f64();
    p.z = f64();
    return p;
  }
  // A zero-terminated string padded to four bytes; of 16-bit units for `wide`.
  std::string text(bool wide) {
    const std::size_t unit = wide ? 2 : 1;
    std::size_t end = i_;
    while (ok_ && end + unit <= d_.size() &&
           !(d_[end] == 0 && (!wide || d_[end + 1] == 0)))
      end += unit;
    if (!ok_ || end + unit > d_.size()) {
      ok_ = false;
      return {};
    }
    std::string s(d_.substr(i_, end - i_));
    i_ = std::min(d_.size(), (end + unit + 3) / 4 * 4);
    return wide ? utf16_to_utf8(s) : s;
  }

 private:
  void copy(void* out, std::size_t n) {
    if (!ok_ || d_.size() - i_ < n) {
      ok_ = false;
      return;
    }
    std::memcpy(out, d_.data() + i_, n);
    i_ += n;
  }
  static std::string utf16_to_utf8(std::string_view s) {
    std::string out;
    for (std::size_t k = 0; k + 1 < s.size(); k += 2) {
      std::uint32_t c = static_cast<unsigned char>(s[k]) | static_cast<unsigned char>(s[k + 1]) << 8;
      if (c >= 0xD800 && c < 0xDC00 && k + 3 < s.size()) {
        const std::uint32_t lo =
            static_cast<unsigned char>(s[k + 2]) | static_cast<unsigned char>(s[k + 3]) << 8;
        if (lo >= 0xDC00 && lo < 0xE000) {
          c = 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
          k += 2;
        }
      }
      if (c >= 0xD800 && c < 0xE000) c = 0xFFFD;
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }

  std::string_view d_;
  std::size_t i_ = 0;
  bool ok_ = true;
};

// The bit-packed numbers of DWG files: each byte's bits from the highest, numbers of several
// bytes little-endian, short forms announced by a two-bit code.
class Bits {
 public:
  explicit Bits(std::string_view d) : d_(d) {}
  bool ok() const { return ok_; }
  std::size_t bits_left() const { return ok_ ? d_.size() * 8 - bit_ : 0; }

  unsigned bits(int n) {
    if (bits_left() < static_cast<std::size_t>(n)) {
      ok_ = false;
      return 0;
    }
    unsigned v = 0;
    for (int k = 0; k < n; ++k, ++bit_)
      v = v << 1 | (static_cast<unsigned char>(d_[bit_ / 8]) >> (7 - bit_ % 8) & 1);
    return v;
  }
  void raw(unsigned char* out, int n) {
    for (int k = 0; k < n; ++k) out[k] = static_cast<unsigned char>(bits(8));
  }
  double raw_double() {
    double v = 0;
    unsigned char b[8];
    raw(b, 8);
    std::memcpy(&v, b, 8);
    return checked(v);
  }
  int bit_short() {
    switch (bits(2)) {
      case 0: {
        unsigned char b[2];
        raw(b, 2);
        return static_cast<std::int16_t>(b[0] | b[1] << 8);
      }
      case 1:
        return static_cast<int>(bits(8));
      case 2:
        return 0;
      default:
        return 256;
    }
  }
  std::int64_t bit_long() {
    switch (bits(2)) {
      case 0: {
        unsigned char b[4];
        raw(b, 4);
        return static_cast<std::int32_t>(b[0] | b[1] << 8 | b[2] << 16 |
                                         static_cast<std::uint32_t>(b[3]) << 24);
      }
      case 1:
        return bits(8);
      default:
        return 0;
    }
  }
  double bit_double() {
    switch (bits(2)) {
      case 0:
        return raw_double();
      case 1:
        return 1;
      default:
        return 0;
    }
  }
  // A double that repeats or patches `fallback`: the same, its low four bytes replaced, its
  // low six bytes replaced (bytes 4 and 5 first), or a whole new one.
  double bit_double_default(double fallback) {
    unsigned char b[8];
    std::memcpy(b, &fallback, 8);
    switch (bits(2)) {
      case 0:
        return fallback;
      case 1:
        raw(b, 4);
        break;
      case 2:
        raw(b + 4, 2);
        raw(b, 4);
        break;
      default:
        return raw_double();
    }
    double v = 0;
    std::memcpy(&v, b, 8);
    return checked(v);
  }

 private:
  double checked(double v) {
    if (!std::isfinite(v)) ok_ = false;
    return ok_ ? v : 0;
  }
  std::string_view d_;
  std::size_t bit_ = 0;
  bool ok_ = true;
};

enum Primitive : std::uint32_t {
  kExtents = 1,
  kCircle = 2,
  kCircle3P = 3,
  kArc = 4,
  kArc3P = 5,
  kPolyline = 6,
  kPolygon = 7,
  kMesh = 8,
  kShell = 9,
  kText = 10,
  kText2 = 11,
  kXLine = 12,
  kRay = 13,
  kColor = 14,
  kLayer = 16,
  kLinetype = 18,
  kFill = 20,
  kTrueColor = 22,
  kLineweight = 23,
  kLinetypeScale = 24,
  kPushMatrix = 29,
  kPushNormal = 30,
  kPopMatrix = 31,
  kPolylineWithNormal = 32,
  kLwPolyline = 33,
  kUnicodeText = 36,
  kUnicodeText2 = 38,
  kEllipticArc = 44,
};

constexpr std::size_t kMaxDepth = 64;  // transforms pushed onto each other
constexpr int kRoundSteps = 72;        // points of a full circle drawn as a polygon

class Decoder {
 public:
  Decoder(const RawStroke& entity, const ProxyTables& tables, const TextDecoder& text,
          std::size_t limit)
      : entity_(entity), tables_(tables), text_(text), limit_(limit), state_(entity) {
    state_.invisible = false;
  }

  std::vector<ProxyPiece> run(std::string_view data) {
    std::size_t at = 8;  // after the header
    while (at + 8 <= data.size() && out_.size() < limit_) {
      std::uint32_t size = 0, type = 0;
      std::memcpy(&size, data.data() + at, 4);
      std::memcpy(&type, data.data() + at + 4, 4);
      if (size < 8 || size > data.size() - at) break;  // not a primitive: the rest is unreadable
      primitive(type, data.substr(at + 8, size - 8));
      at += size;
    }
    if (out_.size() > limit_) out_.resize(limit_);
    return std::move(out_);
  }

 private:
  void primitive(std::uint32_t type, std::string_view data) {
    Bytes in(data);
    switch (type) {
      case kCircle: {
        const V3 c = in.v3();
        const double r = in.f64();
        const V3 n = in.v3();
        if (in.ok()) circle(c, r, n);
        break;
      }
      case kCircle3P: {
        const V3 a = in.v3(), b = in.v3(), c = in.v3();
        if (!in.ok()) break;
        if (auto round = through(a, b, c)) circle(round->first, norm(a - round->first), round->second);
        break;
      }
      case kArc: {
        const V3 c = in.v3();
        const double r = in.f64();
        const V3 n = in.v3(), start = in.v3();
        const double sweep = in.f64();
        const std::uint32_t kind = in.left() >= 4 ? in.u32() : 0;
        if (in.ok()) arc(c, r, n, start, sweep, kind);
        break;
      }
      case kArc3P: {
        const V3 a = in.v3(), b = in.v3(), c = in.v3();
        const std::uint32_t kind = in.left() >= 4 ? in.u32() : 0;
        if (!in.ok()) break;
        const auto round = through(a, b, c);
        if (!round) {
          polyline({a, c}, false);  // on one line: the arc is its chord
          break;
        }
        const V3 centre = round->first, n = round->second;
        const V3 u = a - centre;
        const V3 v = cross(n, u);
        double sweep = std::atan2(dot(c - centre, v) / norm(u), dot(c - centre, u) / norm(u));
        if (sweep < 0) sweep += 2 * std::numbers::pi;
        arc(centre, norm(u), n, u, sweep, kind);
        break;
      }
      case kPolyline:
      case kPolygon:
      case kPolylineWithNormal: {
        std::vector<V3> pts = points(in);
        if (in.ok()) polyline(std::move(pts), type == kPolygon);
        break;
      }
      case kMesh:
        mesh(in);
        break;
      case kShell:
        shell(in);
        break;
      case kText:
      case kUnicodeText:
        text(in, type == kUnicodeText, false);
        break;
      case kText2:
      case kUnicodeText2:
        text(in, type == kUnicodeText2, true);
        break;
      case kXLine:
      case kRay: {
        const V3 a = in.v3(), b = in.v3();
        if (!in.ok()) break;
        Element e;
        e.kind = ElementKind::Line;
        e.points = {top(a), top(b)};
        if (e.points[0] == e.points[1]) break;
        e.sketch = type == kRay ? kRayMark : kXLineMark;
        emit(std::move(e));
        break;
      }
      case kLwPolyline:
        lw_polyline(data);
        break;
      case kEllipticArc:
        elliptic_arc(in);
        break;
      case kColor: {
        const std::uint32_t aci = in.u32();
        if (in.ok()) set_color(aci > 256 ? 256 : static_cast<int>(aci), -1);
        break;
      }
      case kTrueColor: {
        const std::uint32_t raw = in.u32();
        if (!in.ok()) break;
        switch (raw >> 24) {
          case 0xC0:
            set_color(256, -1);
            break;
          case 0xC1:
            set_color(0, -1);
            break;
          case 0xC2:
            set_color(256, static_cast<int>(raw & 0xFFFFFF));
            break;
          case 0xC3:
            set_color(static_cast<int>(raw & 0xFF), -1);
            break;
          default:
            break;
        }
        break;
      }
      case kLayer: {
        const std::uint32_t i = in.u32();
        if (in.ok() && i < tables_.layers.size()) state_.layer = tables_.layers[i];
        break;
      }
      case kLinetype: {
        const std::uint32_t i = in.u32();
        if (!in.ok()) break;
        if (i == 32767)
          state_.linetype = "BYLAYER";
        else if (i == 32766)
          state_.linetype = entity_.linetype;
        else if (i < tables_.linetypes.size())
          state_.linetype = tables_.linetypes[i];
        break;
      }
      case kLineweight: {
        const std::int32_t w = in.i32();
        if (!in.ok()) break;
        if (w == -2)
          state_.lineweight = entity_.lineweight;
        else if (w >= -3 && w <= 211)
          state_.lineweight = w;
        break;
      }
      case kLinetypeScale: {
        const double s = in.f64();
        if (in.ok() && s > 0) state_.ltscale = s;
        break;
      }
      case kFill: {
        const std::uint32_t on = in.u32();
        if (in.ok()) fill_ = on != 0;
        break;
      }
      case kPushMatrix: {
        Matrix m;
        double v[16];
        for (double& x : v) x = in.f64();
        if (!in.ok()) {
          push(Matrix{});  // keeps the pops in step
          break;
        }
        for (int k = 0; k < 12; ++k) m.m[k] = v[k];
        push(m);
        break;
      }
      case kPushNormal: {
        // a plane's coordinates by its normal, or a whole transform
        Matrix m;
        if (data.size() >= 128) {
          for (int k = 0; k < 12; ++k) m.m[k] = in.f64();
        } else {
          const V3 n = unit(in.v3()).value_or(V3{0, 0, 1});
          const auto [ax, ay] = plane_axes(n);
          m.m = {ax.x, ay.x, n.x, 0, ax.y, ay.y, n.y, 0, ax.z, ay.z, n.z, 0};
        }
        push(in.ok() ? m : Matrix{});
        break;
      }
      case kPopMatrix:
        if (!stack_.empty()) stack_.pop_back();
        break;
      default:
        break;  // extents, markers, thickness, plot styles, materials, clipping
    }
  }

  // -- state

  void set_color(int aci, int rgb) {
    if (aci == 0) {  // by block: the proxy's own colour
      state_.color = entity_.color;
      state_.color24 = entity_.color24;
      return;
    }
    state_.color = aci;
    state_.color24 = rgb;
  }

  void push(const Matrix& m) {
    if (stack_.size() >= kMaxDepth) {
      stack_.push_back(stack_.back());
      return;
    }
    stack_.push_back(stack_.empty() ? m : stack_.back().after(m));
  }

  V3 world(V3 p) const { return stack_.empty() ? p : stack_.back().point(p); }
  V3 world_vector(V3 v) const { return stack_.empty() ? v : stack_.back().vector(v); }
  Vec2 top(V3 p) const {
    const V3 w = world(p);
    return {w.x, w.y};
  }
  Vec2 top_vector(V3 v) const {
    const V3 w = world_vector(v);
    return {w.x, w.y};
  }
  // The map from coordinates in the plane through `origin` along `u` and `v` to the top view.
  Affine plane(V3 origin, V3 u, V3 v) const {
    const Vec2 o = top(origin), tu = top_vector(u), tv = top_vector(v);
    return {tu.x, tv.x, tu.y, tv.y, o.x, o.y};
  }

  void emit(Element e) {
    if (out_.size() >= limit_) return;
    // a transform of huge numbers can overflow what it places
    for (const Vec2& p : e.points)
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
    for (const double v : {e.radius, e.start_angle, e.end_angle, e.text.size, e.text.angle})
      if (!std::isfinite(v)) return;
    for (const double b : e.bulges)
      if (!std::isfinite(b)) return;
    out_.push_back({std::move(e), state_});
  }

  // -- primitives

  static std::vector<V3> points(Bytes& in) {
    const std::uint32_t n = in.u32();
    std::vector<V3> pts;
    if (!in.ok() || n > in.left() / 24) return pts;
    pts.reserve(n);
    for (std::uint32_t k = 0; k < n; ++k) pts.push_back(in.v3());
    return pts;
  }

  void polyline(std::vector<V3> pts, bool closed) {
    if (pts.empty()) return;
    Element e;
    for (const V3& p : pts) e.points.push_back(top(p));
    if (std::all_of(e.points.begin(), e.points.end(),
                    [&](const Vec2& p) { return p == e.points[0]; })) {
      e.kind = ElementKind::Point;
      e.points.resize(1);
    } else if (closed && fill_ && e.points.size() >= 3) {
      e.kind = ElementKind::Fill;
      e.rings = {static_cast<std::uint32_t>(e.points.size())};
    } else if (e.points.size() == 2 && !closed) {
      e.kind = ElementKind::Line;
    } else {
      e.kind = ElementKind::Polyline;
      e.closed = closed && e.points.size() >= 3;
    }
    emit(std::move(e));
  }

  // The centre and normal of the circle through three points; nullopt when they are on a line.
  static std::optional<std::pair<V3, V3>> through(V3 p1, V3 p2, V3 p3) {
    const V3 a = p1 - p3, b = p2 - p3;
    const V3 axb = cross(a, b);
    const double d = 2 * dot(axb, axb);
    const double scale = std::max(dot(a, a), dot(b, b));
    if (!(d > 1e-20 * scale * scale)) return std::nullopt;
    const V3 c = p3 + cross(b * dot(a, a) - a * dot(b, b), axb) * (1 / d);
    // the normal that sees p1, p2, p3 counter-clockwise
    const auto n = unit(cross(p2 - p1, p3 - p2));
    if (!n || !finite(c)) return std::nullopt;
    return std::pair{c, *n};
  }

  void circle(V3 centre, double r, V3 normal) {
    if (!(r > 0) || !finite(centre)) return;
    const auto [u, v] = plane_axes(normal);
    Element e;
    if (fill_) {
      e.kind = ElementKind::Fill;
      for (int k = 0; k < kRoundSteps; ++k) {
        const double t = 2 * std::numbers::pi * k / kRoundSteps;
        e.points.push_back({r * std::cos(t), r * std::sin(t)});
      }
      e.rings = {kRoundSteps};
    } else {
      e.kind = ElementKind::Circle;
      e.points = {{0, 0}};
      e.radius = r;
    }
    transform_element(e, plane(centre, u, v));
    emit(std::move(e));
  }

  // An arc from the direction `start` about the normal, `sweep` radians counter-clockwise;
  // `kind` 1 closes it through the centre (a sector), 2 along its chord.
  void arc(V3 centre, double r, V3 normal, V3 start, double sweep, std::uint32_t kind) {
    if (!(r > 0) || !finite(centre) || !std::isfinite(sweep)) return;
    const V3 n = unit(normal).value_or(V3{0, 0, 1});
    const auto u = unit(start - n * dot(start, n));
    if (!u) return;
    const V3 v = cross(n, *u);
    if (sweep < 0) {  // the same arc, counted from its other end
      sweep = -sweep;
      const double t = -sweep;
      const V3 from = *u * std::cos(t) + v * std::sin(t);
      arc(centre, r, n, from, sweep, kind);
      return;
    }
    sweep = std::min(sweep, 2 * std::numbers::pi);
    const Affine to_top = plane(centre, *u, v);
    const bool full = sweep >= 2 * std::numbers::pi - 1e-12;
    if (full) {
      circle(centre, r, n);
      return;
    }
    const Vec2 end{r * std::cos(sweep), r * std::sin(sweep)};
    if (fill_ && (kind == 1 || kind == 2)) {
      Element e;
      e.kind = ElementKind::Fill;
      const int steps = std::max(2, static_cast<int>(std::ceil(sweep / (2 * std::numbers::pi) *
                                                               kRoundSteps)));
      for (int k = 0; k <= steps; ++k) {
        const double t = sweep * k / steps;
        e.points.push_back({r * std::cos(t), r * std::sin(t)});
      }
      if (kind == 1) e.points.push_back({0, 0});
      e.rings = {static_cast<std::uint32_t>(e.points.size())};
      transform_element(e, to_top);
      emit(std::move(e));
      return;
    }
    Element e;
    e.kind = ElementKind::Arc;
    e.points = {{0, 0}};
    e.radius = r;
    e.start_angle = 0;
    e.end_angle = sweep * 180 / std::numbers::pi;
    transform_element(e, to_top);
    emit(std::move(e));
    auto edge = [&](Vec2 a, Vec2 b) {
      Element l;
      l.kind = ElementKind::Line;
      l.points = {to_top.apply(a), to_top.apply(b)};
      emit(std::move(l));
    };
    if (kind == 1) edge({0, 0}, {r, 0}), edge({0, 0}, end);
    if (kind == 2) edge({r, 0}, end);
  }

  void elliptic_arc(Bytes& in) {
    const V3 centre = in.v3(), normal = in.v3();
    const double major = in.f64(), minor = in.f64();
    double from = in.f64(), to = in.f64();
    const double turn = in.f64();
    if (!in.ok() || !(major > 0) || !(minor >= 0)) return;
    const auto [ax, ay] = plane_axes(normal);
    // any parameters, however far apart, make at most one turn
    double sweep = std::fmod(to - from, 2 * std::numbers::pi);
    if (!std::isfinite(sweep)) return;
    if (sweep <= 1e-12) sweep += 2 * std::numbers::pi;
    const bool full = sweep >= 2 * std::numbers::pi - 1e-9;
    const int steps = std::max(8, static_cast<int>(std::ceil(sweep / (2 * std::numbers::pi) *
                                                             kRoundSteps)));
    Element e;
    const double c = std::cos(turn), s = std::sin(turn);
    for (int k = 0; k < (full ? steps : steps + 1); ++k) {
      const double t = from + sweep * k / steps;
      const double x = major * std::cos(t), y = minor * std::sin(t);
      e.points.push_back({x * c - y * s, x * s + y * c});
    }
    if (full && fill_) {
      e.kind = ElementKind::Fill;
      e.rings = {static_cast<std::uint32_t>(e.points.size())};
    } else {
      e.kind = ElementKind::Polyline;
      e.closed = full;
    }
    transform_element(e, plane(centre, ax, ay));
    emit(std::move(e));
  }

  // Edge visibilities of a mesh or shell, from the traits after its geometry: per-edge lists
  // of colours, layers, line types, markers and visibilities, as the flags announce them.
  static std::vector<bool> edge_visibility(Bytes& in, std::size_t edges) {
    std::vector<bool> visible(edges, true);
    if (in.left() < 4) return visible;
    const std::uint32_t flags = in.u32();
    for (const std::uint32_t bit : {0x1u, 0x2u, 0x4u, 0x20u}) {
      if (!(flags & bit)) continue;
      if (in.left() / 4 < edges) return visible;
      for (std::size_t k = 0; k < edges; ++k) in.u32();
    }
    if (!(flags & 0x40) || in.left() / 4 < edges) return visible;
    for (std::size_t k = 0; k < edges; ++k) visible[k] = in.u32() != 0;
    return visible;
  }

  void edge(const std::vector<Vec2>& v, std::size_t a, std::size_t b) {
    if (a >= v.size() || b >= v.size() || v[a] == v[b]) return;
    Element e;
    e.kind = ElementKind::Line;
    e.points = {v[a], v[b]};
    emit(std::move(e));
  }

  // A grid of rows by columns of vertices: its lines along the rows and along the columns.
  void mesh(Bytes& in) {
    const std::uint32_t rows = in.u32(), cols = in.u32();
    if (!in.ok() || rows == 0 || cols == 0 || rows > in.left() / 24 / cols) return;
    std::vector<Vec2> v;
    v.reserve(static_cast<std::size_t>(rows) * cols);
    for (std::size_t k = 0; k < static_cast<std::size_t>(rows) * cols; ++k) v.push_back(top(in.v3()));
    if (!in.ok()) return;
    // edges: the rows' first, then the columns'
    const std::size_t row_edges = static_cast<std::size_t>(rows) * (cols - 1);
    const std::vector<bool> visible =
        edge_visibility(in, row_edges + static_cast<std::size_t>(cols) * (rows - 1));
    std::size_t k = 0;
    for (std::size_t r = 0; r < rows; ++r)
      for (std::size_t c = 0; c + 1 < cols; ++c, ++k)
        if (visible[k]) edge(v, r * cols + c, r * cols + c + 1);
    for (std::size_t c = 0; c < cols; ++c)
      for (std::size_t r = 0; r + 1 < rows; ++r, ++k)
        if (visible[k]) edge(v, r * cols + c, (r + 1) * cols + c);
  }

  // Faces over a list of vertices: each face a count and as many vertex numbers (a negative
  // count makes a hole in the face before it). Seen from above: the visible edges, each once;
  // filled: the faces.
  void shell(Bytes& in) {
    const std::uint32_t n = in.u32();
    if (!in.ok() || n > in.left() / 24) return;
    std::vector<Vec2> v;
    v.reserve(n);
    for (std::uint32_t k = 0; k < n; ++k) v.push_back(top(in.v3()));
    const std::uint32_t entries = in.u32();
    if (!in.ok() || entries > in.left() / 4) return;
    std::vector<std::vector<std::uint32_t>> faces;
    std::vector<bool> holes;
    for (std::uint32_t read = 0; read < entries;) {
      const std::int32_t count = in.i32();
      const std::uint32_t size = count < 0 ? 0u - static_cast<std::uint32_t>(count)
                                           : static_cast<std::uint32_t>(count);
      ++read;
      if (!in.ok() || size > entries - read) return;
      std::vector<std::uint32_t>& face = faces.emplace_back();
      for (std::uint32_t k = 0; k < size; ++k) face.push_back(in.u32());
      holes.push_back(count < 0);
      read += size;
    }
    std::size_t edges = 0;
    for (const auto& f : faces) edges += f.size();
    const std::vector<bool> visible = edge_visibility(in, edges);
    if (fill_) {
      Element e;
      for (std::size_t f = 0; f <= faces.size(); ++f) {
        if ((f == faces.size() || !holes[f]) && !e.rings.empty()) {
          e.kind = ElementKind::Fill;
          emit(std::move(e));
          e = Element{};
        }
        if (f == faces.size()) break;
        if (faces[f].size() < 3 || (holes[f] && e.rings.empty())) continue;
        std::size_t before = e.points.size();
        for (std::uint32_t i : faces[f])
          if (i < v.size()) e.points.push_back(v[i]);
        if (e.points.size() - before < 3) {
          e.points.resize(before);
          continue;
        }
        e.rings.push_back(static_cast<std::uint32_t>(e.points.size() - before));
      }
    }
    std::set<std::pair<std::uint32_t, std::uint32_t>> drawn;
    std::size_t k = 0;
    for (const auto& f : faces)
      for (std::size_t i = 0; i < f.size(); ++i, ++k) {
        const std::uint32_t a = f[i], b = f[(i + 1) % f.size()];
        if (!visible[k] || !drawn.insert({std::min(a, b), std::max(a, b)}).second) continue;
        edge(v, a, b);
      }
  }

  // TEXT: position, normal, direction, height, width factor, oblique angle, the string.
  // The second form: the string first, then its length and whether it is taken as it is
  // (else %% codes apply), height, width, oblique, tracking, five flags (backwards, upside
  // down, vertical, underlined, overlined), the unicode form four more (bold, italic,
  // character set, pitch) and a type face, then the font file and the big font file.
  void text(Bytes& in, bool wide, bool second) {
    const V3 at = in.v3(), normal = in.v3(), direction = in.v3();
    std::string content;
    double height = 0, width = 1, oblique = 0;
    bool raw = false, backwards = false, upside_down = false;
    std::string font;
    if (!second) {
      height = in.f64();
      width = in.f64();
      oblique = in.f64();
      content = in.text(wide);
    } else {
      content = in.text(wide);
      in.i32();
      raw = in.i32() != 0;
      height = in.f64();
      width = in.f64();
      oblique = in.f64();
      in.f64();  // tracking
      backwards = in.u32() != 0;
      upside_down = in.u32() != 0;
      in.u32(), in.u32(), in.u32();  // vertical, underlined, overlined
      std::string typeface;
      if (wide) {
        in.u32(), in.u32(), in.u32(), in.u32();
        typeface = in.text(true);
      }
      font = in.text(wide);
      in.text(wide);  // big font
      if (!typeface.empty()) font = typeface;
    }
    if (!in.ok() || content.empty() || !(height > 0) || !finite(at)) return;
    const std::string utf8 = wide ? content : text_.to_utf8(content);
    Element e;
    e.kind = ElementKind::Text;
    e.points = {{0, 0}};
    e.text.lines = {raw ? decode_unicode_escapes(utf8) : plain_text(utf8)};
    e.text.size = height;
    e.text.ratio = width > 0 ? width : 1;
    e.text.slant = std::clamp(oblique * 180 / std::numbers::pi, -85.0, 85.0);
    e.text.backward = backwards;
    e.text.upside_down = upside_down;
    e.text.adjust = 1;
    e.text.font = font.empty() ? tables_.font : font;
    if (e.text.font.empty()) e.text.font = TextProps{}.font;
    const V3 n = unit(normal).value_or(V3{0, 0, 1});
    V3 d = direction - n * dot(direction, n);
    const V3 x = unit(d).value_or(plane_axes(n).first);
    transform_element(e, plane(at, x, cross(n, x)));
    emit(std::move(e));
  }

  // The light-weight polyline in the bit-packed form of DWG files, after a count of its bytes:
  // flags; constant width, elevation, thickness, normal as the flags say; the numbers of
  // points, bulges, vertex ids and widths; the points (each after the first patches the one
  // before), bulges, ids, start and end widths.
  void lw_polyline(std::string_view data) {
    if (data.size() < 4) return;
    Bits in(data.substr(4));
    const int flags = in.bit_short();
    const double constant = flags & 4 ? in.bit_double() : 0;
    const double elevation = flags & 8 ? in.bit_double() : 0;
    if (flags & 2) in.bit_double();
    V3 normal{0, 0, 1};
    if (flags & 1) normal = {in.bit_double(), in.bit_double(), in.bit_double()};
    const std::int64_t count = in.bit_long();
    const std::int64_t bulges = flags & 16 ? in.bit_long() : 0;
    const std::int64_t ids = flags & 1024 ? in.bit_long() : 0;
    const std::int64_t widths = flags & 32 ? in.bit_long() : 0;
    // every number takes at least two bits
    const auto fits = [&](std::int64_t n, int per) {
      return n >= 0 && static_cast<std::size_t>(n) <= in.bits_left() / (2 * per);
    };
    if (!in.ok() || count < 2 || !fits(count, 2) || !fits(bulges, 1) || !fits(ids, 1) ||
        !fits(widths, 2))
      return;
    Element e;
    e.kind = ElementKind::Polyline;
    e.closed = flags & 512;
    e.points.reserve(static_cast<std::size_t>(count));
    Vec2 p{in.raw_double(), in.raw_double()};
    e.points.push_back(p);
    for (std::int64_t k = 1; k < count && in.ok(); ++k) {
      p.x = in.bit_double_default(p.x);
      p.y = in.bit_double_default(p.y);
      e.points.push_back(p);
    }
    e.bulges.assign(e.points.size(), 0);
    for (std::int64_t k = 0; k < bulges; ++k) {
      const double b = in.bit_double();
      if (static_cast<std::size_t>(k) < e.bulges.size()) e.bulges[static_cast<std::size_t>(k)] = b;
    }
    for (std::int64_t k = 0; k < ids; ++k) in.bit_long();
    std::vector<std::pair<double, double>> w(e.points.size(), {constant, constant});
    for (std::int64_t k = 0; k < widths; ++k) {
      const double a = in.bit_double(), b = in.bit_double();
      if (static_cast<std::size_t>(k) < w.size()) w[static_cast<std::size_t>(k)] = {a, b};
    }
    if (!in.ok() || !finite(normal)) return;
    const V3 n = unit(normal).value_or(V3{0, 0, 1});
    const auto [ax, ay] = plane_axes(n);
    const Affine to_top = plane(n * elevation, ax, ay);
    if (std::any_of(w.begin(), w.end(), [](const auto& x) { return x.first > 0 || x.second > 0; })) {
      for (Element& band : polyline_bands(e, w)) {
        transform_element(band, to_top);
        emit(std::move(band));
      }
      return;
    }
    if (std::all_of(e.bulges.begin(), e.bulges.end(), [](double b) { return b == 0; }))
      e.bulges.clear();
    transform_element(e, to_top);
    emit(std::move(e));
  }

  const RawStroke& entity_;
  const ProxyTables& tables_;
  const TextDecoder& text_;
  std::size_t limit_;
  RawStroke state_;
  bool fill_ = false;
  std::vector<Matrix> stack_;
  std::vector<ProxyPiece> out_;
};

}  // namespace

std::vector<ProxyPiece> decode_proxy_graphic(std::string_view data, const RawStroke& entity,
                                             const ProxyTables& tables,
                                             const TextDecoder& decoder, std::size_t limit) {
  return Decoder(entity, tables, decoder, limit).run(data);
}

}  // namespace host::dxf
