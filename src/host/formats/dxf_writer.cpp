// DXF export: one sheet as an R2000 file written through dxflib's writer.
#include <dxflib/dl_dxf.h>
#include <dxflib/dl_writer_ascii.h>
#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <map>
#include <numbers>
#include <string_view>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/drawing/text_layout.h"
#include "host/formats/dxf.h"
#include "host/formats/dxf_clip.h"
#include "host/formats/dxf_names.h"
#include "host/formats/dxf_style.h"
#include "host/formats/dxf_text.h"
#include "host/formats/raster_size.h"

namespace host {
namespace {

// R2000 files carry single-byte text; the header names the code page of those bytes.
constexpr const char* kCodepage = "ANSI_1252";
constexpr std::size_t kChunk = 250;  // DXF strings stay below 255 bytes

std::vector<std::string> chunks(const std::string& s) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < s.size(); i += kChunk) out.push_back(s.substr(i, kChunk));
  if (out.empty()) out.emplace_back();
  return out;
}

// dxflib's writer, with the groups collected in memory: the file is then written in one
// go, atomically, and reals take their shortest exact, locale-independent form.
class BufferWriter : public DL_WriterA {
 public:
  BufferWriter() : DL_WriterA("/dev/null", DL_VERSION_2000) {}
  void dxfReal(int gc, double value) const override {
    std::string v = fmt::format("{}", value);
    if (v.find_first_of(".en") == std::string::npos) v += ".0";
    group(gc, v);
  }
  void dxfInt(int gc, int value) const override { group(gc, fmt::format("{}", value)); }
  void dxfHex(int gc, int value) const override { group(gc, fmt::format("{:X}", value)); }
  void dxfString(int gc, const char* value) const override { group(gc, value); }
  void dxfString(int gc, const std::string& value) const override { group(gc, value); }

  std::string& text() { return text_; }

 private:
  void group(int gc, std::string_view value) const {
    fmt::format_to(std::back_inserter(text_), "{:>3}\n{}\n", gc, value);
  }
  mutable std::string text_;
};

class SheetWriter {
 public:
  SheetWriter(DL_Dxf& dxf, DL_WriterA& dw) : dxf_(dxf), dw_(dw) {}

  void write(const Sheet& sheet, const std::optional<std::string>& number) {
    header(sheet);
    tables(sheet);
    blocks();
    dw_.sectionEntities();
    for (const Element& e : sheet.elements) element(e);
    dw_.sectionEnd();
    objects(number);
    dw_.dxfEOF();
  }

 private:
  void header(const Sheet& sheet) {
    dxf_.writeHeader(dw_);
    dw_.dxfString(9, "$DWGCODEPAGE");
    dw_.dxfString(3, kCodepage);
    dw_.dxfString(9, "$INSUNITS");
    dw_.dxfInt(70, 4);  // millimetres
    dw_.dxfString(9, "$MEASUREMENT");
    dw_.dxfInt(70, 1);  // metric
    if (auto ext = sheet.extent()) {
      dw_.dxfString(9, "$EXTMIN");
      dw_.coord(10, ext->first.x, ext->first.y);
      dw_.dxfString(9, "$EXTMAX");
      dw_.coord(10, ext->second.x, ext->second.y);
    }
    dw_.sectionEnd();
  }

  void tables(const Sheet& sheet) {
    dw_.sectionTables();
    dxf_.writeVPort(dw_);
    linetypes(sheet);
    dw_.tableLayers(1);
    dxf_.writeLayer(dw_, DL_LayerData("0", 0), DL_Attributes("0", 7, -1, -3, "CONTINUOUS"));
    dw_.tableEnd();
    text_styles(sheet);
    dxf_.writeView(dw_);
    dxf_.writeUcs(dw_);
    dw_.tableAppid(2);
    dxf_.writeAppid(dw_, "ACAD");
    dxf_.writeAppid(dw_, dxf::kInfoApp);
    dw_.tableEnd();
    dxf_.writeDimStyle(dw_, 2.5, 1.25, 0.625, 0.625, 2.5);
    dxf_.writeBlockRecord(dw_);
    dw_.tableEnd();
    dw_.sectionEnd();
  }

