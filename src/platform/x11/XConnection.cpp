#include "platform/x11/XConnection.h"

#include <xcb/res.h>
#include <xcb/xfixes.h>
#include <xcb/xtest.h>
#include "platform/x11/XcbXkb.h"

#include <array>
#include <string_view>

#include "platform/x11/XReply.h"

namespace pastiq::x11 {
namespace {

// ChangeProperty's fixed part, which shares the request with the payload.
constexpr std::size_t kChangePropertyHeaderBytes = 24;

bool versionAtLeast(unsigned major, unsigned minor, unsigned wantMajor, unsigned wantMinor) {
    return major > wantMajor || (major == wantMajor && minor >= wantMinor);
}

std::uint8_t presentOpcode(xcb_connection_t* connection, xcb_extension_t* extension) {
    const auto* data = xcb_get_extension_data(connection, extension);
    return data != nullptr && data->present != 0 ? data->major_opcode : 0;
}

std::uint8_t firstEvent(xcb_connection_t* connection, xcb_extension_t* extension) {
    return xcb_get_extension_data(connection, extension)->first_event;
}

}  // namespace

std::unique_ptr<XConnection> XConnection::open(Use use) {
    int screenNumber = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection) != 0) {
        xcb_disconnect(connection);
        return nullptr;
    }
    auto opened = std::make_unique<XConnection>(Passkey{}, connection, screenNumber);
    if (opened->root_ == XCB_NONE) {
        return nullptr;
    }
    if (use == Use::clipboardOnly ? !opened->checkClipboardExtension()
                                  : !opened->checkExtensions() || !opened->findMasterKeyboard()) {
        return nullptr;
    }
    opened->internAtoms();
    opened->createWindow();
    opened->acquireServerTime();
    return opened;
}

XConnection::XConnection(Passkey /*unused*/, xcb_connection_t* connection, int screenNumber)
    : connection_(connection) {
    auto screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int index = 0; screens.rem > 0; ++index, xcb_screen_next(&screens)) {
        if (index == screenNumber) {
            root_ = screens.data->root;
        }
    }
    const std::size_t maxRequestBytes = std::size_t{xcb_get_maximum_request_length(connection)} * 4;
    maxPropertyBytes_ = maxRequestBytes - kChangePropertyHeaderBytes;
}

XConnection::~XConnection() {
    if (window_ != XCB_NONE) {
        xcb_destroy_window(connection_, window_);
        xcb_flush(connection_);
    }
    xcb_disconnect(connection_);
}

bool XConnection::checkExtensions() {
    xcb_connection_t* c = connection_;
    xinputOpcode_ = presentOpcode(c, &xcb_input_id);
    if (xinputOpcode_ == 0 || presentOpcode(c, &xcb_xkb_id) == 0 ||
        presentOpcode(c, &xcb_test_id) == 0 || !checkClipboardExtension()) {
        return false;
    }
    xkbFirstEvent_ = firstEvent(c, &xcb_xkb_id);
    hasXRes_ = presentOpcode(c, &xcb_res_id) != 0;

    // Every extension wants its version announced before its other requests.
    const auto xi = fetchReply<xcb_input_xi_query_version_reply_t>(
        c, xcb_input_xi_query_version(c, 2, 2), xcb_input_xi_query_version_reply);
    const auto xkb = fetchReply<xcb_xkb_use_extension_reply_t>(c, xcb_xkb_use_extension(c, 1, 0),
                                                               xcb_xkb_use_extension_reply);
    const auto xtest = fetchReply<xcb_test_get_version_reply_t>(c, xcb_test_get_version(c, 2, 2),
                                                                xcb_test_get_version_reply);
    if (hasXRes_) {
        const auto res = fetchReply<xcb_res_query_version_reply_t>(
            c, xcb_res_query_version(c, 1, 2), xcb_res_query_version_reply);
        hasXRes_ = res && versionAtLeast(res->server_major, res->server_minor, 1, 2);
    }
    return xi && versionAtLeast(xi->major_version, xi->minor_version, 2, 2) && xkb &&
           xkb->supported != 0 && xtest;
}

