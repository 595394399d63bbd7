#pragma once

#include <functional>

namespace pastiq::wayland {

// Queues work on the main (UI) thread; callable from any thread.
using MainThreadPost = std::function<void(std::function<void()>)>;

}  // namespace pastiq::wayland
