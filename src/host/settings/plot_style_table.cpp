// Reading plot style table files. The file: a header line "PIAFILEVERSION_2.0,CTBVER1,compress"
// (STBVER1 for named tables), "\r\n", "pmzlibcodec", three little-endian 32-bit numbers
// (checksum, text length, compressed length), then the zlib stream of a text that ends in a
// NUL. The text is lines of `name=value` (a string value opens with a quote that is never
// closed) and blocks `name{` ... `}`, nested.
#include "host/settings/plot_style_table.h"

#include <zlib.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

#include "host/api/error.h"
#include "host/value/text.h"

namespace host {
namespace {

constexpr std::string_view kCodec = "pmzlibcodec";
// Real tables inflate to some tens of kilobytes; more is not a table.
constexpr std::size_t kMaxText = 16u << 20;
constexpr int kMaxDepth = 8;

[[noreturn]] void fail(const std::string& file, const std::string& what) {
  throw Error(file + ": not a plot style table: " + what, "PLOT-STYLE-TABLE");
}

// Inflates the zlib stream at `at`; nullopt when no complete stream starts there.
std::optional<std::string> inflate_at(std::span<const std::uint8_t> bytes, std::size_t at,
                                      const std::string& file) {
  if (at >= bytes.size()) return std::nullopt;
  z_stream z{};
  if (inflateInit(&z) != Z_OK) fail(file, "zlib cannot start");
  z.next_in = const_cast<Bytef*>(bytes.data() + at);
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size() - at, 0xFFFFFFFFu));
  std::string out;
  char chunk[16384];
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = reinterpret_cast<Bytef*>(chunk);
    z.avail_out = sizeof chunk;
    status = inflate(&z, Z_NO_FLUSH);
    out.append(chunk, sizeof chunk - z.avail_out);
    if (out.size() > kMaxText) {
      inflateEnd(&z);
      fail(file, "the text is larger than any table");
    }
    if (status == Z_BUF_ERROR && z.avail_in == 0) break;  // truncated
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

// One line's key and value, or a block of them.
struct Node {
  std::string value;
  std::vector<std::string> keys;  // of the children, in file order
  std::vector<Node> children;
  bool block = false;
  const Node* child(std::string_view key) const {
    for (std::size_t i = 0; i < keys.size(); ++i)
      if (keys[i] == key) return &children[i];
    return nullptr;
  }
  void add(std::string_view key, Node n) {
    keys.emplace_back(key);
    children.push_back(std::move(n));
  }
  std::string text(std::string_view key, std::string fallback = {}) const {
    const Node* n = child(key);
    return n && !n->block ? n->value : fallback;
  }
};

class TextParser {
 public:
  TextParser(std::string_view text, const std::string& file) : text_(text), file_(file) {}

  Node parse() {
    Node root;
    root.block = true;
    read_block(root, 0, false);
    return root;
  }

 private:
  std::string_view next_line() {
    const std::size_t end = text_.find('\n', at_);
    std::string_view line = text_.substr(at_, end == std::string_view::npos ? end : end - at_);
    at_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    return line;
  }

  void read_block(Node& into, int depth, bool closed) {
    if (depth > kMaxDepth) fail(file_, "blocks nested too deep (line " + std::to_string(line_) + ")");
    while (at_ < text_.size()) {
      const std::string_view line = next_line();
      if (line.empty()) continue;
      if (line == "}") {
        if (closed) return;
        fail(file_, "a \"}\" without its block (line " + std::to_string(line_) + ")");
      }
      const std::size_t eq = line.find('=');
      if (eq == std::string_view::npos && line.back() == '{') {
        Node block;
        block.block = true;
        read_block(block, depth + 1, true);
        into.add(line.substr(0, line.size() - 1), std::move(block));
        continue;
      }
      if (eq == std::string_view::npos)
        fail(file_, "line " + std::to_string(line_) + " is neither a value nor a block");
      std::string_view value = line.substr(eq + 1);
      if (!value.empty() && value.front() == '"') value.remove_prefix(1);
      Node leaf;
      leaf.value = std::string(value);
      into.add(line.substr(0, eq), std::move(leaf));
    }
    if (closed) fail(file_, "a block is not closed");
  }

