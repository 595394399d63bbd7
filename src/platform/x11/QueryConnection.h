#pragma once

#include <xcb/xcb.h>

namespace pastiq::x11 {

// A display connection of the X11 thread that owns no window and asks for no events, for the
// questions whose answers the thread waits for. On the connection that owns the clipboard a
// reply comes only after every event the server queued before it, and a client flooding the
// clipboard's window with requests would make each such wait last as long as the flood.
class QueryConnection {
  public:
    // Falls back to `fallback` when the display takes no second connection.
    explicit QueryConnection(xcb_connection_t* fallback);
    ~QueryConnection();
    QueryConnection(const QueryConnection&) = delete;
    QueryConnection& operator=(const QueryConnection&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return connection_; }

  private:
    xcb_connection_t* own_ = nullptr;
    xcb_connection_t* connection_;
};

}  // namespace pastiq::x11
