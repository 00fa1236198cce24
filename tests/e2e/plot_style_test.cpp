// CAD plot style tables and the colour modes, end to end: drawings made with python3-ezdxf,
// plotted by `tavrin`, their pages rendered by pdftoppm and their content read with qpdf.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>

#include "e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct Rgb8 {
  int r, g, b;
};

// Page 1 rendered at `dpi`; pixels looked up in millimetres from the top left.
class Page {
 public:
  explicit Page(const fs::path& pdf, int dpi = 25) : dpi_(dpi) {
    const fs::path base = pdf.parent_path() / (pdf.stem().string() + "-page");
    const Result r = run("pdftoppm -r " + std::to_string(dpi) + " -f 1 -l 1 " + quote(pdf.string()) + " " +
                         quote(base.string()));
    if (r.status != 0) throw std::runtime_error("pdftoppm: " + r.output);
    std::ifstream in(base.string() + "-1.ppm", std::ios::binary);
    std::string magic;
    int depth = 0;
    in >> magic >> width_ >> height_ >> depth;
    in.get();
    pixels_.resize(static_cast<std::size_t>(width_) * height_ * 3);
    in.read(pixels_.data(), static_cast<std::streamsize>(pixels_.size()));
    if (magic != "P6" || !in) throw std::runtime_error("pdftoppm wrote no picture");
  }
  Rgb8 at_mm(double x, double y) const {
    const int px = static_cast<int>(x / 25.4 * dpi_), py = static_cast<int>(y / 25.4 * dpi_);
    const std::size_t i = (static_cast<std::size_t>(py) * width_ + px) * 3;
    auto c = [&](std::size_t k) { return static_cast<unsigned char>(pixels_.at(i + k)); };
    return {c(0), c(1), c(2)};
  }

 private:
  int dpi_, width_ = 0, height_ = 0;
  std::vector<char> pixels_;
};

MATCHER_P3(Near, r, g, b, "") {
  return std::abs(arg.r - r) <= 8 && std::abs(arg.g - g) <= 8 && std::abs(arg.b - b) <= 8;
}

