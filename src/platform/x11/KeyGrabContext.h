#pragma once

namespace pastiq {
class Log;
}

namespace pastiq::x11 {

class KeyboardTracker;
class MainThreadChannel;
class XConnection;
class XEventLoop;

// What the key-grabbing adapters (the key tap and the hot key) work with. They grab on the X11
// thread, find their keys in the tracked layout and report to the main thread. The referenced
// objects outlive the adapters.
struct KeyGrabContext {
    XConnection& connection;  // X11 thread
    XEventLoop& loop;
    const MainThreadChannel& mainThread;
    KeyboardTracker& keyboard;  // X11 thread
    Log& log;                   // main thread
};

}  // namespace pastiq::x11
