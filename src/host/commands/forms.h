// Parenthesised forms "(NAME args...)": registered functions and the host operations that
// command files may call.
#pragma once

#include "host/value/value.h"

namespace host::commands {

// Calls the form's operator with the (unevaluated) remaining elements as arguments. Throws
// host::Error naming the operator when it is neither registered nor a known operation.
Value call_form(const List& form);

}  // namespace host::commands
