// Keyword-argument lists as the facade receives them: (:a 1 :b :c "x").
#include "host/value/reader.h"
#include "host/value/value.h"

namespace host {

namespace {

// Index of the first keyword `key` in args, or args.size(). Every position is looked at:
// a keyword in value position cannot be told from a flag followed by a key.
std::size_t find_key(const List& args, std::string_view key) {
  for (std::size_t i = 0; i < args.size(); ++i)
    if (args[i].is_keyword(key)) return i;
  return args.size();
}

}  // namespace

bool KeywordArgs::present(std::string_view key) const {
  return find_key(args_, key) < args_.size();
}

std::optional<Value> KeywordArgs::value(std::string_view key) const {
  const std::size_t i = find_key(args_, key);
  if (i >= args_.size()) return std::nullopt;
  return i + 1 < args_.size() ? args_[i + 1] : Value();
}

std::string KeywordArgs::string(std::string_view key, std::string fallback) const {
  const auto v = value(key);
  if (!v || v->is_nil()) return fallback;
  return print_text(*v);
}

double KeywordArgs::number(std::string_view key, double fallback) const {
  const auto v = value(key);
  if (!v || !v->is_number() || v->kind() == Kind::Complex) return fallback;
  return v->as_double();
}

}  // namespace host
