#pragma once

// xcb/xkb.h names a struct field `explicit`, a C++ keyword; rename it while including. Clang
// (under -Wpedantic) rejects redefining a keyword, which here is exactly the intent.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wkeyword-macro"
#endif
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