bool XConnection::checkClipboardExtension() {
    xcb_connection_t* c = connection_;
    if (presentOpcode(c, &xcb_xfixes_id) == 0) {
        return false;
    }
    xfixesFirstEvent_ = firstEvent(c, &xcb_xfixes_id);
    const auto xfixes = fetchReply<xcb_xfixes_query_version_reply_t>(
        c, xcb_xfixes_query_version(c, 5, 0), xcb_xfixes_query_version_reply);
    return xfixes && xfixes->major_version >= 1;
}

bool XConnection::findMasterKeyboard() {
    const auto devices = fetchReply<xcb_input_xi_query_device_reply_t>(
        connection_, xcb_input_xi_query_device(connection_, XCB_INPUT_DEVICE_ALL_MASTER),
        xcb_input_xi_query_device_reply);
    if (!devices) {
        return false;
    }
    for (auto it = xcb_input_xi_query_device_infos_iterator(devices.get()); it.rem > 0;
         xcb_input_xi_device_info_next(&it)) {
        if (it.data->type == XCB_INPUT_DEVICE_TYPE_MASTER_KEYBOARD) {
            masterKeyboard_ = it.data->deviceid;
            return true;
        }
    }
    return false;
}

void XConnection::internAtoms() {
    struct Wanted {
        std::string_view name;
        xcb_atom_t Atoms::*field;
    };
    static constexpr std::array kWanted{
        Wanted{"CLIPBOARD", &Atoms::clipboard},
        Wanted{"TARGETS", &Atoms::targets},
        Wanted{"TIMESTAMP", &Atoms::timestamp},
        Wanted{"UTF8_STRING", &Atoms::utf8String},
        Wanted{"text/plain;charset=utf-8", &Atoms::textPlainUtf8},
        Wanted{"TEXT", &Atoms::text},
        Wanted{"INCR", &Atoms::incr},
        Wanted{"PASTIQ_TRANSFER", &Atoms::transferProperty},
        Wanted{"_NET_ACTIVE_WINDOW", &Atoms::netActiveWindow},
        Wanted{"_NET_WM_PID", &Atoms::netWmPid},
        Wanted{"WM_PROTOCOLS", &Atoms::wmProtocols},
        Wanted{"_NET_WM_PING", &Atoms::netWmPing},
        Wanted{"PASTIQ_MARK", &Atoms::serverMark},
    };
    std::array<xcb_intern_atom_cookie_t, kWanted.size()> cookies{};
    for (std::size_t i = 0; i < kWanted.size(); ++i) {
        cookies[i] =
            xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(kWanted[i].name.size()),
                            kWanted[i].name.data());
    }
    for (std::size_t i = 0; i < kWanted.size(); ++i) {
        const auto reply =
            fetchReply<xcb_intern_atom_reply_t>(connection_, cookies[i], xcb_intern_atom_reply);
        atoms_.*(kWanted[i].field) = reply ? reply->atom : XCB_NONE;
    }
}

void XConnection::createWindow() {
    window_ = xcb_generate_id(connection_);
    const std::array<std::uint32_t, 2> values{1, XCB_EVENT_MASK_PROPERTY_CHANGE};
    xcb_create_window(connection_, XCB_COPY_FROM_PARENT, window_, root_, -10, -10, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT,
                      XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values.data());
    static constexpr std::string_view kName = "Pastiq clipboard";
    xcb_change_property(connection_, XCB_PROP_MODE_REPLACE, window_, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, kName.size(), kName.data());
}

void XConnection::acquireServerTime() {
    // A zero-length append changes nothing but is answered with a PropertyNotify that carries
    // the server's current time; ownership changes need a real timestamp from the start.
    xcb_change_property(connection_, XCB_PROP_MODE_APPEND, window_, atoms_.transferProperty,
                        XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(connection_);
    while (XReply<xcb_generic_event_t> event{xcb_wait_for_event(connection_)}) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            noteServerTime(reinterpret_cast<xcb_property_notify_event_t*>(event.get())->time);
            return;
        }
    }
}

void XConnection::noteServerTime(xcb_timestamp_t time) {
    if (time != XCB_CURRENT_TIME &&
        (lastServerTime_ == XCB_CURRENT_TIME || isLaterTime(time, lastServerTime_))) {
        lastServerTime_ = time;
    }
}

}  // namespace pastiq::x11