  // Every line type an element uses is declared, with its dash pattern.
  void linetypes(const Sheet& sheet) {
    std::map<std::string, dxf::LinetypeDef> used;
    auto use = [this, &used](const Element& e) {
      dxf::LinetypeDef def = dxf::dxf_linetype(e.stroke.linetype);
      if (!e.stroke.dashes.empty()) {
        // the drawing's own pattern, under a name of its own
        auto [it, fresh] = own_patterns_.try_emplace(e.stroke.dashes, std::string());
        if (!fresh) return;
        it->second = def.name == "CONTINUOUS"
                         ? fmt::format("PATTERN_{}", own_patterns_.size())
                         : fmt::format("{}_{}", def.name, own_patterns_.size());
        used.emplace(it->second, dxf::LinetypeDef{it->second, "", e.stroke.dashes});
        return;
      }
      if (def.name != "CONTINUOUS" && !used.count(def.name)) used.emplace(def.name, def);
    };
    const std::vector<Element>* seen = nullptr;
    for (const Element& e : sheet.elements) {
      if (e.kind != ElementKind::Group) {
        use(e);
      } else if (e.group && e.group->elements.get() != seen) {
        seen = e.group->elements.get();
        for (const Element& child : e.group->content()) use(child);
      }
    }
    dw_.tableLinetypes(static_cast<int>(3 + used.size()));
    for (const char* name : {"BYBLOCK", "BYLAYER", "CONTINUOUS"})
      dxf_.writeLinetype(dw_, DL_LinetypeData(name, "", 0, 0, 0.0));
    for (auto& [name, def] : used) {
      double length = 0;
      for (double d : def.pattern) length += std::fabs(d);
      DL_LinetypeData data(def.name, def.description, 0, static_cast<int>(def.pattern.size()),
                           length, def.pattern.data());
      dxf_.writeLinetype(dw_, data);
    }
    dw_.tableEnd();
  }

