// What the desktop program uses to draw a sheet: the host's cairo rendering (only the
// program that links cairo includes it).
#pragma once

#include "host/api/front_end.h"
#include "host/plot/render.h"
