// Text layout without a font: the formatting codes, line breaking and alignment.
#include "host/drawing/text_layout.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "host/drawing/stroke_font.h"

namespace host {
namespace {

// Average advance of a character as a share of the height of a capital letter.
constexpr double kCharWidth = 0.8;
// Stacked fractions: each part at this share of the run's height.
constexpr double kStackScale = 0.6;

struct Paragraph {
  std::vector<TextPiece> runs;
  RunStyle end_style;  // gives an empty paragraph its height
  int align = -1;      // 0 left, 1 centre, 2 right, 3 justified; -1 as the adjust point
  double indent_first = 0, indent_left = 0, indent_right = 0;  // multiples of the size
  bool column_break = false;                                   // begins in a new column
};

double leading_number(std::string_view arg, double fallback) {
  double value = fallback;
  const char* p = arg.data();
  if (!arg.empty() && *p == '+') ++p;
  auto [ptr, ec] = std::from_chars(p, arg.data() + arg.size(), value);
  return ec == std::errc() && std::isfinite(value) ? value : fallback;
}

// A value such as "2.5" or, relative to the current one, "0.7x".
double scaled(std::string_view arg, double current) {
  double v = leading_number(arg, -1);
  if (!(v > 0)) return current;
  return !arg.empty() && (arg.back() == 'x' || arg.back() == 'X') ? current * v : v;
}

class MarkupParser {
 public:
  MarkupParser(std::string_view s, const RunStyle& base) : s_(s), style_(base) {
    paragraphs_.emplace_back();
  }

  std::vector<Paragraph> parse() {
    while (i_ < s_.size()) step();
    paragraphs_.back().end_style = style_;
    return std::move(paragraphs_);
  }

 private:
  void step() {
    const char c = s_[i_];
    if (c == '{') {
      saved_.push_back(style_);
      ++i_;
    } else if (c == '}') {
      if (!saved_.empty()) {
        style_ = saved_.back();
        saved_.pop_back();
      }
      ++i_;
    } else if (c == '^' && i_ + 1 < s_.size()) {
      caret(s_[i_ + 1]);
      i_ += 2;
    } else if (c == '\\' && i_ + 1 < s_.size()) {
      const char code = s_[i_ + 1];
      i_ += 2;
      backslash(code);
    } else {
      std::size_t end = s_.find_first_of("{}^\\", i_ + 1);
      if (end == std::string_view::npos) end = s_.size();
      text(s_.substr(i_, end - i_));
      i_ = end;
    }
  }

  void caret(char n) {
    if (n == 'J') {
      new_paragraph();
    } else if (n == 'I') {
      text(" ");
    } else if (n == ' ') {
      text("^");
    } else if (n != 'M') {
      text(s_.substr(i_, 2));
    }
  }

  void backslash(char code) {
    switch (code) {
      case 'P':
      case 'X':
        new_paragraph();
        return;
      case 'N':
        new_paragraph();
        paragraphs_.back().column_break = true;
        return;
      case '\\':
      case '{':
      case '}':
        text(std::string_view(&s_[i_ - 1], 1));
        return;
      case '~':
        text("\xC2\xA0");  // no-break space
        return;
      case 'L':
      case 'l':
        style_.underline = code == 'L';
        return;
      case 'O':
      case 'o':
        style_.overline = code == 'O';
        return;
      case 'K':
      case 'k':
        style_.strike = code == 'K';
        return;
      case 'H':
        style_.height = scaled(numeric_argument(s_, i_), style_.height);
        return;
      case 'W':
        style_.ratio = scaled(numeric_argument(s_, i_), style_.ratio);
        return;
      case 'T':
        style_.tracking = std::clamp(scaled(numeric_argument(s_, i_), style_.tracking), 0.75, 4.0);
        return;
      case 'Q':
        style_.slant = std::clamp(leading_number(numeric_argument(s_, i_), 0), -85.0, 85.0);
        return;
      case 'f':
      case 'F':
        font(argument());
        return;
      case 'C':
        color_index(numeric_argument(s_, i_));
        return;
      case 'c':
        true_color(numeric_argument(s_, i_));
        return;
      case 'p':
        paragraph(argument());
        return;
      case 'S':
        stacked(argument());
        return;
      case 'A':
        numeric_argument(s_, i_);
        return;
      default:
        text(s_.substr(i_ - 2, 2));
    }
  }

