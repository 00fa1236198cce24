// Reading and writing pen rules, and applying them to a stroke.
#include "host/settings/pen_rules.h"

#include <algorithm>
#include <cmath>

#include "host/api/error.h"
#include "host/commands/tokens.h"
#include "host/value/format.h"
#include "host/value/reader.h"

namespace host::settings {

namespace {

constexpr double kColorTolerance = 1e-6;
constexpr double kSizeTolerance = 1e-9;

bool ends_run(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '(' || c == ')' || c == '"' ||
         c == '\'' || c == ';';
}

std::string name_of(const Value& v, const std::string& field) {
  if (v.is_keyword() || v.is_symbol() || v.is_string()) return host::upper(v.as_string());
  throw Error(format("pen rule: :~A expects a name, not ~A", field, print_literal(v)));
}

double number_of(const Value& v, const std::string& field) {
  if (!v.is_number() || v.kind() == Kind::Complex)
    throw Error(format("pen rule: :~A expects a number, not ~A", field, print_literal(v)));
  return v.as_double();
}

Rgb color_of(const Value& v, const std::string& field) {
  if (!v.is_list() || v.as_list().size() != 3)
    throw Error(format("pen rule: :~A expects a colour r,g,b, not ~A", field, print_literal(v)));
  const List& c = v.as_list();
  const double r = number_of(c[0], field), g = number_of(c[1], field), b = number_of(c[2], field);
  for (double x : {r, g, b})
    if (x < 0 || x > 1)
      throw Error(
          format("pen rule: :~A has a colour part outside 0 to 1: ~A", field, print_literal(v)));
  return {r, g, b};
}

std::string range_kind(const Value& v, const std::string& field) {
  std::string kind = name_of(v, field);
  if (kind != "ALL" && kind != "SINGLE")
    throw Error(format("pen rule: :~A expects :all or :single, not ~A", field, print_literal(v)));
  return kind;
}

bool kept(const Value& v) {
  return v.is_nil() || v.is_keyword("OFF") || v.is_keyword("SAME");
}

void set_field(PenRule& rule, const std::string& field, const Value& v) {
  if (field == "OLD_LINETYPE")
    rule.old_linetype = name_of(v, field);
  else if (field == "COLOR_DEF")
    rule.color_def = range_kind(v, field);
  else if (field == "COLOR1")
    rule.color1 = color_of(v, field);
  else if (field == "COLOR2")
    rule.color2 = color_of(v, field);
  else if (field == "PENSIZE_DEF")
    rule.pensize_def = range_kind(v, field);
  else if (field == "PENSIZE1")
    rule.pensize1 = number_of(v, field);
  else if (field == "PENSIZE2")
    rule.pensize2 = number_of(v, field);
  else if (field == "NEW_LINETYPE")
    rule.new_linetype = name_of(v, field);
  else if (field == "NEW_PENSIZE")
    rule.new_pensize = kept(v) ? std::nullopt : std::optional(number_of(v, field));
  else if (field == "PEN_NUMBER")
    rule.pen_number = static_cast<int>(number_of(v, field));
  else if (field == "NEW_COLOR")
    rule.new_color = kept(v) ? std::nullopt : std::optional(color_of(v, field));
  else
    throw Error(format("pen rule: unknown field :~A", field));
}

Value color_value(const Rgb& c) {
  return Value(List{Value::real(c.r), Value::real(c.g), Value::real(c.b)});
}

const List& pens_properties(const List& top) {
  for (std::size_t i = 0; i + 1 < top.size(); ++i)
    if (top[i].is_string() && host::upper(top[i].as_string()) == "PENS" && top[i + 1].is_list())
      return top[i + 1].as_list();
  throw Error("pen style values: no \"Pens\" entry");
}

bool in_range(double x, double a, double b, double tolerance) {
  return x >= std::min(a, b) - tolerance && x <= std::max(a, b) + tolerance;
}

bool matches(const PenRule& rule, const Stroke& s) {
  if (rule.old_linetype != "ALL" && rule.old_linetype != host::upper(s.linetype)) return false;
  const Rgb& lo = rule.color1;
  const Rgb& hi = rule.color_def == "SINGLE" ? rule.color1 : rule.color2;
  if (!in_range(s.color.r, lo.r, hi.r, kColorTolerance) ||
      !in_range(s.color.g, lo.g, hi.g, kColorTolerance) ||
      !in_range(s.color.b, lo.b, hi.b, kColorTolerance))
    return false;
  const double top = rule.pensize_def == "SINGLE" ? rule.pensize1 : rule.pensize2;
  return in_range(s.pensize, rule.pensize1, top, kSizeTolerance);
}

}  // namespace

std::string lists_for_color_triples(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '"') {  // copy a string unchanged, escapes included
      const std::size_t start = i++;
      while (i < text.size() && text[i] != '"') i += text[i] == '\\' ? 2 : 1;
      i = std::min(i + 1, text.size());
      out.append(text.substr(start, i - start));
    } else if (ends_run(c)) {
      out += c;
      ++i;
    } else {
      std::size_t end = i;
      while (end < text.size() && !ends_run(text[end])) ++end;
      std::string run(text.substr(i, end - i));
      if (std::count(run.begin(), run.end(), ',') == 2) {
        for (char& r : run)
          if (r == ',') r = ' ';
        run = "(" + run + ")";
      }
      out += run;
      i = end;
    }
  }
  return out;
}

