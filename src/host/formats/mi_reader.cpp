// Reading .mi text into a drawing. The reader walks the text once, line by line, without
// copying lines; any fault ends the read with "<file>:<line>: <what>", the line and a caret
// under the place, and no drawing.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "host/api/error.h"
#include "host/api/files.h"
#include "host/formats/mi.h"
#include "host/value/language.h"
#include "host/formats/mi_syntax.h"
#include "host/value/location.h"

namespace host {

namespace {

// Shows a token in an error message: printable ASCII only, and not too long.
std::string shown(std::string_view token) {
  std::string out;
  for (char c : token.substr(0, 24)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (token.size() > 24) out += "...";
  return out;
}

class MiReader {
 public:
  MiReader(std::string_view text, const std::string& source)
      : text_(text), p_(text.data()), end_(text.data() + text.size()), source_(source) {}

  Drawing read() {
    if (p_ == end_) fail(_("the file is empty"));
    if (end_ - p_ >= 3 && std::memcmp(p_, "\xEF\xBB\xBF", 3) == 0) p_ += 3;
    if (!next_line()) fail(_("the file is empty"));
    read_header();
    if (!next_line()) fail(_("the file ends after its header (truncated)"));
    read_drawing_line();
    const std::size_t drawing_line = line_;
    bool ended = false;
    while (next_line()) {
      if (ended) fail(_("text after \"end\""));
      const std::string_view word = this->word(N_("a line kind"));
      if (word == "end" || word == "sheet") close_group_early();
      if (word == "end") {
        expect_line_end();
        ended = true;
      } else if (word == "sheet") {
        read_sheet();
      } else {
        read_element(word);
      }
    }
    close_group_early();
    if (!ended) fail(_("the file ends without \"end\" (truncated)"));
    if (drawing_.sheets.empty()) fail_at(drawing_line, _("the drawing has no sheet"));
    if (drawing_.current >= drawing_.sheets.size())
      fail_at(drawing_line,
              "the current sheet " + std::to_string(drawing_.current) + " does not exist");
    return std::move(drawing_);
  }

 private:
  [[noreturn]] void fail_at(std::size_t line, const std::string& what,
                            std::size_t column = 0) const {
    throw Error(located(source_, line, what, line_of(text_, line), column));
  }
  // At the reader's place in the current line, or at `token` of it.
  [[noreturn]] void fail(const std::string& what, std::string_view token = {}) const {
    const std::size_t line = line_ == 0 ? 1 : line_;
    const std::string_view text = line_of(text_, line);
    const char* at = token.data() ? token.data() : cur_;
    const bool on_line = at && !text.empty() && at >= text.data() && at <= lend_;
    fail_at(line, what, on_line ? static_cast<std::size_t>(at - text.data()) + 1 : 0);
  }

  // Moves to the next line that is neither blank nor a comment; false at the end.
  bool next_line() {
    while (p_ < end_) {
      const char* nl =
          static_cast<const char*>(std::memchr(p_, '\n', static_cast<std::size_t>(end_ - p_)));
      const char* line_end = nl ? nl : end_;
      ++line_;
      cur_ = p_;
      lend_ = line_end;
      p_ = nl ? nl + 1 : end_;
      if (lend_ > cur_ && lend_[-1] == '\r') --lend_;
      skip_blanks();
      if (cur_ != lend_ && *cur_ != '#') return true;
    }
    return false;
  }

  void skip_blanks() {
    while (cur_ < lend_ && (*cur_ == ' ' || *cur_ == '\t')) ++cur_;
  }

  // After a token: a blank or the end of the line must follow.
  void token_done(const char* what) {
    if (cur_ < lend_ && *cur_ != ' ' && *cur_ != '\t')
      fail(translate_format("unexpected character after {}", _(what)));
    skip_blanks();
  }

  void need(const char* what) {
    if (cur_ == lend_) fail(translate_format("line ends before {}", _(what)));
  }

  std::string_view word(const char* what) {
    need(what);
    const char* start = cur_;
    while (cur_ < lend_ && *cur_ != ' ' && *cur_ != '\t') ++cur_;
    std::string_view w(start, static_cast<std::size_t>(cur_ - start));
    skip_blanks();
    return w;
  }

  double number(const char* what) {
    need(what);
    double v = 0;
    const auto [ptr, ec] = std::from_chars(cur_, lend_, v);
    if (ec != std::errc() || (ptr < lend_ && *ptr != ' ' && *ptr != '\t') || !std::isfinite(v)) {
      const char* stop = cur_;
      while (stop < lend_ && *stop != ' ' && *stop != '\t') ++stop;
      fail(translate_format("bad number \"{}\" for {}",
                            shown({cur_, static_cast<std::size_t>(stop - cur_)}), _(what)));
    }
    cur_ = ptr;
    skip_blanks();
    return v;
  }

  long long integer(const char* what, long long lo, long long hi) {
    need(what);
    long long v = 0;
    const auto [ptr, ec] = std::from_chars(cur_, lend_, v);
    if (ec != std::errc() || (ptr < lend_ && *ptr != ' ' && *ptr != '\t') || v < lo || v > hi) {
      const char* stop = cur_;
      while (stop < lend_ && *stop != ' ' && *stop != '\t') ++stop;
      fail(translate_format("bad {} \"{}\"", _(what),
                            shown({cur_, static_cast<std::size_t>(stop - cur_)})));
    }
    cur_ = ptr;
    skip_blanks();
    return v;
  }

  bool flag(const char* what) { return integer(what, 0, 1) == 1; }

  // A count of items that follow on this line; each needs at least two characters, so a
  // count larger than the rest of the line is wrong before anything is allocated.
  std::size_t count(const char* what) {
    return static_cast<std::size_t>(integer(what, 0, (lend_ - cur_) / 2 + 1));
  }

  void text(std::string& out, const char* what) {
    need(what);
    if (*cur_ != '"') fail(translate_format("expected a quoted text for {}", _(what)));
    ++cur_;
    out.clear();
    for (;;) {
      const char* run = cur_;
      while (cur_ < lend_) {
        const auto c = static_cast<unsigned char>(*cur_);
        if (c == '"' || c == '\\' || c < 0x20 || c == 0x7F) break;
        if (c < 0x80) {
          ++cur_;
          continue;
        }
        const std::size_t n = mi::utf8_length(cur_, lend_);
        if (n == 0) fail(translate_format("invalid UTF-8 in {}", _(what)));
        cur_ += n;
      }
      out.append(run, cur_);
      if (cur_ == lend_) fail(translate_format("unterminated text for {}", _(what)));
      const char c = *cur_++;
      if (c == '"') break;
      if (c != '\\') fail(translate_format("control character in {}", _(what)));
      out += escaped(what);
    }
    token_done(what);
  }

  char escaped(const char* what) {
    if (cur_ == lend_) fail(translate_format("unterminated text for {}", _(what)));
    switch (*cur_++) {
      case '"':
        return '"';
      case '\\':
        return '\\';
      case 'n':
        return '\n';
      case 'r':
        return '\r';
      case 't':
        return '\t';
      case 'x': {
        unsigned value = 0;
        if (lend_ - cur_ < 2) fail(translate_format("bad \\x escape in {}", _(what)));
        const auto [ptr, ec] = std::from_chars(cur_, cur_ + 2, value, 16);
        if (ec != std::errc() || ptr != cur_ + 2) fail(translate_format("bad \\x escape in {}", _(what)));
        cur_ += 2;
        return static_cast<char>(value);
      }
      default:
        fail(translate_format("unknown escape \\{} in {}", shown({cur_ - 1, 1}), _(what)));
    }
  }

  void expect_line_end() {
    if (cur_ != lend_)
      fail(translate_format("unexpected \"{}\" at the end of the line",
                            shown({cur_, static_cast<std::size_t>(lend_ - cur_)})));
  }

  void read_header() {
    if (word(N_("the header")) != mi::kMagic)
      fail(_("not a tavrin drawing file (the header \"tavrin-mi\" is missing)"));
    const long long version = integer(N_("version"), 0, 1'000'000);
    expect_line_end();
    if (version < mi::kOldestVersion || version > mi::kVersion)
      fail(translate_format("unsupported version {} (this host reads versions {} to {})", version,
                            mi::kOldestVersion, mi::kVersion));
    version_ = static_cast<int>(version);
  }

  void read_drawing_line() {
    if (word(N_("the drawing line")) != "drawing") fail(_("expected the drawing line after the header"));
    need(N_("the drawing number"));
    if (*cur_ == '"') {
      drawing_.number.emplace();
      text(*drawing_.number, N_("the drawing number"));
    } else if (word(N_("the drawing number")) != mi::kNone) {
      fail(_("expected a quoted drawing number or ~"));
    }
    text(drawing_.drawing_type, N_("the drawing type"));
    drawing_.current = static_cast<std::size_t>(integer(N_("current sheet"), 0, 1'000'000'000));
    expect_line_end();
  }

  // A group whose content records have not all come yet when the sheet or file ends.
  void close_group_early() {
    if (group_left_ > 0)
      fail_at(group_line_, translate_format("the group lacks {} of its {} content records",
                                                  group_left_, group_total_));
  }

  void read_sheet() {
    last_content_.reset();
    Sheet sheet;
    sheet.id = next_id();
    text(sheet.name, N_("the sheet name"));
    text(sheet.unique_name, N_("the unique sheet name"));
    text(sheet.scale, N_("the sheet scale"));
    text(sheet.frame_type, N_("the frame type"));
    expect_line_end();
    for (const auto& other : drawing_.sheets) {
      if (other.name == sheet.name) fail(translate_format("a second sheet named \"{}\"", shown(sheet.name)));
      if (other.unique_name == sheet.unique_name)
        fail(translate_format("a second sheet with unique name \"{}\"", shown(sheet.unique_name)));
    }
    sheet.elements.reserve(lines_of_sheet());
    drawing_.sheets.push_back(std::move(sheet));
  }

  // The number of lines up to the next sheet or the end: room for the sheet's elements at
  // once, instead of moving them every time the vector grows.
  std::size_t lines_of_sheet() const {
    std::size_t n = 0;
    for (const char* p = p_; p < end_; ++n) {
      // indented lines are the content of a group, which gets room of its own
      if (p < end_ && (*p == ' ' || *p == '\t')) --n;
      while (p < end_ && (*p == ' ' || *p == '\t')) ++p;
      if (end_ - p >= 5 && (std::memcmp(p, "sheet", 5) == 0 || std::memcmp(p, "end", 3) == 0))
        break;
      const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end_ - p));
      p = nl ? static_cast<const char*>(nl) + 1 : end_;
    }
    return n;
  }

  void read_element(std::string_view word) {
    ElementKind kind;
    if (!mi::kind_from_word(word, kind)) fail(translate_format("unknown line kind \"{}\"", shown(word)), word);
    if (drawing_.sheets.empty()) fail(_("an element before the first sheet"));
    if (mi::kind_since(kind) > version_)
      fail(translate_format("a {} in a version {} file", word, version_));
    const bool in_group = group_left_ > 0;
    if (in_group && kind == ElementKind::Group) fail(_("a group inside a group"));
    Element& e = (in_group ? *content_ : drawing_.sheets.back().elements).emplace_back();
    if (in_group) --group_left_;
    e.id = next_id();
    e.kind = kind;
    e.stroke.color = {number(N_("red")), number(N_("green")), number(N_("blue"))};
    text(e.stroke.linetype, N_("the line type"));
    e.stroke.pensize = number(N_("pen size"));
    const std::size_t n = count(N_("point count"));
    e.points.reserve(n);
    for (std::size_t i = 0; i < n; ++i) e.points.push_back({number(N_("x")), number(N_("y"))});
    read_kind_fields(e);
    read_optional_fields(e);
    text(e.sketch, N_("the sketch name"));
    const std::size_t infos = count(N_("INFO count"));
    e.info.resize(infos);
    for (auto& attribute : e.info) text(attribute, N_("an INFO attribute"));
    expect_line_end();
    if (const char* problem = mi::element_problem(e))
      fail(translate_format(word == "image" ? N_("an {} that {}") : N_("a {} that {}"), word,
                            _(problem)));
  }

  void read_kind_fields(Element& e) {
    switch (e.kind) {
      case ElementKind::Polyline: {
        e.closed = flag(N_("closed flag"));
        e.bulges.resize(count(N_("bulge count")));
        for (double& b : e.bulges) b = number(N_("bulge"));
        break;
      }
      case ElementKind::Circle:
        e.radius = number(N_("radius"));
        break;
      case ElementKind::Arc:
        e.radius = number(N_("radius"));
        e.start_angle = number(N_("start angle"));
        e.end_angle = number(N_("end angle"));
        break;
      case ElementKind::Text: {
        TextProps& t = e.text;
        t.size = number(N_("text size"));
        t.angle = number(N_("text angle"));
        t.adjust = static_cast<int>(integer(N_("adjust point"), 1, 9));
        text(t.font, N_("the font"));
        t.ratio = number(N_("text ratio"));
        t.slant = number(N_("text slant"));
        t.linespace = number(N_("line spacing"));
        t.frame = flag(N_("frame flag"));
        t.lines.resize(count(N_("text line count")));
        for (auto& line : t.lines) text(line, N_("a text line"));
        break;
      }
      case ElementKind::Fill:
      case ElementKind::Mask:
        e.rings.resize(count(N_("ring count")));
        for (std::uint32_t& r : e.rings)
          r = static_cast<std::uint32_t>(integer(N_("ring size"), 0, 1'000'000'000));
        break;
      case ElementKind::Image:
        text(e.source, N_("the image file"));
        break;
      case ElementKind::Group:
        read_group_fields(e);
        break;
      case ElementKind::Line:
      case ElementKind::Rectangle:
      case ElementKind::Point:
        break;
    }
  }

  // Placement, then the count of the content records that follow, or "=" for the content
  // of the sheet's previous group.
  void read_group_fields(Element& e) {
    auto group = std::make_shared<Group>();
    Transform& m = group->placement;
    m = {number(N_("placement a")), number(N_("placement b")), number(N_("placement c")),
         number(N_("placement d")), number(N_("placement e")), number(N_("placement f"))};
    need(N_("the content count"));
    if (*cur_ == '=') {
      ++cur_;
      token_done("\"=\"");
      if (!last_content_) fail(_("\"=\" for the content of a group, but no group before it"));
      group->elements = last_content_;
    } else {
      content_ = std::make_shared<std::vector<Element>>();
      group_left_ = static_cast<std::size_t>(integer(N_("content count"), 0, 100'000'000));
      group_line_ = line_;
      group_total_ = group_left_;
      content_->reserve(std::min<std::size_t>(group_left_, 1'000'000));
      group->elements = content_;
      last_content_ = content_;
    }
    e.group = std::move(group);
  }

  // Named fields between the kind fields and the sketch name, each written only when it
  // differs from its default.
  void read_optional_fields(Element& e) {
    while (cur_ != lend_ && *cur_ != '"') {
      const std::string_view name = word(N_("a field name"));
      if (version_ < 2) fail(_("a named field in a version 1 file"));
      TextProps& t = e.text;
      if (name == "dashes") {
        e.stroke.dashes.resize(count(N_("dash count")));
        for (double& d : e.stroke.dashes) d = number(N_("dash length"));
      } else if (name == "model-dashes" && e.kind == ElementKind::Group && e.group) {
        auto group = std::make_shared<Group>(*e.group);
        group->paper_dashes = !flag(N_("model-dashes flag"));
        e.group = std::move(group);
      } else if (name == "formatted" && e.kind == ElementKind::Text) {
        text(t.formatted, N_("the formatted text"));
      } else if (name == "wrap" && e.kind == ElementKind::Text) {
        t.wrap_width = number(N_("wrap width"));
      } else if (name == "background" && e.kind == ElementKind::Text) {
        t.background = static_cast<int>(integer(N_("background kind"), 0, 2));
        t.background_color = {number(N_("red")), number(N_("green")), number(N_("blue"))};
        t.background_margin = number(N_("background margin"));
      } else if (name == "columns" && e.kind == ElementKind::Text) {
        t.column_count = static_cast<int>(integer(N_("column count"), 0, 1000));
        t.column_gutter = number(N_("column gutter"));
        t.column_heights.resize(count(N_("column height count")));
        for (double& h : t.column_heights) h = number(N_("column height"));
      } else if (name == "fit" && e.kind == ElementKind::Text) {
        t.fit_width = number(N_("fit width"));
        t.fit_scales_height = flag(N_("height flag"));
      } else if (name == "mirror" && e.kind == ElementKind::Text) {
        t.backward = flag(N_("backward flag"));
        t.upside_down = flag(N_("upside-down flag"));
      } else {
        fail(translate_format("unknown field \"{}\" for a {}", shown(name), mi::kind_word(e.kind)));
      }
    }
  }

  std::string_view text_;
  const char* p_;
  const char* end_;
  const char* cur_ = nullptr;
  const char* lend_ = nullptr;
  std::size_t line_ = 0;
  int version_ = mi::kVersion;
  // The content of the group being read, the records it still expects, where it began;
  // and the content of the sheet's last group, for "=".
  std::shared_ptr<std::vector<Element>> content_;
  std::size_t group_left_ = 0;
  std::size_t group_line_ = 0, group_total_ = 0;
  std::shared_ptr<const std::vector<Element>> last_content_;
  const std::string& source_;
  Drawing drawing_;
};

}  // namespace

Drawing read_mi_text(std::string_view text, const std::string& source_name) {
  Drawing d = MiReader(text, source_name).read();
  d.id = next_id();
  return d;
}

Drawing read_mi_file(const std::string& path) {
  return read_mi_text(read_file(path), path);
}

std::vector<Element> read_mi_sketch_file(const std::string& path) {
  Drawing d = read_mi_file(path);
  return std::move(d.sheets.front().elements);
}

}  // namespace host