  std::string_view argument() {
    std::size_t end = s_.find(';', i_);
    if (end == std::string_view::npos) end = s_.size();
    std::string_view arg = s_.substr(i_, end - i_);
    i_ = std::min(end + 1, s_.size());
    return arg;
  }

  // "Arial|b1|i0|c0|p34": family, bold, italic.
  void font(std::string_view arg) {
    std::size_t bar = arg.find('|');
    if (bar != 0) style_.font = std::string(arg.substr(0, bar));
    while (bar != std::string_view::npos) {
      const std::size_t next = arg.find('|', bar + 1);
      const std::string_view item =
          arg.substr(bar + 1, next == std::string_view::npos ? next : next - bar - 1);
      if (item.size() >= 2 && item[0] == 'b') style_.bold = item[1] == '1';
      if (item.size() >= 2 && item[0] == 'i') style_.italic = item[1] == '1';
      bar = next;
    }
  }

  void color_index(std::string_view arg) {
    int aci = static_cast<int>(leading_number(arg, 256));
    if (aci >= 1 && aci <= 255) {
      style_.color = index_color(aci);
    } else {
      style_.color.reset();  // by layer or by block: the element's colour
    }
  }

  // Colour index 1..9 as the palette has them; the rest of the palette is the DXF reader's
  // business, which rewrites \C codes of other indices as \c codes.
  static Rgb index_color(int aci) {
    static const Rgb kFirst[] = {{1, 0, 0}, {1, 1, 0},       {0, 1, 0},
                                 {0, 1, 1}, {0, 0, 1},       {1, 0, 1},
                                 {1, 1, 1}, {0.5, 0.5, 0.5}, {0.75, 0.75, 0.75}};
    return aci <= 9 ? kFirst[aci - 1] : Rgb{1, 1, 1};
  }

  // \c carries the colour as blue, green, red bytes of an integer.
  void true_color(std::string_view arg) {
    double v = leading_number(arg, -1);
    if (v < 0 || v > 0xFFFFFF) return;
    auto n = static_cast<long>(v);
    style_.color = Rgb{(n & 0xFF) / 255.0, ((n >> 8) & 0xFF) / 255.0, ((n >> 16) & 0xFF) / 255.0};
  }

  // "xi-3,l3,qc,t4": first-line and left indent, right indent, alignment; tabs ignored.
  void paragraph(std::string_view arg) {
    Paragraph& p = paragraphs_.back();
    if (!arg.empty() && arg.front() == 'x') arg.remove_prefix(1);
    while (!arg.empty()) {
      std::size_t comma = arg.find(',');
      std::string_view item = arg.substr(0, comma);
      if (!item.empty()) {
        std::string_view value = item.substr(1);
        switch (item.front()) {
          case 'i':
            p.indent_first = leading_number(value, 0);
            break;
          case 'l':
            p.indent_left = leading_number(value, 0);
            break;
          case 'r':
            p.indent_right = leading_number(value, 0);
            break;
          case 'q':
            if (!value.empty()) {
              const char q = value.front();
              p.align = q == 'c' ? 1 : q == 'r' ? 2 : q == 'j' || q == 'd' ? 3 : q == 'l' ? 0 : -1;
            }
            break;
          default:
            break;
        }
      }
      if (comma == std::string_view::npos) break;
      arg.remove_prefix(comma + 1);
    }
  }

