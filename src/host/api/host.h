// The facade the module includes: every host operation under its documented name.
#pragma once

#include "host/api/commands.h"
#include "host/api/drawing_ops.h"
#include "host/api/error.h"
#include "host/api/files.h"
#include "host/api/settings_ops.h"
#include "host/api/ui_ops.h"
#include "host/api/workers.h"
#include "host/value/format.h"
#include "host/value/reader.h"
#include "host/value/value.h"
