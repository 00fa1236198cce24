// Case folding, trimming and file extensions, as the module and the front ends see them.
#pragma once

#include "host/value/text.h"
