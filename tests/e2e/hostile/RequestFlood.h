#pragma once

#include <xcb/xcb.h>

#include "HostileConnection.h"

namespace pastiq::hostile {

// Asks the CLIPBOARD's owner for its text as fast as the server takes the requests and never
// reads the answers, as a broken or hostile client would.
class RequestFlood {
  public:
    explicit RequestFlood(HostileConnection& x);

    // Says "flooding" on standard output, then floods until the display connection ends;
    // false when nobody owns the clipboard.
    bool run();

  private:
    void sendBurst();
    void dropEvents();

    HostileConnection& x_;
    xcb_selection_request_event_t request_{};
};

}  // namespace pastiq::hostile