  void stacked(std::string_view arg) {
    TextPiece piece;
    piece.style = style_;
    std::size_t sep = std::string_view::npos;
    for (std::size_t k = 0; k < arg.size(); ++k) {
      if (arg[k] == '\\') {
        ++k;
        continue;
      }
      if (arg[k] == '/' || arg[k] == '#' || arg[k] == '^') {
        sep = k;
        break;
      }
    }
    auto unescape = [](std::string_view part) {
      std::string out;
      for (std::size_t k = 0; k < part.size(); ++k) {
        if (part[k] == '\\' && k + 1 < part.size()) ++k;
        out += part[k];
      }
      return out;
    };
    if (sep == std::string_view::npos) {
      text(unescape(arg));
      return;
    }
    piece.text = unescape(arg.substr(0, sep));
    piece.lower = unescape(arg.substr(sep + 1));
    piece.stack = arg[sep];
    paragraphs_.back().runs.push_back(std::move(piece));
  }

  void text(std::string_view t) {
    auto& runs = paragraphs_.back().runs;
    if (!runs.empty() && runs.back().stack == 0 && runs.back().style == style_) {
      runs.back().text += t;
      return;
    }
    TextPiece piece;
    piece.text = std::string(t);
    piece.style = style_;
    runs.push_back(std::move(piece));
  }

  void new_paragraph() {
    Paragraph& last = paragraphs_.back();
    last.end_style = style_;
    Paragraph next;
    next.align = last.align;
    next.indent_first = last.indent_first;
    next.indent_left = last.indent_left;
    next.indent_right = last.indent_right;
    paragraphs_.push_back(std::move(next));
  }

  std::string_view s_;
  std::size_t i_ = 0;
  RunStyle style_;
  std::vector<RunStyle> saved_;
  std::vector<Paragraph> paragraphs_;
};

std::string piece_plain(const TextPiece& p) {
  if (!p.stack) return p.text;
  return p.text + (p.stack == '^' ? " " : "/") + p.lower;
}

double piece_width(const TextPiece& p, std::string_view text, const TextMeasure& measure) {
  if (p.stack) {
    RunStyle small = p.style;
    small.height *= kStackScale;
    double upper = measure(small, p.text), lower = measure(small, p.lower);
    if (p.stack == '#') return upper + lower + measure(small, "/");
    return std::max(upper, lower);
  }
  return measure(p.style, text) * p.style.tracking;
}

// Where a line may break: after a run of blanks.
std::vector<std::size_t> break_points(std::string_view text) {
  std::vector<std::size_t> points;
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == ' ' && (k + 1 == text.size() || text[k + 1] != ' ')) points.push_back(k + 1);
  }
  return points;
}

class LineBreaker {
 public:
  LineBreaker(const TextMeasure& measure, double width) : measure_(measure), width_(width) {}

  std::vector<TextLine> lines(const Paragraph& p, double size) {
    out_.clear();
    first_ = true;
    start_line(p, size);
    for (const TextPiece& run : p.runs) {
      if (run.stack) {
        place(run, run.text);
        continue;
      }
      std::size_t from = 0;
      for (std::size_t to : break_points(run.text)) {
        place(run, std::string_view(run.text).substr(from, to - from));
        from = to;
      }
      if (from < run.text.size()) place(run, std::string_view(run.text).substr(from));
    }
    if (out_.back().pieces.empty()) out_.back().height = p.end_style.height;
    for (auto& line : out_) trim(line);
    return std::move(out_);
  }

 private:
  void start_line(const Paragraph& p, double size) {
    TextLine line;
    line.x = (first_ ? p.indent_first + p.indent_left : p.indent_left) * size;
    available_ = width_ > 0 ? width_ - line.x - p.indent_right * size : 0;
    first_ = false;
    paragraph_ = &p;
    size_ = size;
    out_.push_back(std::move(line));
  }