  // One text style per font the texts use; the host's own fonts print as "Standard".
  void text_styles(const Sheet& sheet) {
    styles_.clear();
    for (const Element& e : sheet.elements) {
      if (e.kind != ElementKind::Text || e.text.font == TextProps{}.font) continue;
      if (!styles_.count(e.text.font))
        styles_.emplace(e.text.font, fmt::format("STYLE_{}", styles_.size() + 1));
    }
    dw_.tableStyle(static_cast<int>(styles_.size() + 1));
    // through dxflib, which remembers its handle for the dimension style
    dxf_.writeStyle(dw_, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    for (const auto& [font, name] : styles_) text_style(name, font);
    dw_.tableEnd();
  }

  // A file name (with an extension, or a single-stroke font) goes into group 3, a family
  // into the ACAD XDATA where TrueType styles keep it.
  void text_style(const std::string& name, const std::string& font) {
    const bool file = font.find('.') != std::string::npos || font == "txt";
    dw_.dxfString(0, "STYLE");
    dw_.handle();
    dw_.dxfString(100, "AcDbSymbolTableRecord");
    dw_.dxfString(100, "AcDbTextStyleTableRecord");
    dw_.dxfString(2, name);
    dw_.dxfInt(70, 0);
    dw_.dxfReal(40, 0);
    dw_.dxfReal(41, 1);
    dw_.dxfReal(50, 0);
    dw_.dxfInt(71, 0);
    dw_.dxfReal(42, 2.5);
    dw_.dxfString(3, file ? dxf::utf8_to_cp1252(font) : std::string());
    dw_.dxfString(4, "");
    if (!file) {
      dw_.dxfString(1001, "ACAD");
      dw_.dxfString(1000, dxf::utf8_to_cp1252(font));
      dw_.dxfInt(1071, 0);
    }
  }

  const std::string& style_of(const TextProps& t) const {
    static const std::string standard = "Standard";
    auto it = styles_.find(t.font);
    return it == styles_.end() ? standard : it->second;
  }

  void blocks() {
    dw_.sectionBlocks();
    for (const char* name : {"*Model_Space", "*Paper_Space", "*Paper_Space0"}) {
      dxf_.writeBlock(dw_, DL_BlockData(name, 0, 0.0, 0.0, 0.0));
      dxf_.writeEndBlock(dw_, name);
    }
    dw_.sectionEnd();
  }

  // The picture as an IMAGE that names its file (its frame travels as a polyline of its own).
  // The definition object follows among the objects; the pixel size is the file's where it
  // can be read, else one pixel spans the whole picture.
  void image(const Element& e, const DL_Attributes& attr) {
    if (e.points.size() < 3 || e.source.empty()) return;
    const auto size = raster_size(e.source).value_or(std::pair{1, 1});
    const Vec2 o = e.points[0], r = e.points[1], t = e.points[2];
    const double w = size.first, h = size.second;
    DL_ImageData data(dxf::utf8_to_cp1252(e.source), o.x, o.y, 0, (r.x - o.x) / w, (r.y - o.y) / w,
                      0, (t.x - o.x) / h, (t.y - o.y) / h, 0, size.first, size.second, 50, 50, 0);
    const auto handle = static_cast<int>(dxf_.writeImage(dw_, data, attr));
    images_.emplace_back(handle, std::move(data));
  }

  void objects(const std::optional<std::string>& number) {
    dxf_.writeObjects(dw_, dxf::kDictionary);
    dxf_.writeAppDictionary(dw_);
    for (const auto& [handle, data] : images_) dxf_.writeImageDef(dw_, handle, data);
    if (number) {
      int handle = dxf_.writeDictionaryEntry(dw_, dxf::kNumberEntry);
      dxf_.writeXRecord(dw_, handle, dxf::utf8_to_cp1252(*number));
    }
    dxf_.writeObjectsEnd(dw_);
  }

  DL_Attributes attributes(const Stroke& s) {
    int aci = dxf::nearest_aci(s.color);
    int true_color = dxf::rgb_to_true_color(s.color);
    // plain palette colours need no true colour
    if (dxf::rgb_to_true_color(dxf::aci_to_rgb(aci)) == true_color) true_color = -1;
    auto own = s.dashes.empty() ? own_patterns_.end() : own_patterns_.find(s.dashes);
    return DL_Attributes(
        "0", aci, true_color, dxf::pensize_to_lineweight(s.pensize),
        own != own_patterns_.end() ? own->second : dxf::dxf_linetype(s.linetype).name);
  }

  void element(const Element& e) {
    if (e.points.empty()) return;
    if (e.kind == ElementKind::Group) {
      // a view is written as what it shows: its content placed and cut to its outline
      for (const Element& piece : dxf::clipped_view(e)) element(piece);
      return;
    }
    const DL_Attributes attr = attributes(e.stroke);
    const auto& p = e.points;
    switch (e.kind) {
      case ElementKind::Line:
        if (p.size() < 2) return;
        dxf_.writeLine(dw_, DL_LineData(p[0].x, p[0].y, 0, p[1].x, p[1].y, 0), attr);
        break;
      case ElementKind::Polyline:
        polyline(p, e.bulges, e.closed, attr);
        break;
      case ElementKind::Rectangle:
        if (p.size() < 2) return;
        polyline({p[0], {p[1].x, p[0].y}, p[1], {p[0].x, p[1].y}}, {}, true, attr);
        break;
      case ElementKind::Circle:
        dxf_.writeCircle(dw_, DL_CircleData(p[0].x, p[0].y, 0, e.radius), attr);
        break;
      case ElementKind::Arc:
        dxf_.writeArc(dw_, DL_ArcData(p[0].x, p[0].y, 0, e.radius, e.start_angle, e.end_angle),
                      attr);
        break;
      case ElementKind::Text:
        if (e.text.lines.size() > 1 || !e.text.formatted.empty() || e.text.wrap_width > 0 ||
            e.text.column_count > 1 || e.text.background != 0) {
          mtext(e, attr);
        } else {
          text(e, attr);
        }
        break;
      case ElementKind::Point:
        dxf_.writePoint(dw_, DL_PointData(p[0].x, p[0].y, 0), attr);
        break;
      case ElementKind::Fill:
        hatch(e, attr);
        break;
      case ElementKind::Image:
        image(e, attr);
        return;
      case ElementKind::Mask: {
        // the paper's colour itself, not palette colour 7, which readers show black on white
        DL_Attributes white = attr;
        white.setColor(7);
        white.setColor24(0xFFFFFF);
        hatch(e, white);
        break;
      }
      case ElementKind::Group:
        break;
    }
    info(e.info);
  }

  void polyline(const std::vector<Vec2>& points, const std::vector<double>& bulges, bool closed,
                const DL_Attributes& attr) {
    dxf_.writePolyline(dw_, DL_PolylineData(static_cast<int>(points.size()), 0, 0, closed ? 1 : 0),
                       attr);
    for (std::size_t i = 0; i < points.size(); ++i)
      dxf_.writeVertex(
          dw_, DL_VertexData(points[i].x, points[i].y, 0, i < bulges.size() ? bulges[i] : 0.0));
    dxf_.writePolylineEnd(dw_);
  }

  // A solid HATCH with one loop of line edges per ring; readers fill it even-odd, as we do.
  void hatch(const Element& e, const DL_Attributes& attr) {
    DL_HatchData data(static_cast<int>(e.rings.size()), true, 1.0, 0.0, "SOLID");
    dxf_.writeHatch1(dw_, data, attr);
    std::size_t at = 0;
    for (std::uint32_t n : e.rings) {
      if (at + n > e.points.size()) break;
      DL_HatchLoopData loop(static_cast<int>(n));
      dxf_.writeHatchLoop1(dw_, loop);
      for (std::size_t i = 0; i < n; ++i) {
        const Vec2& a = e.points[at + i];
        const Vec2& b = e.points[at + (i + 1) % n];
        dxf_.writeHatchEdge(dw_, DL_HatchEdgeData(a.x, a.y, b.x, b.y));
      }
      dxf_.writeHatchLoop2(dw_, loop);
      at += n;
    }
    dxf_.writeHatch2(dw_, data, attr);
  }

  void entity_start(const char* type, const char* subclass, const DL_Attributes& attr) {
    dw_.entity(type);
    dw_.dxfString(100, "AcDbEntity");
    dw_.entityAttributes(attr);
    dw_.dxfString(100, subclass);
  }

  // TEXT: dxflib's own writer has no oblique angle and converts the angle twice, so the
  // groups are written here.
  void text(const Element& e, const DL_Attributes& attr) {
    const TextProps& t = e.text;
    int adjust = std::clamp(t.adjust, 1, 9);
    int col = (adjust - 1) % 3, row = (adjust - 1) / 3;
    int valign = row == 0 ? 0 : row == 1 ? 2 : 3;
    entity_start("TEXT", "AcDbText", attr);
    dw_.coord(10, e.points[0].x, e.points[0].y);
    dw_.dxfReal(40, t.size);
    dw_.dxfString(1, dxf::utf8_to_cp1252(t.lines.empty() ? std::string() : t.lines[0]));
    if (t.angle != 0) dw_.dxfReal(50, t.angle);
    if (t.ratio != 1) dw_.dxfReal(41, t.ratio);
    if (t.slant != 0) dw_.dxfReal(51, t.slant);
    dw_.dxfString(7, style_of(t));
    if (t.backward || t.upside_down) dw_.dxfInt(71, (t.backward ? 2 : 0) | (t.upside_down ? 4 : 0));
    if (t.fit_width > 0) {
      const double r = t.angle * std::numbers::pi / 180;
      dw_.dxfInt(72, t.fit_scales_height ? 3 : 5);
      dw_.coord(11, e.points[0].x + t.fit_width * std::cos(r),
                e.points[0].y + t.fit_width * std::sin(r));
    } else if (col != 0 || valign != 0) {
      dw_.dxfInt(72, col);
      dw_.coord(11, e.points[0].x, e.points[0].y);
    }
    dw_.dxfString(100, "AcDbText");
    if (valign != 0 && t.fit_width == 0) dw_.dxfInt(73, valign);
  }

  // MTEXT for texts of several lines; width and oblique travel as leading format codes.
  void mtext(const Element& e, const DL_Attributes& attr) {
    const TextProps& t = e.text;
    int adjust = std::clamp(t.adjust, 1, 9);
    int attach = (2 - (adjust - 1) / 3) * 3 + (adjust - 1) % 3 + 1;
    std::string content;
    if (t.ratio != 1) content += fmt::format("\\W{};", t.ratio);
    if (t.slant != 0) content += fmt::format("\\Q{};", t.slant);
    // the formatted content carries the same codes as MTEXT
    content += shows_formatted(t) ? t.formatted : dxf::mtext_content(t.lines);
    std::vector<std::string> pieces = chunks(dxf::utf8_to_cp1252(content));
    entity_start("MTEXT", "AcDbMText", attr);
    dw_.coord(10, e.points[0].x, e.points[0].y);
    dw_.dxfReal(40, t.size);
    if (t.wrap_width > 0) dw_.dxfReal(41, t.wrap_width);
    dw_.dxfInt(71, attach);
    dw_.dxfInt(72, 1);  // left to right
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i) dw_.dxfString(3, pieces[i]);
    dw_.dxfString(1, pieces.back());
    dw_.dxfString(7, style_of(t));
    if (t.angle != 0) {
      double r = t.angle * std::numbers::pi / 180;
      dw_.coord(11, std::cos(r), std::sin(r));
    }
    dw_.dxfInt(73, 1);
    dw_.dxfReal(44, t.linespace * 0.6);
    const int box = (t.background == 2 ? 3 : t.background == 1 ? 1 : 0) | (t.frame ? 16 : 0);
    if (box != 0) dw_.dxfInt(90, box);
    if (t.background != 0) {
      dw_.dxfInt(63, dxf::nearest_aci(t.background_color));
      dw_.dxfInt(421, dxf::rgb_to_true_color(t.background_color));
      dw_.dxfReal(45, t.background_margin);
      dw_.dxfInt(441, 0);
    }
    if (t.column_count > 1 && t.wrap_width > 0) columns(t);
  }