PenRule rule_from_value(const List& items) {
  PenRule rule;
  for (std::size_t i = 0; i < items.size(); i += 2) {
    if (!items[i].is_keyword())
      throw Error(format("pen rule: expects a field keyword, not ~A", print_literal(items[i])));
    if (i + 1 >= items.size())
      throw Error(format("pen rule: :~A has no value", items[i].as_string()));
    set_field(rule, items[i].as_string(), items[i + 1]);
  }
  return rule;
}

Value rule_to_value(const PenRule& r) {
  return Value(List{
      kw("old_linetype"), kw(r.old_linetype),
      kw("color_def"),    kw(r.color_def),
      kw("color1"),       color_value(r.color1),
      kw("color2"),       color_value(r.color2),
      kw("pensize_def"),  kw(r.pensize_def),
      kw("pensize1"),     Value::real(r.pensize1),
      kw("pensize2"),     Value::real(r.pensize2),
      kw("new_linetype"), kw(r.new_linetype),
      kw("new_pensize"),  r.new_pensize ? Value::real(*r.new_pensize) : kw("off"),
      kw("pen_number"),   Value::integer(r.pen_number),
      kw("new_color"),    r.new_color ? color_value(*r.new_color) : kw("same"),
  });
}

StyleValues parse_style_values(std::string_view text) {
  std::size_t used = 0;
  const std::string prepared = lists_for_color_triples(text);
  const Value top = read_literal(prepared, &used);
  if (prepared.find_first_not_of(" \t\r\n", used) != std::string::npos)
    throw Error("pen style values: text after the closing bracket");
  if (!top.is_list()) throw Error("pen style values: expects a list");
  const List& pens = pens_properties(top.as_list());
  StyleValues out;
  const KeywordArgs props(pens);
  out.label = props.string("label");
  const auto penlist = props.value("penlist");
  if (!penlist || !penlist->is_list()) throw Error("pen style values: \"Pens\" has no :penlist");
  int number = 0;
  for (const Value& rule : penlist->as_list()) {
    ++number;
    if (!rule.is_list()) throw Error(format("pen style values: rule ~A is not a list", number));
    try {
      out.rules.push_back(rule_from_value(rule.as_list()));
    } catch (const Error& e) {
      throw Error(format("pen style values: rule ~A: ~A", number, e.what()));
    }
  }
  return out;
}

}  // namespace host::settings

namespace host {

Stroke apply_pen_rules(const std::vector<PenRule>& rules, const Stroke& stroke) {
  Stroke out = stroke;
  for (const PenRule& rule : rules) {
    if (!settings::matches(rule, stroke)) continue;
    if (rule.new_linetype != "SAME") out.linetype = rule.new_linetype;
    if (rule.new_pensize) out.pensize = *rule.new_pensize;
    if (rule.new_color) out.color = *rule.new_color;
  }
  return out;
}

}  // namespace host