  // Adds a word (with its trailing blanks) to the line, starting a new line when the word
  // would reach past the wrap width.
  void place(const TextPiece& run, std::string_view word) {
    TextLine* line = &out_.back();
    std::string_view visible = word.substr(0, word.find_last_not_of(' ') + 1);
    double w = piece_width(run, visible, measure_);
    if (available_ > 0 && !line->pieces.empty() && line->width + w > available_) {
      start_line(*paragraph_, size_);
      line = &out_.back();
      if (visible.empty()) return;  // blanks at a break vanish
    }
    double advance = piece_width(run, word, measure_);
    auto& pieces = line->pieces;
    if (!pieces.empty() && run.stack == 0 && pieces.back().stack == 0 &&
        pieces.back().style == run.style) {
      pieces.back().text += word;
      pieces.back().width += advance;
    } else {
      TextPiece piece = run;
      if (!run.stack) piece.text = std::string(word);
      piece.x = line->width;
      piece.width = advance;
      pieces.push_back(std::move(piece));
    }
    line->width += advance;
    line->height = std::max(line->height, run.style.height);
  }

  // Trailing blanks take no room in alignment.
  void trim(TextLine& line) {
    while (!line.pieces.empty()) {
      TextPiece& last = line.pieces.back();
      if (last.stack) break;
      std::size_t keep = last.text.find_last_not_of(' ') + 1;
      if (keep == last.text.size()) break;
      last.text.resize(keep);
      last.width = piece_width(last, last.text, measure_);
      line.width = last.x + last.width;
      if (keep > 0) break;
      line.pieces.pop_back();
    }
  }

  const TextMeasure& measure_;
  double width_;
  double available_ = 0;
  bool first_ = true;
  const Paragraph* paragraph_ = nullptr;
  double size_ = 0;
  std::vector<TextLine> out_;
};

RunStyle base_style(const TextProps& t) {
  RunStyle s;
  s.font = t.font;
  s.height = t.size;
  s.ratio = t.ratio;
  s.slant = t.slant;
  return s;
}

