// The PDF page's vector content (see pdf_canvas.h for the division of work with cairo).
#include "host/plot/pdf_canvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>

#include "host/api/error.h"
#include "host/plot/dash_pattern.h"

namespace host {
namespace {

// Coordinates far beyond any page are cut here, as cairo's own fixed-point numbers cut them.
constexpr double kFar = 1e9;

// Appends v / 10^digits with trailing zeros dropped: "12.5", "-0.003", "7".
void put_scaled(std::string& out, long long v, int digits) {
  char buf[32];
  char* p = buf;
  if (v < 0) {
    *p++ = '-';
    v = -v;
  }
  long long unit = 1;
  for (int i = 0; i < digits; ++i) unit *= 10;
  p = std::to_chars(p, buf + sizeof buf, v / unit).ptr;
  long long frac = v % unit;
  if (frac != 0) {
    *p++ = '.';
    for (long long d = unit / 10; frac != 0; d /= 10) {
      *p++ = static_cast<char>('0' + frac / d);
      frac %= d;
    }
  }
  out.append(buf, p);
}

long long quantize(double v, double unit) {
  if (!std::isfinite(v)) return 0;
  return std::llround(std::clamp(v, -kFar, kFar) * unit);
}

// How far the drawn text may reach from its insertion point, in its own units; infinity
// when that is not known without laying it out (formatted, fitted or column texts).
double text_reach(const TextProps& t) {
  const bool simple = t.formatted.empty() && !(t.fit_width > 0) && t.column_count <= 1;
  if (!simple || !std::isfinite(t.size) || !std::isfinite(t.ratio) || !std::isfinite(t.linespace) ||
      !std::isfinite(t.slant) || !std::isfinite(t.wrap_width) ||
      !std::isfinite(t.background_margin))
    return HUGE_VAL;
  std::size_t longest = 0;
  for (const std::string& line : t.lines) longest = std::max(longest, line.size());
  const double size = std::abs(t.size);
  // no glyph of a face is wider than 1.5 capital heights per byte of its UTF-8 text
  const double w = std::max(1.5 * size * std::abs(t.ratio) * static_cast<double>(longest),
                            std::abs(t.wrap_width));
  const double h =
      (static_cast<double>(t.lines.size()) * std::max(1.0, t.linespace) * 1.5 + 1) * size;
  const double lean = std::min(10.0, std::abs(std::tan(t.slant * std::numbers::pi / 180))) * h;
  return std::hypot(w + lean, h) + (std::max(1.0, t.background_margin) + 1) * size;
}

}  // namespace

PdfCanvas::PdfCanvas(cairo_t* cr, const cairo_matrix_t& page, double page_width, double page_height,
                     const RenderStyle& style)
    : cr_(cr),
      page_(page),
      ctm_(page),
      scale_(std::sqrt(std::abs(page.xx * page.yy - page.xy * page.yx))),
      page_height_(page_height),
      style_(style),
      pens_(style),
      cairo_(cr) {
  stream_.reserve(1 << 16);
  visible_ = {0, 0, page_width, page_height};
}

bool PdfCanvas::suits(const cairo_matrix_t& m) {
  const double n = m.xx * m.xx + m.yx * m.yx + m.xy * m.xy + m.yy * m.yy;
  if (!(n > 0) || !std::isfinite(n)) return false;
  const double dot = m.xx * m.xy + m.yx * m.yy;
  const double lengths = (m.xx * m.xx + m.yx * m.yx) - (m.xy * m.xy + m.yy * m.yy);
  return std::abs(dot) <= 1e-9 * n && std::abs(lengths) <= 1e-9 * n && std::isfinite(m.x0) &&
         std::isfinite(m.y0);
}

void PdfCanvas::put(double v) {
  put_scaled(stream_, quantize(v, 1e3), 3);
  stream_ += ' ';
}

void PdfCanvas::put_fine(double v) {
  put_scaled(stream_, quantize(v, 1e6), 6);
  stream_ += ' ';
}

void PdfCanvas::device(double x, double y, long long& qx, long long& qy) const {
  qx = quantize(ctm_.xx * x + ctm_.xy * y + ctm_.x0, 1e3);
  qy = quantize(ctm_.yx * x + ctm_.yy * y + ctm_.y0, 1e3);
}

void PdfCanvas::Box::add(double x, double y) {
  x0 = std::min(x0, x);
  y0 = std::min(y0, y);
  x1 = std::max(x1, x);
  y1 = std::max(y1, y);
}

void PdfCanvas::Box::add(const Box& b) {
  x0 = std::min(x0, b.x0);
  y0 = std::min(y0, b.y0);
  x1 = std::max(x1, b.x1);
  y1 = std::max(y1, b.y1);
}

// A sub-path that stays away from what can be seen (the page, the clips of the groups it lies
// in) is left out: a view of a small part of a large model then writes only that part. The
// margin holds round caps and joins and miters up to cairo's limit of 10.
void PdfCanvas::end_sub_path() {
  if (!in_sub_path_) return;
  in_sub_path_ = false;
  Box near = sub_box_;
  const double margin = 5 * pen_.width + 2;
  near.x0 -= margin, near.y0 -= margin, near.x1 += margin, near.y1 += margin;
  if (culling_ && !near.meets(visible_))
    path_.resize(sub_at_);
  else
    box_.add(sub_box_);
}

void PdfCanvas::put_point(long long qx, long long qy) {
  put_scaled(path_, qx, 3);
  path_ += ' ';
  put_scaled(path_, qy, 3);
  path_ += ' ';
  sub_box_.add(qx * 1e-3, qy * 1e-3);
}

void PdfCanvas::new_path() {
  path_.clear();
  box_ = Box{};
  has_point_ = after_move_ = in_sub_path_ = false;
  line_at_ = std::string::npos;
}

void PdfCanvas::move_to(double x, double y) {
  long long qx, qy;
  device(x, y, qx, qy);
  // a move right after a move replaces it, as in cairo
  if (after_move_)
    path_.resize(move_at_);
  else
    end_sub_path();
  move_at_ = sub_at_ = path_.size();
  sub_box_ = Box{};
  in_sub_path_ = true;
  put_point(qx, qy);
  path_ += "m\n";
  cur_x_ = start_x_ = qx;
  cur_y_ = start_y_ = qy;
  has_point_ = after_move_ = true;
  line_at_ = std::string::npos;
}

void PdfCanvas::line_to(double x, double y) {
  if (!has_point_) return move_to(x, y);
  long long qx, qy;
  device(x, y, qx, qy);
  // a segment of no length draws a dot only right after a move
  if (qx == cur_x_ && qy == cur_y_ && !after_move_) return;
  // a segment that goes on in the direction of the one before lengthens it, as in cairo
  const __int128 ax = cur_x_ - prev_x_, ay = cur_y_ - prev_y_, bx = qx - cur_x_, by = qy - cur_y_;
  if (line_at_ != std::string::npos && ax * by == ay * bx && ax * bx + ay * by > 0) {
    path_.resize(line_at_);
  } else {
    line_at_ = path_.size();
    prev_x_ = cur_x_;
    prev_y_ = cur_y_;
  }
  put_point(qx, qy);
  path_ += "l\n";
  cur_x_ = qx;
  cur_y_ = qy;
  after_move_ = false;
}

void PdfCanvas::close_path() {
  if (!has_point_) return;
  path_ += "h\n";
  line_at_ = std::string::npos;
  cur_x_ = start_x_;
  cur_y_ = start_y_;
  after_move_ = false;
}

void PdfCanvas::rectangle(double x, double y, double w, double h) {
  move_to(x, y);
  line_to(x + w, y);
  line_to(x + w, y + h);
  line_to(x, y + h);
  close_path();
}

// Arcs become Bezier curves with the control points at 4/3 tan(sweep / 4) of the radius
// along the tangents. A curve over the angle t strays from the circle by at most
// r 2/27 sin^6(t/4) / cos^2(t/4). Each curve spans the largest of half a turn, a quarter, a
// sixth, ... that keeps this within a tenth of a device unit: cairo's accuracy, and the
// same curves as cairo's.
static int arc_curves(double sweep, double radius) {
  constexpr double kTolerance = 0.1;
  int k = 1;
  for (; k < 64; ++k) {
    const double s = std::sin(std::numbers::pi / k / 4), c = std::cos(std::numbers::pi / k / 4);
    if (radius * 2.0 / 27.0 * std::pow(s, 6) / (c * c) <= kTolerance) break;
  }
  return std::max(1, static_cast<int>(std::ceil(std::abs(sweep) / (std::numbers::pi / k) - 1e-9)));
}

void PdfCanvas::arc(double cx, double cy, double r, double a0, double a1, bool negative) {
  if (!(r > 0) || !std::isfinite(r) || !std::isfinite(a0) || !std::isfinite(a1)) {
    line_to(cx, cy);
    return;
  }
  constexpr double kTurn = 2 * std::numbers::pi;
  if (negative) {
    if (a1 > a0) a1 -= std::ceil((a1 - a0) / kTurn) * kTurn;
  } else if (a1 < a0) {
    a1 += std::ceil((a0 - a1) / kTurn) * kTurn;
  }
  const double sweep = std::clamp(a1 - a0, -4 * kTurn, 4 * kTurn);
  const double sx = cx + r * std::cos(a0), sy = cy + r * std::sin(a0);
  if (has_point_)
    line_to(sx, sy);
  else
    move_to(sx, sy);
  const int n = arc_curves(sweep, r * scale_);
  const double step = sweep / n;
  const double k = 4.0 / 3.0 * std::tan(step / 4) * r;
  double c0 = std::cos(a0), s0 = std::sin(a0);
  for (int i = 1; i <= n; ++i) {
    const double t = a0 + step * i;
    const double c1 = std::cos(t), s1 = std::sin(t);
    long long q[6];
    device(cx + r * c0 - k * s0, cy + r * s0 + k * c0, q[0], q[1]);
    device(cx + r * c1 + k * s1, cy + r * s1 - k * c1, q[2], q[3]);
    device(cx + r * c1, cy + r * s1, q[4], q[5]);
    for (int j = 0; j < 6; j += 2) put_point(q[j], q[j + 1]);
    path_ += "c\n";
    cur_x_ = q[4];
    cur_y_ = q[5];
    c0 = c1;
    s0 = s1;
  }
  after_move_ = false;
  line_at_ = std::string::npos;
}

void PdfCanvas::set_stroke(const Stroke& printed, double units_per_paper_mm,
                           double own_dash_scale) {
  pen_.color = printed.color;
  const double width_mm = printed.pensize > 0 ? printed.pensize : kThinnestPenMm;
  pen_.width = width_mm * units_per_paper_mm * scale_;
  // PDF numbers line ends butt 0, round 1, square 2; corners mitre 0, round 1, bevel 2
  pen_.cap = printed.cap == LineCap::Butt ? 0 : printed.cap == LineCap::Square ? 2 : 1;
  pen_.join = printed.join == LineCap::Butt ? 0 : printed.join == LineCap::Square ? 2 : 1;
  pen_.dash.clear();
  pen_.dash_offset = 0;
  if (!printed.dashes.empty()) {
    double offset = 0;
    pen_.dash = cairo_dashes(printed.dashes, offset);
    for (double& d : pen_.dash) d *= own_dash_scale * scale_;
    pen_.dash_offset = offset * own_dash_scale * scale_;
  } else {
    for (double mm : dash_pattern_mm(printed.linetype))
      pen_.dash.push_back(mm * units_per_paper_mm * scale_);
  }
  // a pattern too fine to write (all zeros is no valid dash array) looks solid anyway
  double total = 0;
  for (double d : pen_.dash) total += d;
  if (!(total >= 1e-5) || !std::isfinite(total)) {
    pen_.dash.clear();
    pen_.dash_offset = 0;
  }
}

void PdfCanvas::open() {
  if (!open_) {
    // cairo's device space: points from the top left of its page, y down
    stream_ += "q 1 0 0 -1 0 ";
    put(page_height_);
    stream_ += "cm\n";
    open_ = true;
    written_ = Written{};
  }
  for (GroupClip& g : groups_) {
    if (g.written) continue;
    saved_.push_back(written_);
    stream_ += "q\n";
    stream_ += g.clip;
    stream_ += g.even_odd ? "W* n\n" : "W n\n";
    g.written = true;
  }
}

void PdfCanvas::close() {
  if (!open_) return;
  for (GroupClip& g : groups_) {
    if (!g.written) continue;
    stream_ += "Q\n";
    g.written = false;
    saved_.pop_back();
  }
  stream_ += "Q\n";
  open_ = false;
}

void PdfCanvas::write_color(const Rgb& c, const char* op) {
  put(c.r);
  put(c.g);
  put(c.b);
  stream_ += op;
}

void PdfCanvas::write_pen_for_stroke() {
  if (!(written_.stroke == pen_.color)) {
    write_color(pen_.color, "RG\n");
    written_.stroke = pen_.color;
  }
  if (written_.width != pen_.width) {
    put_fine(pen_.width);
    stream_ += "w\n";
    written_.width = pen_.width;
  }
  if (written_.cap != pen_.cap) {
    stream_ += std::to_string(pen_.cap) + " J\n";
    written_.cap = pen_.cap;
  }
  if (written_.join != pen_.join) {
    stream_ += std::to_string(pen_.join) + " j\n";
    written_.join = pen_.join;
  }
  if (written_.dash != pen_.dash || written_.dash_offset != pen_.dash_offset) {
    stream_ += '[';
    for (double d : pen_.dash) put_fine(d);
    if (!pen_.dash.empty()) stream_.pop_back();
    stream_ += "] ";
    put_fine(pen_.dash_offset);
    stream_ += "d\n";
    written_.dash = pen_.dash;
    written_.dash_offset = pen_.dash_offset;
  }
}

void PdfCanvas::new_sub_path() {
  end_sub_path();
  has_point_ = after_move_ = false;
  line_at_ = std::string::npos;
}

void PdfCanvas::stroke() {
  end_sub_path();
  if (!path_.empty()) {
    open();
    write_pen_for_stroke();
    stream_ += path_;
    stream_ += "S\n";
  }
  new_path();
}

void PdfCanvas::fill(const Rgb& color, double edge) {
  pen_.color = color;
  pen_.even_odd = true;
  if (edge > 0) {
    pen_.width = edge * scale_;
    pen_.dash.clear();
    pen_.dash_offset = 0;
  }
  end_sub_path();
  if (path_.empty()) return new_path();
  if (!waiting_.empty()) {
    Box painted = box_;
    const double half = edge > 0 ? pen_.width / 2 : 0;
    painted.x0 -= half, painted.y0 -= half, painted.x1 += half, painted.y1 += half;
    if (painted.meets(waiting_box_)) draw_waiting();
  }
  open();
  if (!(written_.fill == color)) {
    write_color(color, "rg\n");
    written_.fill = color;
  }
  if (edge > 0) write_pen_for_stroke();
  stream_ += path_;
  stream_ += edge > 0 ? "B*\n" : "f*\n";
  new_path();
}

bool PdfCanvas::begin_group(const Element& group, const RenderStyle& style,
                            double units_per_paper_mm) {
  const Transform& m = group.group->placement;
  cairo_matrix_t inner = ctm_;
  inner.xx = ctm_.xx * m.a + ctm_.xy * m.c;
  inner.yx = ctm_.yx * m.a + ctm_.yy * m.c;
  inner.xy = ctm_.xx * m.b + ctm_.xy * m.d;
  inner.yy = ctm_.yx * m.b + ctm_.yy * m.d;
  inner.x0 = ctm_.xx * m.e + ctm_.xy * m.f + ctm_.x0;
  inner.y0 = ctm_.yx * m.e + ctm_.yy * m.f + ctm_.y0;
  new_path();
  if (!suits(inner)) {
    // a view that stretches one way draws pens as ellipses: cairo draws all of it
    waiting_.push_back(
        {Waiting::WholeGroup, &group, nullptr, pen_.even_odd, {}, units_per_paper_mm, 1});
    waiting_style_ = style;
    draw_waiting();
    return false;
  }
  GroupClip g{&group, {}, pen_.even_odd, false, pen_, ctm_, visible_};
  culling_ = false;
  move_to(group.points[0].x, group.points[0].y);
  for (std::size_t i = 1; i < group.points.size(); ++i)
    line_to(group.points[i].x, group.points[i].y);
  close_path();
  end_sub_path();
  culling_ = true;
  path_.swap(g.clip);
  visible_.x0 = std::max(visible_.x0, box_.x0);
  visible_.y0 = std::max(visible_.y0, box_.y0);
  visible_.x1 = std::min(visible_.x1, box_.x1);
  visible_.y1 = std::min(visible_.y1, box_.y1);
  new_path();
  groups_.push_back(std::move(g));
  ctm_ = inner;
  scale_ = std::sqrt(std::abs(inner.xx * inner.yy - inner.xy * inner.yx));
  return true;
}

void PdfCanvas::end_group() {
  if (groups_.empty()) return;
  GroupClip& g = groups_.back();
  if (g.written) {
    stream_ += "Q\n";
    written_ = saved_.back();
    saved_.pop_back();
  }
  pen_ = g.pen;
  ctm_ = g.ctm;
  visible_ = g.visible;
  scale_ = std::sqrt(std::abs(ctm_.xx * ctm_.yy - ctm_.xy * ctm_.yx));
  groups_.pop_back();
  new_path();
}

void PdfCanvas::text(const Element& e, StrokeResolver&, const Stroke& printed,
                     double units_per_paper_mm, double own_dash_scale) {
  // cairo's state after the text: its pen was set for the frame
  set_stroke(printed, units_per_paper_mm, own_dash_scale);
  const GroupClip* g = current_group();
  waiting_.push_back({Waiting::Text, &e, g ? g->group : nullptr, g ? g->even_odd : false, printed,
                      units_per_paper_mm, own_dash_scale});
  const double reach = text_reach(e.text) * scale_;
  if (e.points.empty()) return;
  long long qx, qy;
  device(e.points[0].x, e.points[0].y, qx, qy);
  const double x = qx * 1e-3, y = qy * 1e-3;
  waiting_box_.x0 = std::min(waiting_box_.x0, x - reach);
  waiting_box_.y0 = std::min(waiting_box_.y0, y - reach);
  waiting_box_.x1 = std::max(waiting_box_.x1, x + reach);
  waiting_box_.y1 = std::max(waiting_box_.y1, y + reach);
}

void PdfCanvas::image(const Element& e, ColorMode) {
  const GroupClip* g = current_group();
  waiting_.push_back(
      {Waiting::Image, &e, g ? g->group : nullptr, g ? g->even_odd : false, {}, 1, 1});
  draw_waiting();
}

// What waits, on cairo pages painted here. cairo's PDF surface merges the box of every
// operation on a page into a region, at a cost that grows with the boxes already there: a
// page holds at most kPerPage of them, so that thousands of texts do not cost their square.
void PdfCanvas::draw_waiting() {
  constexpr std::size_t kPerPage = 256;
  if (waiting_.empty()) return;
  close();
  for (std::size_t from = 0; from < waiting_.size(); from += kPerPage) {
    cairo_save(cr_);
    cairo_set_matrix(cr_, &page_);
    const Element* clipped = nullptr;
    const std::size_t to = std::min(waiting_.size(), from + kPerPage);
    for (std::size_t i = from; i < to; ++i) {
      const Waiting& w = waiting_[i];
      if (clipped && w.group != clipped) {
        cairo_.end_group();
        clipped = nullptr;
      }
      const auto rule = w.even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING;
      if (w.kind == Waiting::WholeGroup) {
        cairo_set_fill_rule(cr_, rule);
        draw_group(cairo_, *w.e, waiting_style_, w.units_per_paper_mm);
        continue;
      }
      if (w.group && !clipped) {
        cairo_set_fill_rule(cr_, rule);
        cairo_.begin_group(*w.group, style_, w.units_per_paper_mm);
        clipped = w.group;
      }
      if (w.kind == Waiting::Text)
        cairo_.text(*w.e, pens_, w.printed, w.units_per_paper_mm, w.own_dash_scale);
      else
        cairo_.image(*w.e, pens_.color_mode());
    }
    if (clipped) cairo_.end_group();
    cairo_restore(cr_);
    cairo_show_page(cr_);
    const cairo_status_t status = cairo_status(cr_);
    if (status != CAIRO_STATUS_SUCCESS)
      throw Error(std::string("plot: rendering failed: ") + cairo_status_to_string(status));
    runs_.push_back(stream_.size());
  }
  waiting_.clear();
  waiting_box_ = Box{};
}

OwnPage PdfCanvas::finish() {
  draw_waiting();
  while (!groups_.empty()) end_group();
  close();
  return {std::move(stream_), std::move(runs_)};
}

}  // namespace host
