// The run's language and the translation of texts, as the module and the front ends see them.
#pragma once

#include "host/value/language.h"