void PrintTo(const Rgb8& c, std::ostream* os) {
  *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

// The line widths of the page content, in points, as qpdf uncompresses it.
std::vector<double> stroke_widths(const fs::path& pdf) {
  const fs::path plain = pdf.string() + ".qdf";
  run("qpdf --qdf --object-streams=disable " + quote(pdf.string()) + " " + quote(plain.string()));
  std::ifstream in(plain, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  const std::string content = ss.str();
  std::vector<double> widths;
  const std::regex width(R"((^|\s)([0-9.]+) w\s)");
  for (auto it = std::sregex_iterator(content.begin(), content.end(), width);
       it != std::sregex_iterator(); ++it)
    widths.push_back(std::stod((*it)[2]));
  return widths;
}

bool has_width(const std::vector<double>& widths, double mm) {
  for (double w : widths)
    if (std::abs(w - mm * 72 / 25.4) < 0.01) return true;
  return false;
}

// A drawing of four filled squares (colours 1, 3, 5 and 6, 40 mm each, 10 mm apart, from the
// page's top left) and a line of colour 3 below them; `extra` is Python run before saving.
void make_drawing(const fs::path& dxf, const std::string& extra) {
  const fs::path py = dxf.string() + ".py";
  std::ofstream(py) << R"(
import sys, ezdxf
doc = ezdxf.new("R2013")
doc.header["$INSUNITS"] = 4
msp = doc.modelspace()
for i, color in enumerate((1, 3, 5, 6)):
    x = 50 * i
    msp.add_solid([(x, 0), (x + 40, 0), (x, 40), (x + 40, 40)], dxfattribs={"color": color})
line = msp.add_line((0, -20), (140, -20), dxfattribs={"color": 3})
)" << extra << "\ndoc.saveas(sys.argv[1])\n";
  const Result r = run("/usr/bin/python3 " + quote(py.string()) + " " + quote(dxf.string()));
  ASSERT_EQ(r.status, 0) << r.output;
}

void write_table(const fs::path& file, const std::string& json) {
  const fs::path desc = file.string() + ".json";
  std::ofstream(desc) << json;
  const Result r = run("/usr/bin/python3 " +
                       quote(TAVRIN_SOURCE_DIR "/scripts/plot-style-tables.py") + " write " +
                       quote(file.string()) + " " + quote(desc.string()));
  ASSERT_EQ(r.status, 0) << r.output;
}

class PlotStyles : public ::testing::Test {
 protected:
  fs::path out() const {
    fs::create_directories(s.root() / "out");
    return s.root() / "out";
  }
  Result plot(const fs::path& dxf, const std::string& options = "",
              const std::string& env = "") const {
    return tavrin_with_env(s, env, "now " + quote(dxf.string()) + " --pdf --sheets all --yes " +
                                       options, out());
  }
  Scratch s;
};

// The square of colour 1 sits 20 mm right of and 20 mm below the page's top left corner.
constexpr double kRed[2] = {20, 20}, kGreen[2] = {70, 20}, kBlue[2] = {120, 20},
                 kMagenta[2] = {170, 20};

TEST_F(PlotStyles, TheShippedTableALayoutNamesPrintsBlackAndItsAbsenceTheDrawingsColours) {
  const fs::path dxf = s.root() / "mono.dxf";
  make_drawing(dxf, "msp.set_plot_style('Monochrome.ctb')");
  const fs::path plain = s.root() / "plain.dxf";
  make_drawing(plain, "");
  ASSERT_EQ(plot(dxf).status, 0);
  ASSERT_EQ(plot(plain).status, 0);
  const Page mono(out() / "mono_1.pdf"), colours(out() / "plain_1.pdf");
  for (const double* at : {kRed, kGreen, kBlue}) EXPECT_THAT(mono.at_mm(at[0], at[1]), Near(0, 0, 0));
  EXPECT_THAT(colours.at_mm(kRed[0], kRed[1]), Near(255, 0, 0));
  EXPECT_THAT(colours.at_mm(kGreen[0], kGreen[1]), Near(0, 255, 0));
}

// The job's table beats the layout's; colour, screening, line weight, object colour and
// line ends as the table sets them.
TEST_F(PlotStyles, AColourDependentTablePrintsAsItIsSet) {
  const fs::path table = s.root() / "buero.ctb";
  write_table(table, R"({"styles": {
      "1": {"color": [0, 0, 255], "screen": 50},
      "3": {"lineweight": 1.0, "end": "butt"},
      "5": {"grayscale": true},
      "6": {"fill": "vertical"}}})");
  const fs::path dxf = s.root() / "farbig.dxf";
  make_drawing(dxf, "msp.set_plot_style('monochrome.ctb')");
  const Result r = plot(dxf, "--plot-style-table " + quote(table.string()));
  ASSERT_EQ(r.status, 0) << r.output;
  const Page page(out() / "farbig_1.pdf");
  EXPECT_THAT(page.at_mm(kRed[0], kRed[1]), Near(128, 128, 255));
  EXPECT_THAT(page.at_mm(kGreen[0], kGreen[1]), Near(0, 255, 0));
  EXPECT_THAT(page.at_mm(kBlue[0], kBlue[1]), Near(18, 18, 18));  // the grey of pure blue
  EXPECT_TRUE(has_width(stroke_widths(out() / "farbig_1.pdf"), 1.0));
  // vertical bars 2 mm apart: along a row across the square, ink and paper alternate
  const Page fine(out() / "farbig_1.pdf", 100);
  int ink = 0, paper = 0;
  for (double x = 152; x < 188; x += 0.25) {
    const Rgb8 c = fine.at_mm(x, 20);
    (c.g > 200 ? paper : ink) += 1;
  }
  EXPECT_GT(ink, 10);
  EXPECT_GT(paper, ink);
}