  std::string_view text_;
  const std::string& file_;
  std::size_t at_ = 0;
  std::size_t line_ = 0;
};

std::optional<long long> integer(std::string_view s) {
  long long v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  return v;
}

std::optional<double> number(std::string_view s) {
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

bool flag(std::string_view s, bool fallback) {
  if (iequals(s, "TRUE")) return true;
  if (iequals(s, "FALSE")) return false;
  return fallback;
}

// A colour value: a signed 32-bit number whose top byte says how the rest is meant. -1 and
// the "by layer"/"by block" kinds (0xC0, 0xC1) leave the element's own colour, and so does
// the marker 0xC3FFFFFF; otherwise the low 24 bits are red, green and blue.
std::optional<Rgb> color_of(long long value) {
  const auto bits = static_cast<std::uint32_t>(value);
  const std::uint32_t kind = bits >> 24;
  if (bits == 0xFFFFFFFFu || bits == 0xC3FFFFFFu || kind == 0xC0 || kind == 0xC1) return std::nullopt;
  return Rgb{((bits >> 16) & 0xFF) / 255.0, ((bits >> 8) & 0xFF) / 255.0, (bits & 0xFF) / 255.0};
}

LineEnd end_of(long long v) {
  switch (v) {
    case 0: return LineEnd::Butt;
    case 1: return LineEnd::Square;
    case 2: return LineEnd::Round;
    case 3: return LineEnd::Diamond;
    default: return LineEnd::Object;
  }
}

LineCorner corner_of(long long v) {
  switch (v) {
    case 0: return LineCorner::Miter;
    case 1: return LineCorner::Bevel;
    case 2: return LineCorner::Round;
    case 3: return LineCorner::Diamond;
    default: return LineCorner::Object;
  }
}

AreaFill fill_of(long long v) {
  if (v >= 64 && v <= 72) return static_cast<AreaFill>(v - 64 + 1);
  return AreaFill::Object;
}

PlotStyleEntry entry_of(const Node& n, const std::vector<double>& weights) {
  PlotStyleEntry e;
  e.name = n.text("name");
  // the colour the editor shows is `mode_color`; `color` may hold an index-coded copy
  std::string color = n.text("mode_color");
  if (color.empty()) color = n.text("color");
  if (auto v = integer(color)) e.color = color_of(*v);
  if (auto v = integer(n.text("color_policy"))) e.grayscale = (*v & 2) != 0;
  if (auto v = integer(n.text("screen"))) e.screen = static_cast<int>(std::clamp(*v, 0LL, 100LL));
  // the line weight is an index into the table's list; 0 mm and unknown indexes (255
  // among them) leave the element's own
  if (auto v = integer(n.text("lineweight")); v && *v >= 0 && *v < static_cast<long long>(weights.size())) {
    const double mm = weights[static_cast<std::size_t>(*v)];
    if (mm > 0) e.lineweight_mm = mm;
  }
  if (auto v = integer(n.text("end_style"))) e.end = end_of(*v);
  if (auto v = integer(n.text("join_style"))) e.corner = corner_of(*v);
  if (auto v = integer(n.text("fill_style"))) e.fill = fill_of(*v);
  return e;
}

// The table's line weights; a table without its own list uses the usual one.
std::vector<double> weights_of(const Node& root) {
  std::vector<double> weights{0.00, 0.05, 0.09, 0.10, 0.13, 0.15, 0.18, 0.20, 0.25,
                              0.30, 0.35, 0.40, 0.45, 0.50, 0.53, 0.60, 0.65, 0.70,
                              0.80, 0.90, 1.00, 1.06, 1.20, 1.40, 1.58, 2.00, 2.11};
  const Node* list = root.child("custom_lineweight_table");
  if (!list || !list->block) return weights;
  weights.clear();
  for (std::size_t k = 0; k < list->keys.size(); ++k) {
    const auto i = integer(list->keys[k]);
    const auto mm = number(list->children[k].value);
    if (!i || !mm || *i < 0 || *i > 1000) continue;
    if (weights.size() <= static_cast<std::size_t>(*i)) weights.resize(static_cast<std::size_t>(*i) + 1, 0);
    weights[static_cast<std::size_t>(*i)] = std::clamp(*mm, 0.0, 100.0);
  }
  return weights;
}

}  // namespace

PlotStyleTable read_plot_style_table(std::span<const std::uint8_t> bytes, const std::string& file) {
  const std::string_view head(reinterpret_cast<const char*>(bytes.data()),
                              std::min<std::size_t>(bytes.size(), 48));
  if (head.rfind("PIAFILEVERSION_", 0) != 0) fail(file, "no plot style table header");
  const std::size_t codec = head.find(kCodec);
  if (codec == std::string_view::npos) fail(file, "no zlib codec in the header");
  const bool named = head.find("STBVER") != std::string_view::npos;
  if (!named && head.find("CTBVER") == std::string_view::npos)
    fail(file, "neither a colour-dependent nor a named table");
  // after the codec come three 32-bit numbers; some writers put them in 64-bit fields
  const std::size_t numbers = codec + kCodec.size();
  std::optional<std::string> text = inflate_at(bytes, numbers + 12, file);
  if (!text) text = inflate_at(bytes, numbers + 24, file);
  if (!text) fail(file, "the compressed text cannot be read");
  if (const auto nul = text->find('\0'); nul != std::string::npos) text->resize(nul);

  const Node root = TextParser(*text, file).parse();
  PlotStyleTable table;
  table.named = named;
  table.description = root.text("description");
  if (auto v = number(root.text("scale_factor")); v && *v > 0 && *v < 1e6) table.scale_factor = *v;
  table.apply_factor = flag(root.text("apply_factor"), false);
  const std::vector<double> weights = weights_of(root);
  const Node* styles = root.child("plot_style");
  if (!named) table.styles.resize(255);
  if (styles && styles->block) {
    for (std::size_t k = 0; k < styles->keys.size(); ++k) {
      const std::string& key = styles->keys[k];
      const Node& n = styles->children[k];
      if (!n.block) continue;
      PlotStyleEntry e = entry_of(n, weights);
      if (named) {
        table.styles.push_back(std::move(e));
        continue;
      }
      const auto index = integer(key);
      if (index && *index >= 0 && *index < 255) table.styles[static_cast<std::size_t>(*index)] = std::move(e);
    }
  }
  return table;
}

PlotStyleTable load_plot_style_table(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Error(file.string() + ": cannot read the plot style table", "PLOT-STYLE-TABLE");
  std::vector<std::uint8_t> bytes;
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    if (bytes.size() > kMaxText) fail(file.string(), "the file is larger than any table");
  }
  return read_plot_style_table(bytes, file.string());
}