  // Flowing columns as the XDATA that files before R2018 carry them in.
  void columns(const TextProps& t) {
    const bool auto_height = t.column_heights.size() == 1;
    auto pair = [&](int code, int value) {
      dw_.dxfInt(1070, code);
      dw_.dxfInt(1070, value);
    };
    auto real = [&](int code, double value) {
      dw_.dxfInt(1070, code);
      dw_.dxfReal(1040, value);
    };
    dw_.dxfString(1001, "ACAD");
    dw_.dxfString(1000, "ACAD_MTEXT_COLUMN_INFO_BEGIN");
    pair(75, 2);
    pair(79, auto_height ? 1 : 0);
    pair(76, t.column_count);
    pair(78, 0);
    real(48, t.wrap_width);
    real(49, t.column_gutter);
    if (!auto_height && !t.column_heights.empty()) {
      pair(50, static_cast<int>(t.column_heights.size()));
      for (double h : t.column_heights) dw_.dxfReal(1040, h);
    }
    dw_.dxfString(1000, "ACAD_MTEXT_COLUMN_INFO_END");
    if (auto_height) {
      dw_.dxfString(1000, "ACAD_MTEXT_DEFINED_HEIGHT_BEGIN");
      real(46, t.column_heights.front());
      dw_.dxfString(1000, "ACAD_MTEXT_DEFINED_HEIGHT_END");
    }
  }

  void info(const std::vector<std::string>& infos) {
    if (infos.empty()) return;
    dw_.dxfString(1001, dxf::kInfoApp);
    for (const std::string& s : infos) {
      dw_.dxfString(1002, "{");
      for (const std::string& piece : chunks(dxf::utf8_to_cp1252(s))) dw_.dxfString(1000, piece);
      dw_.dxfString(1002, "}");
    }
  }

  DL_Dxf& dxf_;
  DL_WriterA& dw_;
  std::vector<std::pair<int, DL_ImageData>> images_;  // IMAGEDEF handle and what it names
  std::map<std::vector<double>, std::string> own_patterns_;
  std::map<std::string, std::string> styles_;  // font, style name
};

}  // namespace

void write_dxf_sheet(const Sheet& sheet, const std::optional<std::string>& drawing_number,
                     const std::string& path) {
  DL_Dxf dxf;
  BufferWriter dw;
  SheetWriter(dxf, dw).write(sheet, drawing_number);
  write_file_atomically(path, dw.text());
}

}  // namespace host
