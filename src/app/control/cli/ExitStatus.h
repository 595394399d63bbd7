#pragma once

namespace pastiq {

// The exit statuses of every `pastiq` command, kept distinct so scripts and key bindings can
// tell what happened; the manual page lists them.
enum ExitStatus : int {
    kExitDone = 0,
    // No Pastiq answers on the session bus, or the text holds nothing to queue.
    kExitNotRunningOrNothing = 1,
    kExitUsage = 2,
    // Pastiq answered but started nothing: a text too large to queue, or no input access.
    kExitRefused = 3,
};

}  // namespace pastiq
