#pragma once

namespace pastiq {

// Where Pastiq stands in the desktop's autostart (its XDG autostart entry).
enum class AutostartStatus { notRegistered, enabled, requiresApproval, notFound };

// Small operations on the desktop that the tray menu and the onboarding window share.
class SystemHelpers {
  public:
    virtual ~SystemHelpers() = default;
    // Opens Pastiq's input-access help page with the desktop's default handler.
    virtual void openInputAccessHelp() = 0;
    // Shows Pastiq's executable in the file manager.
    virtual void showInFileManager() = 0;
    // Starts a fresh Pastiq half a second from now and quits this one.
    virtual void relaunch() = 0;
    [[nodiscard]] virtual AutostartStatus autostartStatus() = 0;
    // Registers the autostart entry, or removes it when it is enabled or awaits approval.
    virtual void toggleAutostart() = 0;
};

}  // namespace pastiq
