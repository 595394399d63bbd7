#pragma once

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace pastiq::x11 {

struct Atoms {
    xcb_atom_t clipboard = XCB_NONE;
    xcb_atom_t targets = XCB_NONE;
    xcb_atom_t timestamp = XCB_NONE;
    xcb_atom_t utf8String = XCB_NONE;
    xcb_atom_t textPlainUtf8 = XCB_NONE;
    xcb_atom_t text = XCB_NONE;
    xcb_atom_t incr = XCB_NONE;
    xcb_atom_t transferProperty = XCB_NONE;
    xcb_atom_t netActiveWindow = XCB_NONE;
    xcb_atom_t netWmPid = XCB_NONE;
    xcb_atom_t wmProtocols = XCB_NONE;
    xcb_atom_t netWmPing = XCB_NONE;
    xcb_atom_t serverMark = XCB_NONE;
};

// Pastiq's own connection to the display, used only by the X11 thread once that runs. Opening
// it checks every extension Pastiq relies on and creates the hidden window that owns the
// clipboard and receives converted selections.
class XConnection {
  public:
    // What the connection is for: the key grabs need XInput 2.2, XKB and XTEST besides the
    // XFIXES every clipboard needs; a clipboard served for another backend needs XFIXES alone.
    enum class Use { keysAndClipboard, clipboardOnly };
    // Nothing when there is no display or an extension the use needs is missing.
    static std::unique_ptr<XConnection> open(Use use = Use::keysAndClipboard);
    ~XConnection();
    XConnection(const XConnection&) = delete;
    XConnection& operator=(const XConnection&) = delete;

    [[nodiscard]] xcb_connection_t* get() const { return connection_; }
    [[nodiscard]] xcb_window_t root() const { return root_; }
    [[nodiscard]] xcb_window_t window() const { return window_; }
    [[nodiscard]] const Atoms& atoms() const { return atoms_; }
    [[nodiscard]] std::uint8_t xinputOpcode() const { return xinputOpcode_; }
    [[nodiscard]] std::uint8_t xkbFirstEvent() const { return xkbFirstEvent_; }
    [[nodiscard]] std::uint8_t xfixesFirstEvent() const { return xfixesFirstEvent_; }
    [[nodiscard]] xcb_input_device_id_t masterKeyboard() const { return masterKeyboard_; }
    [[nodiscard]] bool hasXRes() const { return hasXRes_; }
    // The largest property payload one request may carry.
    [[nodiscard]] std::size_t maxPropertyBytes() const { return maxPropertyBytes_; }

    // The newest server time seen in an event; a timestamp for requests that need a real one.
    [[nodiscard]] xcb_timestamp_t lastServerTime() const { return lastServerTime_; }
    void noteServerTime(xcb_timestamp_t time);

  private:
    struct Passkey {};

  public:
    XConnection(Passkey, xcb_connection_t* connection, int screenNumber);

  private:
    bool checkExtensions();
    bool checkClipboardExtension();
    bool findMasterKeyboard();
    void internAtoms();
    void createWindow();
    void acquireServerTime();

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    Atoms atoms_;
    std::uint8_t xinputOpcode_ = 0;
    std::uint8_t xkbFirstEvent_ = 0;
    std::uint8_t xfixesFirstEvent_ = 0;
    xcb_input_device_id_t masterKeyboard_ = XCB_INPUT_DEVICE_ALL_MASTER;
    bool hasXRes_ = false;
    std::size_t maxPropertyBytes_ = 0;
    xcb_timestamp_t lastServerTime_ = XCB_CURRENT_TIME;
};

// Server times wrap after about 49 days; compare them as the protocol does.
[[nodiscard]] inline bool isLaterTime(xcb_timestamp_t time, xcb_timestamp_t than) {
    return static_cast<std::int32_t>(time - than) > 0;
}

}  // namespace pastiq::x11