// A drawing printed by named styles: its layer's style and an element's own, the table
// found in the office's folder.
TEST_F(PlotStyles, ANamedTablePrintsByTheStylesOfLayersAndElements) {
  const fs::path office = s.root() / "office";
  fs::create_directories(office);
  write_table(office / "Buero.stb", R"({"named": true, "styles": {
      "Rot": {"color": [255, 0, 0]}, "Dick": {"lineweight": 2.0}}})");
  const fs::path dxf = s.root() / "benannt.dxf";
  make_drawing(dxf, R"(
doc.header["$PSTYLEMODE"] = 0
names = doc.rootdict["ACAD_PLOTSTYLENAME"]
handles = {}
for name in ("Rot", "Dick"):
    ph = doc.objects.add_placeholder(owner=names.dxf.handle)
    names[name] = ph
    handles[name] = ph.dxf.handle
layer = doc.layers.add("A")
layer.dxf.plotstyle_handle = handles["Rot"]
for e in msp.query("SOLID"):
    if e.dxf.color == 3:
        e.dxf.layer = "A"
line.dxf.plotstyle_handle = handles["Dick"]
line.dxf.plotstyle_enum = 3
msp.set_plot_style("buero.stb")
)");
  const Result r = plot(dxf, "", "TAVRIN_PLOT_STYLES=" + quote(office.string()));
  ASSERT_EQ(r.status, 0) << r.output;
  const Page page(out() / "benannt_1.pdf");
  EXPECT_THAT(page.at_mm(kGreen[0], kGreen[1]), Near(255, 0, 0));
  EXPECT_THAT(page.at_mm(kBlue[0], kBlue[1]), Near(0, 0, 255));
  EXPECT_TRUE(has_width(stroke_widths(out() / "benannt_1.pdf"), 2.0));
}

TEST_F(PlotStyles, AMissingTableIsToldOncePerDrawingAndItsSheetsPlotInTheirColours) {
  const fs::path dxf = s.root() / "fehlt.dxf";
  make_drawing(dxf, R"(
for name in ("Blatt 1", "Blatt 2"):
    layout = doc.layouts.new(name)
    layout.page_setup(size=(200, 100), margins=(0, 0, 0, 0), units="mm")
    layout.add_viewport(center=(100, 50), size=(200, 100), view_center_point=(70, 10), view_height=100)
    layout.set_plot_style("nirgends.ctb")
)");
  const Result r = plot(dxf);
  EXPECT_EQ(r.status, 0) << r.output;
  const std::string line = "plot style table \"nirgends.ctb\" not found";
  ASSERT_THAT(r.output, HasSubstr(line));
  EXPECT_THAT(r.output.substr(r.output.find(line) + 1), Not(HasSubstr(line)));
  EXPECT_TRUE(fs::exists(out() / "fehlt_Blatt_2.pdf"));
}

TEST_F(PlotStyles, MonochromeAndGrayscaleTurnEveryColour) {
  const fs::path dxf = s.root() / "modus.dxf";
  make_drawing(dxf, "");
  ASSERT_EQ(plot(dxf, "--grayscale").status, 0);
  const Page grey(out() / "modus_1.pdf");
  EXPECT_THAT(grey.at_mm(kRed[0], kRed[1]), Near(54, 54, 54));
  EXPECT_THAT(grey.at_mm(kGreen[0], kGreen[1]), Near(182, 182, 182));
  ASSERT_EQ(plot(dxf, "--monochrome").status, 0);
  const Page black(out() / "modus_1.pdf");
  for (const double* at : {kRed, kGreen, kBlue}) EXPECT_THAT(black.at_mm(at[0], at[1]), Near(0, 0, 0));
  EXPECT_EQ(plot(dxf, "--monochrome --grayscale").status, 2);
}

}  // namespace
}  // namespace e2e
