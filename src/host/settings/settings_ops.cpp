// The settings operations of the host facade: styles of the pen-transformation family, the
// active pen transformation and the current pen list.
#include "host/api/settings_ops.h"

#include <optional>

#include "host/api/error.h"
#include "host/commands/tokens.h"
#include "host/settings/pen_rules.h"
#include "host/settings/style_store.h"
#include "host/value/format.h"
#include "host/value/reader.h"

namespace host {

namespace {

using namespace settings;

// The element after a keyword, whatever it is: the settings calls pass keywords as values
// (:style :info_docu, :a_range :tavrintmptrans), which keyword-argument lists read as flags.
std::optional<Value> arg_after(const List& args, std::string_view key) {
  for (std::size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i].is_keyword(key)) return args[i + 1];
  return std::nullopt;
}

std::string key_of(const Value& v, const char* op) {
  if (v.is_keyword() || v.is_symbol() || v.is_string()) return host::upper(v.as_string());
  throw Error(format("~A: expects a style name, not ~A", op, print_literal(v)));
}

std::string required_key(const List& args, std::string_view key, const char* op) {
  const auto v = arg_after(args, key);
  if (!v) throw Error(format("~A: expects :~A", op, std::string(key)));
  return key_of(*v, op);
}

void expect_path(const List& args, const char* wanted, const char* op) {
  const auto path = arg_after(args, "path");
  if (!path || !path->is_string() || path->as_string() != wanted)
    throw Error(format("~A: expects :path ~S, not ~A", op, wanted,
                       path ? print_literal(*path) : std::string("nothing")));
}

StyleEntry& existing_style(const std::string& key, const char* op) {
  StyleEntry* e = find_entry(key);
  if (!e) throw Error(format("~A: there is no pen transformation style :~A", op, key));
  return *e;
}

Value pens_value() {
  const PenStyle& pens = state().pens;
  List entries;
  for (const PenRule& r : pens.rules) entries.push_back(rule_to_value(r));
  return Value(List{kw("label"), Value::string(pens.title), kw("parent_style"),
                    pens.key.empty() ? Value::nil() : kw(pens.key), kw("penlist"),
                    Value(std::move(entries))});
}

// ":new_pensize v :next" groups: group i sets the size of rule i; ":next" alone keeps it.
void redefine_pen_sizes(std::vector<PenRule>& rules, const List& args, const char* op) {
  std::size_t index = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const Value& a = args[i];
    if (a.is_keyword("path") || a.is_keyword("parent_style")) {
      ++i;
    } else if (a.is_keyword("new_pensize")) {
      if (i + 1 >= args.size()) throw Error(format("~A: :new_pensize has no value", op));
      if (index >= rules.size())
        throw Error(format("~A: the style has ~A pens, the file sets more", op,
                           static_cast<long long>(rules.size())));
      const Value& size = args[++i];
      if (size.is_keyword("off"))
        rules[index].new_pensize.reset();
      else if (size.is_number() && size.kind() != Kind::Complex && size.as_double() >= 0)
        rules[index].new_pensize = size.as_double();
      else
        throw Error(format("~A: :new_pensize expects a size of 0 or more, not ~A", op,
                           print_literal(size)));
    } else if (a.is_keyword("next")) {
      ++index;
    } else if (!a.is_keyword("insert") && !a.is_keyword("delete")) {
      throw Error(format("~A: unexpected ~A", op, print_literal(a)));
    }
  }
}

}  // namespace

Value sd_get_setting_value(const std::string& path) {
  if (path == kPensPath) return pens_value();
  if (path == kPenTrafoPath) return state().active.empty() ? Value::nil() : kw(state().active);
  throw Error(format("sd_get_setting_value: unknown setting ~A", path));
}

Value sd_set_setting_values(const List& args) {
  const char* op = "sd_set_setting_values";
  const auto style_path = arg_after(args, "style-path");
  if (!style_path || !style_path->is_string() || style_path->as_string() != kStylePath)
    throw Error(format("~A: expects :style-path ~S", op, kStylePath));
  const std::string key = required_key(args, "style", op);
  const auto values = arg_after(args, "values");
  if (!values || !values->is_string())
    throw Error(format("~A: expects :values and a value text", op));
  StyleValues parsed;
  try {
    parsed = parse_style_values(values->as_string());
  } catch (const Error& e) {
    throw Error(format("~A: style :~A: ~A", op, key, e.what()));
  }
  const auto title = arg_after(args, "title");
  const auto level = arg_after(args, "level");
  PenStyle style{key, title && title->is_string() ? title->as_string() : parsed.label,
                 std::move(parsed.rules)};
  put_style(std::move(style), level && level->is_keyword("user") ? Level::User : Level::Corp);
  return Value::t();
}

List sd_get_setting_styles_range_list(const std::string& path) {
  if (path != kStylePath)
    throw Error(format("sd_get_setting_styles_range_list: unknown style family ~A", path));
  List out;
  for (const auto& e : state().styles) {
    const char* level = e->level == Level::User   ? "user"
                        : e->level == Level::Corp ? "corp"
                                                  : "host";
    out.push_back(Value(List{Value::string(e->style.key), kw("title"),
                             Value::string(e->style.title), kw("level"), kw(level)}));
  }
  return out;
}

Value create_default_setting_user_style(const List& args) {
  const char* op = "create_default_setting_user_style";
  expect_path(args, kStylePath, op);
  const std::string key = required_key(args, "name", op);
  if (const StyleEntry* e = find_entry(key); e && e->level != Level::User)
    throw Error(format("~A: :~A is a style of the host and cannot be replaced", op, key));
  const auto copy = arg_after(args, "copy_values");
  PenStyle style{key, key, {}};
  if (copy && copy->is_keyword("on")) style.rules = state().pens.rules;
  put_style(std::move(style), Level::User);
  return Value::t();
}

Value delete_default_setting_user_style(const List& args) {
  const char* op = "delete_default_setting_user_style";
  if (args.size() < 2 || !args[0].is_string() || args[0].as_string() != kStylePath)
    throw Error(format("~A: expects ~S and a style name", op, kStylePath));
  const std::string key = key_of(args[1], op);
  if (existing_style(key, op).level != Level::User)
    throw Error(format("~A: :~A is not a user style", op, key));
  erase_style(key);
  return Value::t();
}

Value modify_default_setting(const List& args) {
  const char* op = "modify_default_setting";
  expect_path(args, kPenTrafoPath, op);
  const std::string key = required_key(args, "a_range", op);
  existing_style(key, op);
  state().active = key;
  return Value::t();
}

Value am_define_pen_transformation(const List& args) {
  const char* op = "am_define_pen_transformation";
  expect_path(args, kPensPath, op);
  const std::string key = required_key(args, "parent_style", op);
  StyleEntry& entry = existing_style(key, op);
  std::vector<PenRule> rules = entry.style.rules;
  redefine_pen_sizes(rules, args, op);
  entry.style.rules = rules;
  state().pens = entry.style;
  state().active = entry.style.key;
  return Value::t();
}

}  // namespace host
