// The inquiry macros of the host: INQ_PART selects a part, let binds, inq inquires, and the
// DOCU_* calls collect the answer text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/value/value.h"

namespace host::commands {

struct Expr {
  enum class Type { Literal, Name, Call };
  Type type = Type::Literal;
  Value literal;
  std::string name;        // upper case
  std::vector<Expr> args;  // calls
};

struct Statement {
  enum class Type { InqPart, Let, Eval };
  Type type = Type::Eval;
  std::string name;  // INQ_PART: the part name; let: the variable (upper case)
  Expr expr;
};

// Parses a macro; throws host::Error on bad syntax. Parsing has no effect.
std::vector<Statement> parse_macro(std::string_view text);
// Runs a parsed macro on the current drawing; returns the collected answer text.
std::string run_macro(const std::vector<Statement>& macro);

}  // namespace host::commands
