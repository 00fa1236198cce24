// Host values as the module and the front ends see them: the value type, the literal reader
// and printer, and the "~A/~S/~%" template formatter.
#pragma once

#include "host/value/format.h"
#include "host/value/reader.h"
#include "host/value/value.h"
