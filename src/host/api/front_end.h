// What the two programs (the command line and the desktop program) use of the host besides
// the facade: the front-end interface and its headless implementation, the control model and
// the user's actions on it, menus, tables, the current drawing.
#pragma once

#include "host/api/front_end_start.h"
#include "host/api/value.h"
#include "host/drawing/store.h"
#include "host/ui/dialogs.h"
#include "host/ui/frontend.h"
#include "host/ui/headless.h"
#include "host/ui/menus.h"
#include "host/ui/model.h"
#include "host/ui/tables.h"
#include "host/ui/user_actions.h"