std::vector<Paragraph> paragraphs_of(const TextProps& t) {
  if (shows_formatted(t)) return MarkupParser(t.formatted, base_style(t)).parse();
  std::vector<Paragraph> out;
  for (const auto& line : t.lines) {
    Paragraph p;
    p.end_style = base_style(t);
    if (!line.empty()) {
      TextPiece piece;
      piece.text = line;
      piece.style = p.end_style;
      p.runs.push_back(std::move(piece));
    }
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace

double column_height(const TextProps& t, int column) {
  if (t.column_heights.empty()) return 0;
  const std::size_t k = std::min(static_cast<std::size_t>(column), t.column_heights.size() - 1);
  return t.column_heights[k];
}

std::pair<double, double> fit_scale(const TextProps& t, const TextBlock& block) {
  const double natural = block.right - block.left;
  if (!(t.fit_width > 0) || !std::isfinite(t.fit_width) || !(natural > 0)) return {1, 1};
  const double f = t.fit_width / natural;
  return {f, t.fit_scales_height ? f : 1};
}

std::string_view numeric_argument(std::string_view s, std::size_t& i) {
  const std::size_t start = i;
  while (i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.' ||
                          s[i] == '-' || s[i] == '+'))
    ++i;
  if (i < s.size() && (s[i] == 'x' || s[i] == 'X')) ++i;
  std::string_view arg = s.substr(start, i - start);
  if (i < s.size() && s[i] == ';') ++i;
  return arg;
}

bool shows_formatted(const TextProps& t) {
  return !t.formatted.empty() && formatted_plain_lines(t.formatted) == t.lines;
}

std::vector<std::string> formatted_plain_lines(std::string_view formatted) {
  std::vector<std::string> lines;
  for (const auto& p : MarkupParser(formatted, RunStyle{}).parse()) {
    std::string joined, line;
    for (const auto& run : p.runs) joined += piece_plain(run);
    // the no-break space is a blank in the plain text
    for (std::size_t k = 0; k < joined.size(); ++k) {
      if (joined.compare(k, 2, "\xC2\xA0") == 0) {
        line += ' ';
        ++k;
      } else {
        line += joined[k];
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

double estimated_width(const RunStyle& style, std::string_view text) {
  auto chars = [](std::string_view s) {
    return static_cast<double>(std::count_if(s.begin(), s.end(), [](char ch) {
      return (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    }));
  };
  // single-stroke fonts have known proportions, and are plotted in them
  if (has_stroke_proportions(style.font)) {
    std::string others;
    const double caps = stroke_advance(text, others);
    return (caps + chars(others) * kCharWidth * kStrokeOtherStretch) * style.height * style.ratio;
  }
  return chars(text) * style.height * style.ratio * kCharWidth;
}

TextBlock layout_text(const TextProps& t, const TextMeasure& measure) {
  TextBlock block;
  const double wrap = t.wrap_width > 0 && std::isfinite(t.wrap_width) ? t.wrap_width : 0;
  const int adjust = std::clamp(t.adjust, 1, 9);
  const int col = (adjust - 1) % 3;  // 0 left, 1 centre, 2 right
  const int row = (adjust - 1) / 3;  // 0 bottom, 1 middle, 2 top
  const bool columns = t.column_count > 1 && wrap > 0;
  std::vector<int> aligns;
  std::vector<bool> breaks;  // the line begins a column of its own
  LineBreaker breaker(measure, wrap);
  for (const Paragraph& p : paragraphs_of(t)) {
    bool first = true;
    for (TextLine& line : breaker.lines(p, t.size)) {
      block.lines.push_back(std::move(line));
      aligns.push_back(p.align < 0 ? col : p.align);
      breaks.push_back(first && p.column_break);
      first = false;
    }
  }
  if (block.lines.empty()) return block;

  // Lines go down a column until it is full, then on at the top of the next one.
  double y = 0, deepest = 0, column_w = wrap;
  int column = 0;
  std::vector<int> column_of(block.lines.size(), 0);
  for (std::size_t k = 0; k < block.lines.size(); ++k) {
    TextLine& line = block.lines[k];
    if (line.height <= 0) line.height = t.size;
    double step = y == 0 ? line.height : t.linespace * line.height;
    if (columns && y != 0 && column + 1 < t.column_count) {
      const double limit = column_height(t, column);
      if (breaks[k] || (limit > 0 && step - y > limit * (1 + 1e-9))) {
        ++column;
        y = 0;
        step = line.height;
      }
    }
    y -= step;
    line.baseline = y;
    column_of[k] = column;
    deepest = std::min(deepest, y);
    if (wrap == 0) column_w = std::max(column_w, line.x + line.width);
  }
  const double pitch = column_w + (columns ? t.column_gutter : 0);
  // A text with columns fills its box: all of its columns, as tall as the tallest.
  if (columns) column = t.column_count - 1;
  for (double h : t.column_heights)
    if (h > 0 && std::isfinite(h)) deepest = std::min(deepest, -h);
  const double box_w = column_w + column * pitch;
  const double box_left = col == 0 ? 0 : col == 1 ? -box_w / 2 : -box_w;
  for (std::size_t k = 0; k < block.lines.size(); ++k) {
    TextLine& line = block.lines[k];
    const double room = column_w - line.x - line.width;
    // justified lines are set flush left; the last one of a paragraph would be anyway
    line.x += box_left + column_of[k] * pitch +
              (aligns[k] == 1   ? room / 2
               : aligns[k] == 2 ? room
                                : 0);
  }
  const double height = -deepest;
  const double shift = row == 2 ? 0 : row == 1 ? height / 2 : height;
  for (TextLine& line : block.lines) line.baseline += shift;
  block.left = box_left;
  block.right = box_left + box_w;
  block.top = shift;
  block.bottom = shift - height;
  return block;
}

}  // namespace host
