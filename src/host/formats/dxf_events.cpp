// What a DXF file holds, reported entity by entity through the creation interface.
//
// The import was written against dxflib's parser and its results are proven on real drawings,
// so this reader keeps its reading rules where they shape a drawing: the last value of a code
// wins, an entity is reported when the next one begins, counted lists (vertices, knots,
// control and fit points, leader vertices) take at most as many items as their count
// announced, and numbers read as its stream parser read them. Two of its rules are not kept,
// as they let a small file grow without bound: a list whose count came in an earlier entity
// (an entity without a count has no list) and the items a count announced but the file does
// not hold (dxflib reported them as zeros). It does so without its costs: values are
// views into the mapped file, looked up in a flat table instead of a map of strings, and
// numbers are read with std::from_chars. Hatches, images and arc-aligned texts are not
// reported; the import reads them from their raw groups.
#include "host/formats/dxf_events.h"

#include <dxflib/dl_creationinterface.h>
#include <locale.h>

#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "host/formats/dxf_source.h"

namespace host::dxf {
namespace {

bool is_c_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A value outside what from_chars answers (an overflow or an underflow): strtod in the C
// locale says which.
double c_strtod(const char* text) {
  static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return strtod_l(text, nullptr, c_locale);
}

}  // namespace

namespace {

inline double read_real(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size() && is_c_space(s[i])) ++i;
  // The number as a stream reads it: a sign, digits with one decimal point, an exponent once
  // a digit was seen; the first character that does not fit ends it.
  const std::size_t start = i;
  auto at = [&](std::size_t k) { return s[k] == ',' ? '.' : s[k]; };
  if (i < s.size() && (at(i) == '+' || at(i) == '-')) ++i;
  bool mantissa = false, point = false, exponent = false, exponent_digits = false;
  for (; i < s.size(); ++i) {
    const char c = at(i);
    if (c >= '0' && c <= '9') {
      (exponent ? exponent_digits : mantissa) = true;
    } else if (c == '.' && !point && !exponent) {
      point = true;
    } else if ((c == 'e' || c == 'E') && !exponent && mantissa) {
      exponent = true;
      if (i + 1 < s.size() && (at(i + 1) == '+' || at(i + 1) == '-')) ++i;
    } else {
      break;
    }
  }
  // A stream takes nothing unless all it collected is one number.
  if (!mantissa || (exponent && !exponent_digits)) return 0;
  std::string_view number = s.substr(start, i - start);
  std::string copy;
  if (number.find(',') != std::string_view::npos) {
    copy.assign(number);
    for (char& c : copy)
      if (c == ',') c = '.';
    number = copy;
  }
  const char* first = number.data() + (number[0] == '+' ? 1 : 0);
  const char* last = number.data() + number.size();
  double value = 0;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  if (ec == std::errc() && ptr == last) return value;
  value = c_strtod(std::string(number).c_str());
  if (std::isinf(value))
    return value > 0 ? std::numeric_limits<double>::max() : -std::numeric_limits<double>::max();
  return value;
}

inline int read_int(std::string_view s, int base = 10) {
  std::size_t i = 0;
  while (i < s.size() && is_c_space(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  // strtol's "0x" before a hexadecimal digit
  if (base == 16 && i + 2 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
      std::isxdigit(static_cast<unsigned char>(s[i + 2])))
    i += 2;
  // strtol's long, saturated, then narrowed to int as the parser did
  constexpr unsigned long kMax = static_cast<unsigned long>(std::numeric_limits<long>::max());
  const unsigned long limit = negative ? kMax + 1 : kMax;
  unsigned long v = 0;
  bool saturated = false;
  for (; i < s.size(); ++i) {
    int d;
    const char c = s[i];
    if (c >= '0' && c <= '9') d = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else break;
    if (saturated) continue;
    if (v > (limit - static_cast<unsigned long>(d)) / static_cast<unsigned long>(base)) {
      v = limit;
      saturated = true;
    } else {
      v = v * static_cast<unsigned long>(base) + static_cast<unsigned long>(d);
    }
  }
  const long result = negative ? static_cast<long>(0UL - v) : static_cast<long>(v);
  return static_cast<int>(result);
}

}  // namespace

double dxf_real(std::string_view value) {
  return read_real(value);
}

int dxf_int(std::string_view value, int base) {
  return read_int(value, base);
}

namespace {

enum class Kind {
  Unknown, Setting, Layer, Linetype, Block, EndBlock, Style, Point, Line, XLine, Ray, Polyline,
  LwPolyline, Vertex, Spline, Arc, Circle, Ellipse, Insert, Text, MText, Attribute, Dimension,
  Leader, Trace, Solid, Face3d, SeqEnd, XRecord, Dictionary
};

Kind kind_of(std::string_view name) {
  struct Entry {
    std::string_view name;
    Kind kind;
  };
  static constexpr Entry kKinds[] = {
      {"LINE", Kind::Line},       {"VERTEX", Kind::Vertex},     {"LWPOLYLINE", Kind::LwPolyline},
      {"CIRCLE", Kind::Circle},   {"ARC", Kind::Arc},           {"TEXT", Kind::Text},
      {"INSERT", Kind::Insert},   {"MTEXT", Kind::MText},       {"ATTRIB", Kind::Attribute},
      {"POLYLINE", Kind::Polyline}, {"SEQEND", Kind::SeqEnd},   {"LAYER", Kind::Layer},
      {"LTYPE", Kind::Linetype},  {"BLOCK", Kind::Block},       {"ENDBLK", Kind::EndBlock},
      {"STYLE", Kind::Style},     {"POINT", Kind::Point},       {"XLINE", Kind::XLine},
      {"RAY", Kind::Ray},         {"SPLINE", Kind::Spline},     {"ELLIPSE", Kind::Ellipse},
      {"DIMENSION", Kind::Dimension}, {"LEADER", Kind::Leader}, {"TRACE", Kind::Trace},
      {"SOLID", Kind::Solid},     {"3DFACE", Kind::Face3d},     {"XRECORD", Kind::XRecord},
      {"DICTIONARY", Kind::Dictionary}};
  if (!name.empty() && name[0] == '$') return Kind::Setting;
  for (const Entry& e : kKinds)
    if (e.name == name) return e.kind;
  return Kind::Unknown;
}

constexpr int kCodes = 1100;  // codes from here on are never kept

class Reporter {
 public:
  Reporter(GroupSource& source, DL_CreationInterface& sink) : source_(source), sink_(sink) {
    if (!source_.stable_values()) owned_.resize(kCodes);
  }

  void run() {
    Group g;
    while (source_.next(g)) {
      code_ = g.code;
      value_ = g.value;
      pair_.assign(g.value);
      sink_.processCodeValuePair(static_cast<unsigned>(g.code), pair_);
      if (g.code == 999) {
        if (!g.value.empty()) sink_.addComment(pair_);
      } else if (g.code == 0 || g.code == 9) {
        begin(g.value);
      } else {
        take();
      }
    }
  }

 private:
  // -- the values of the entity being read: the last one of each code
  bool has(int code) const { return code >= 0 && code < kCodes && stamp_[code] == generation_; }
  std::string_view raw(int code) const { return values_[code]; }
  std::string text(int code, const char* fallback) const {
    return has(code) ? std::string(raw(code)) : std::string(fallback);
  }
  double real(int code, double fallback) const {
    return has(code) ? read_real(raw(code)) : fallback;
  }
  int integer(int code, int fallback) const { return has(code) ? read_int(raw(code)) : fallback; }

  void keep() {
    if (code_ < 0) {
      lowest_ = -1;
      return;
    }
    if (code_ >= kCodes) return;
    if (!owned_.empty()) {
      owned_[code_].assign(value_);
      values_[code_] = owned_[code_];
    } else {
      values_[code_] = value_;
    }
    stamp_[code_] = generation_;
    if (code_ < lowest_) lowest_ = code_;
  }

  void forget() {
    if (++generation_ == 0) {
      stamp_.fill(0);
      generation_ = 1;
    }
    lowest_ = kCodes;
  }

  // -- a group inside the entity being read
  void take() {
    bool handled = false;
    switch (kind_) {
      case Kind::MText:
        if (code_ == 3) sink_.addMTextChunk(pair_);
        break;
      case Kind::LwPolyline:
        lwpolyline_group();
        break;
      case Kind::Spline:
        spline_group();
        break;
      case Kind::Leader:
        leader_group();
        break;
      case Kind::XRecord:
        handled = xrecord_group();
        break;
      case Kind::Dictionary:
        if (code_ == 5) sink_.addDictionary(DL_DictionaryData(pair_));
        if (code_ == 350) sink_.addDictionaryEntry(DL_DictionaryEntryData(text(3, ""), pair_));
        break;
      case Kind::Linetype:
        if (code_ == 49) sink_.addLinetypeDash(read_real(value_));
        break;
      default:
        break;
    }
    // extended data is reported as it comes and not kept, except inside an XRECORD
    if (kind_ != Kind::XRecord) handled = xdata_group();
    if (!handled) keep();
  }

  bool xdata_group() {
    if (code_ == 1001) {
      sink_.addXDataApp(pair_);
    } else if (code_ >= 1000 && code_ <= 1009) {
      sink_.addXDataString(code_, pair_);
    } else if (code_ >= 1010 && code_ <= 1059) {
      sink_.addXDataReal(code_, read_real(value_));
    } else if (code_ >= 1060 && code_ <= 1071) {
      sink_.addXDataInt(code_, read_int(value_));
    } else {
      return false;
    }
    return true;
  }

  bool xrecord_group() {
    const int c = code_;
    if (c == 105) return false;
    if (c == 5) {
      sink_.addXRecord(pair_);
      return true;
    }
    if (c == 280) {
      xrecord_values_ = true;
      return true;
    }
    if (!xrecord_values_ || c < 0) return false;
    if (c <= 9 || c == 100 || c == 102 || (c >= 300 && c <= 369) || (c >= 1000 && c <= 1009)) {
      sink_.addXRecordString(c, pair_);
    } else if ((c >= 60 && c <= 99) || (c >= 160 && c <= 179) || (c >= 270 && c <= 289)) {
      sink_.addXRecordInt(c, read_int(value_));
    } else if (c >= 290 && c <= 299) {
      sink_.addXRecordBool(c, read_int(value_) != 0);
    } else if ((c >= 10 && c <= 59) || (c >= 110 && c <= 149) || (c >= 210 && c <= 239)) {
      sink_.addXRecordReal(c, read_real(value_));
    } else {
      return false;
    }
    return true;
  }

  // A count announces a list; a count larger than the file could hold is a broken file, not
  // an allocation.
  int count() {
    const int n = read_int(value_);
    if (n < 0 || static_cast<std::size_t>(n) > source_.remaining() / 4 + 1)
      source_.bad_count(value_);
    return n;
  }

  // The items of a counted list: a new item begins at its first coordinate, as long as the
  // count allows; values past the count are dropped.
  struct List {
    std::vector<double> items;  // `width` doubles per item
    int max = 0, index = 0;

    void start(int n, int width, double fill = 0) {
      max = n;
      if (n > 0) items.assign(static_cast<std::size_t>(n) * width, fill);
      index = -1;
    }
    void advance() {
      if (index < max - 1) ++index;
    }
    void set(int width, int slot, double v) {
      if (index >= 0 && index < max) items[static_cast<std::size_t>(index) * width + slot] = v;
    }
    void clear() { max = index = 0; }
    // the items found, at most as many as announced
    int found() const { return std::min(max, index + 1); }
    double at(int i, int width, int slot) const {
      return items[static_cast<std::size_t>(i) * width + slot];
    }
  };

  void lwpolyline_group() {
    if (code_ == 90) {
      vertices_.start(count(), 4);
    } else if (code_ == 10 || code_ == 20 || code_ == 30) {
      if (code_ == 10) vertices_.advance();
      vertices_.set(4, code_ / 10 - 1, read_real(value_));
    } else if (code_ == 42) {
      vertices_.set(4, 3, read_real(value_));
    }
  }

  void spline_group() {
    switch (code_) {
      case 72:
        knots_.start(count(), 1);
        break;
      case 73: {
        const int n = count();
        control_.start(n, 3);
        weights_.start(n, 1, 1.0);
        break;
      }
      case 74:
        fit_.start(count(), 3);
        break;
      case 40:
        if (knots_.index < knots_.max - 1) {
          ++knots_.index;
          knots_.items[static_cast<std::size_t>(knots_.index)] = read_real(value_);
        }
        break;
      case 10:
      case 20:
      case 30:
        if (code_ == 10) control_.advance();
        control_.set(3, code_ / 10 - 1, read_real(value_));
        break;
      case 11:
      case 21:
      case 31:
        if (code_ == 11) fit_.advance();
        fit_.set(3, (code_ - 1) / 10 - 1, read_real(value_));
        break;
      case 41:
        weights_.advance();
        weights_.set(1, 0, read_real(value_));
        break;
      default:
        break;
    }
  }

  void leader_group() {
    if (code_ == 76) {
      leader_.start(count(), 3);
    } else if (code_ == 10 || code_ == 20 || code_ == 30) {
      if (code_ == 10) leader_.advance();
      leader_.set(3, code_ / 10 - 1, read_real(value_));
    }
  }

  // -- a group 0 (or 9): the entity before is complete
  void begin(std::string_view next) {
    if (reports(kind_)) {
      DL_Attributes a(text(8, "0"), integer(62, 256), integer(420, -1),
                      has(39) && !has(370) ? integer(39, -1)
                      : has(370)           ? integer(370, -1)
                                           : -1,
                      text(6, "BYLAYER"), has(5) ? read_int(raw(5), 16) : -1);
      a.setInPaperSpace(integer(67, 0) != 0);
      a.setLinetypeScale(real(48, 1.0));
      sink_.setAttributes(a);
      sink_.setExtrusion(real(210, 0.0), real(220, 0.0), real(230, 1.0),
                         real(kind_ == Kind::LwPolyline ? 38 : 30, 0.0));
      report();
    } else if (kind_ == Kind::Setting) {
      setting();
    }
    sink_.endSection();
    forget();
    // each entity's lists are its own: one without a count has none
    for (List* list : {&vertices_, &knots_, &control_, &weights_, &fit_, &leader_}) list->clear();
    xrecord_values_ = false;
    const Kind before = kind_;
    kind_ = kind_of(next);
    if (kind_ == Kind::Setting) setting_key_.assign(next);
    if (before == Kind::Vertex && kind_ != Kind::Vertex) sink_.endEntity();
  }

  static bool reports(Kind k) {
    return k != Kind::Unknown && k != Kind::Setting && k != Kind::XRecord &&
           k != Kind::Dictionary;
  }

  // A header variable: its value is that of its lowest group code.
  void setting() {
    const int c = lowest_;
    if (c < 0 || c >= kCodes) return;
    if (c <= 9) {
      sink_.setVariableString(setting_key_, std::string(raw(c)), c);
    } else if (c <= 39) {
      if (c == 10) sink_.setVariableVector(setting_key_, real(10, 0), real(20, 0), real(30, 0), c);
    } else if (c <= 59) {
      sink_.setVariableDouble(setting_key_, real(c, 0), c);
    } else if (c <= 99) {
      sink_.setVariableInt(setting_key_, integer(c, 0), c);
    } else {
      sink_.setVariableString(setting_key_, std::string(raw(c)), c);
    }
  }

  void report() {
    switch (kind_) {
      case Kind::Layer:
        if (has(2) && !raw(2).empty())
          sink_.addLayer(DL_LayerData(std::string(raw(2)), integer(70, 0)));
        break;
      case Kind::Linetype: {
        const std::string name = text(2, "");
        if (name.empty() || name == "By Layer" || name == "By Block" || name == "BYLAYER" ||
            name == "BYBLOCK")
          break;
        sink_.addLinetype(
            DL_LinetypeData(name, text(3, ""), integer(70, 0), integer(73, 0), real(40, 0)));
        break;
      }
      case Kind::Block:
        if (has(2) && !raw(2).empty())
          sink_.addBlock(DL_BlockData(std::string(raw(2)), integer(70, 0), real(10, 0),
                                      real(20, 0), real(30, 0)));
        break;
      case Kind::EndBlock:
        sink_.endBlock();
        break;
      case Kind::Style:
        if (has(2) && !raw(2).empty())
          sink_.addTextStyle(DL_StyleData(std::string(raw(2)), integer(70, 0), real(40, 0),
                                          real(41, 0), real(50, 0), integer(71, 0), real(42, 0),
                                          text(3, ""), text(4, "")));
        break;
      case Kind::Point:
        sink_.addPoint(DL_PointData(real(10, 0), real(20, 0), real(30, 0)));
        break;
      case Kind::Line:
        sink_.addLine(DL_LineData(real(10, 0), real(20, 0), real(30, 0), real(11, 0),
                                  real(21, 0), real(31, 0)));
        break;
      case Kind::XLine:
        sink_.addXLine(DL_XLineData(real(10, 0), real(20, 0), real(30, 0), real(11, 0),
                                    real(21, 0), real(31, 0)));
        break;
      case Kind::Ray:
        sink_.addRay(DL_RayData(real(10, 0), real(20, 0), real(30, 0), real(11, 0), real(21, 0),
                                real(31, 0)));
        break;
      case Kind::Polyline:
      case Kind::LwPolyline:
        polyline();
        break;
      case Kind::Vertex: {
        const int flags = integer(70, 0);
        if ((flags & 128) && !(flags & 64)) break;  // a face record of a polyface mesh
        sink_.addVertex(DL_VertexData(real(10, 0), real(20, 0), real(30, 0), real(42, 0)));
        break;
      }
      case Kind::Spline:
        spline();
        break;
      case Kind::Arc:
        sink_.addArc(DL_ArcData(real(10, 0), real(20, 0), real(30, 0), real(40, 0), real(50, 0),
                                real(51, 0)));
        break;
      case Kind::Circle:
        sink_.addCircle(DL_CircleData(real(10, 0), real(20, 0), real(30, 0), real(40, 0)));
        break;
      case Kind::Ellipse:
        sink_.addEllipse(DL_EllipseData(real(10, 0), real(20, 0), real(30, 0), real(11, 0),
                                        real(21, 0), real(31, 0), real(40, 1), real(41, 0),
                                        real(42, 2 * std::numbers::pi)));
        break;
      case Kind::Insert:
        if (has(2) && !raw(2).empty())
          sink_.addInsert(DL_InsertData(std::string(raw(2)), real(10, 0), real(20, 0),
                                        real(30, 0), real(41, 1), real(42, 1), real(43, 1),
                                        real(50, 0), integer(70, 1), integer(71, 1),
                                        real(44, 0), real(45, 0)));
        break;
      case Kind::Text:
        sink_.addText(text_data());
        break;
      case Kind::Attribute:
        sink_.addAttribute(DL_AttributeData(
            real(10, 0), real(20, 0), real(30, 0), real(11, 0), real(21, 0), real(31, 0),
            real(40, 2.5), real(41, 1), integer(71, 0), integer(72, 0), integer(74, 0),
            text(2, ""), text(1, ""), text(7, ""), real(50, 0) * 2 * std::numbers::pi / 360));
        break;
      case Kind::MText:
        mtext();
        break;
      case Kind::Dimension:
        dimension();
        break;
      case Kind::Leader:
        leader();
        break;
      case Kind::Trace: {
        DL_TraceData d;
        corners(d);
        sink_.addTrace(d);
        break;
      }
      case Kind::Solid: {
        DL_SolidData d;
        corners(d);
        sink_.addSolid(d);
        break;
      }
      case Kind::Face3d: {
        DL_3dFaceData d;
        corners(d);
        sink_.add3dFace(d);
        break;
      }
      case Kind::SeqEnd:
        sink_.endSequence();
        break;
      default:
        break;
    }
  }

  void corners(DL_TraceData& d) const {
    for (int k = 0; k < 4; ++k) {
      d.x[k] = real(10 + k, 0);
      d.y[k] = real(20 + k, 0);
      d.z[k] = real(30 + k, 0);
    }
  }

  DL_TextData text_data() const {
    constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
    return DL_TextData(real(10, 0), real(20, 0), real(30, 0), real(11, kNaN), real(21, kNaN),
                       real(31, kNaN), real(40, 2.5), real(41, 1), integer(71, 0),
                       integer(72, 0), integer(73, 0), text(1, ""), text(7, ""),
                       real(50, 0) * 2 * std::numbers::pi / 360);
  }

  // An old-style POLYLINE reports its VERTEX entities as they come; an LWPOLYLINE its
  // vertices here, as many as it announced and found.
  void polyline() {
    sink_.addPolyline(DL_PolylineData(vertices_.max, integer(71, 0), integer(72, 0),
                                      integer(70, 0), real(38, 0)));
    vertices_.max = std::min(vertices_.max, vertices_.index + 1);
    if (kind_ != Kind::LwPolyline) return;
    for (int i = 0; i < vertices_.max; ++i)
      sink_.addVertex(DL_VertexData(vertices_.at(i, 4, 0), vertices_.at(i, 4, 1),
                                    vertices_.at(i, 4, 2), vertices_.at(i, 4, 3)));
    sink_.endEntity();
  }

  void spline() {
    DL_SplineData d(integer(71, 3), knots_.found(), control_.found(), fit_.found(),
                    integer(70, 4));
    d.tangentStartX = real(12, 0);
    d.tangentStartY = real(22, 0);
    d.tangentStartZ = real(32, 0);
    d.tangentEndX = real(13, 0);
    d.tangentEndY = real(23, 0);
    d.tangentEndZ = real(33, 0);
    sink_.addSpline(d);
    for (int i = 0; i < control_.found(); ++i)
      sink_.addControlPoint(DL_ControlPointData(control_.at(i, 3, 0), control_.at(i, 3, 1),
                                                control_.at(i, 3, 2), weights_.at(i, 1, 0)));
    for (int i = 0; i < fit_.found(); ++i)
      sink_.addFitPoint(
          DL_FitPointData(fit_.at(i, 3, 0), fit_.at(i, 3, 1), fit_.at(i, 3, 2)));
    for (int i = 0; i < knots_.found(); ++i) sink_.addKnot(DL_KnotData(knots_.at(i, 1, 0)));
    sink_.endEntity();
  }

  void mtext() {
    double angle = 0;
    if (has(50)) {
      angle = real(50, 0);
    } else if (has(11) && has(21)) {
      const double x = real(11, 0), y = real(21, 0);
      angle = std::fabs(x) < 1.0e-6 ? (y > 0 ? std::numbers::pi / 2 : std::numbers::pi * 1.5)
                                    : std::atan(y / x);
    }
    sink_.addMText(DL_MTextData(real(10, 0), real(20, 0), real(30, 0), real(11, 0), real(21, 0),
                                real(31, 0), real(40, 2.5), real(41, 0), integer(71, 1),
                                integer(72, 1), integer(73, 1), real(44, 1), text(1, ""),
                                text(7, ""), angle));
  }

  void dimension() {
    DL_DimensionData d(real(10, 0), real(20, 0), real(30, 0), real(11, 0), real(21, 0),
                       real(31, 0), integer(70, 0), integer(71, 5), integer(72, 1), real(41, 1),
                       text(1, ""), text(3, ""), real(53, 0));
    d.arrow1Flipped = integer(74, 0) == 1;
    d.arrow2Flipped = integer(75, 0) == 1;
    auto p = [this](int code) { return real(code, 0); };
    switch (integer(70, 0) & 7) {
      case 0:
        sink_.addDimLinear(
            d, DL_DimLinearData(p(13), p(23), p(33), p(14), p(24), p(34), p(50), p(52)));
        break;
      case 1:
        sink_.addDimAlign(d, DL_DimAlignedData(p(13), p(23), p(33), p(14), p(24), p(34)));
        break;
      case 2:
        sink_.addDimAngular(d, DL_DimAngular2LData(p(13), p(23), p(33), p(14), p(24), p(34),
                                                   p(15), p(25), p(35), p(16), p(26), p(36)));
        break;
      case 3:
        sink_.addDimDiametric(d, DL_DimDiametricData(p(15), p(25), p(35), p(40)));
        break;
      case 4:
        sink_.addDimRadial(d, DL_DimRadialData(p(15), p(25), p(35), p(40)));
        break;
      case 5:
        sink_.addDimAngular3P(d, DL_DimAngular3PData(p(13), p(23), p(33), p(14), p(24), p(34),
                                                     p(15), p(25), p(35)));
        break;
      case 6:
        sink_.addDimOrdinate(d, DL_DimOrdinateData(p(13), p(23), p(33), p(14), p(24), p(34),
                                                   (integer(70, 0) & 64) == 64));
        break;
      default:
        break;
    }
  }

  void leader() {
    sink_.addLeader(DL_LeaderData(integer(71, 1), integer(72, 0), integer(73, 3), integer(74, 1),
                                  integer(75, 0), real(40, 1), real(41, 1), integer(76, 0)));
    for (int i = 0; i < leader_.found(); ++i)
      sink_.addLeaderVertex(
          DL_LeaderVertexData(leader_.at(i, 3, 0), leader_.at(i, 3, 1), leader_.at(i, 3, 2)));
    sink_.endEntity();
  }

  GroupSource& source_;
  DL_CreationInterface& sink_;
  int code_ = 0;
  std::string_view value_;
  std::string pair_;  // the value as the raw-group callback takes it
  std::array<std::string_view, kCodes> values_{};
  std::array<std::uint32_t, kCodes> stamp_{};
  std::uint32_t generation_ = 1;
  int lowest_ = kCodes;             // the lowest code kept (-1: a negative one)
  std::vector<std::string> owned_;  // binary DXF: the kept values, as its views do not stay
  Kind kind_ = Kind::Unknown;
  std::string setting_key_;
  bool xrecord_values_ = false;
  List vertices_, knots_, control_, weights_, fit_, leader_;
};

}  // namespace

void report_groups(GroupSource& source, DL_CreationInterface& sink) {
  Reporter(source, sink).run();
}

}  // namespace host::dxf
