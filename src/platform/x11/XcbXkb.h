#pragma once

// xcb/xkb.h names a struct field `explicit`, a C++ keyword; rename it while including.
#define explicit explicit_  // NOLINT
#include <xcb/xkb.h>
#undef explicit