const PlotStyleEntry* PlotStyleTable::by_index(int index) const {
  if (named || index < 1 || index > static_cast<int>(styles.size())) return nullptr;
  return &styles[static_cast<std::size_t>(index - 1)];
}

const PlotStyleEntry* PlotStyleTable::by_name(std::string_view name) const {
  if (!named) return nullptr;
  for (const PlotStyleEntry& e : styles)
    if (iequals(e.name, name)) return &e;
  return nullptr;
}

std::vector<std::filesystem::path> plot_style_folders(const std::filesystem::path& install) {
  std::vector<std::filesystem::path> folders;
  if (const char* office = std::getenv("TAVRIN_PLOT_STYLES"); office && *office)
    folders.emplace_back(office);
  if (!install.empty()) folders.push_back(install / "TABELLEN" / "PLOTSTYLES");
  return folders;
}

std::optional<std::filesystem::path> find_plot_style_table(
    const std::string& name, const std::vector<std::filesystem::path>& folders) {
  // drawings made on other systems name tables with their folders, in either slash
  std::string base = name;
  if (const auto slash = base.find_last_of("/\\"); slash != std::string::npos)
    base = base.substr(slash + 1);
  if (base.empty()) return std::nullopt;
  for (const auto& folder : folders) {
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
      if (iequals(it->path().filename().string(), base) && it->is_regular_file(ec))
        return it->path();
    }
  }
  return std::nullopt;
}

}  // namespace host
