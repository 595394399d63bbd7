#include "platform/x11/QueryConnection.h"

namespace pastiq::x11 {

QueryConnection::QueryConnection(xcb_connection_t* fallback)
    : own_(xcb_connect(nullptr, nullptr)), connection_(fallback) {
    if (xcb_connection_has_error(own_) == 0) {
        connection_ = own_;
    }
}

QueryConnection::~QueryConnection() {
    xcb_disconnect(own_);
}

}  // namespace pastiq::x11
