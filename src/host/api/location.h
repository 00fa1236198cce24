// The "file:line: message" form of every error that points into a file, for the module.
#pragma once

#include "host/value/location.h"
