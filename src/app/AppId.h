#pragma once

// Pastiq's identity, fixed by the build system. The application id names the D-Bus service,
// the autostart and desktop entries, and tags every journal line.
namespace pastiq {

inline constexpr const char* kAppId = PASTIQ_APP_ID;
// The D-Bus object path derived from the application id: dots become slashes.
inline constexpr const char* kDbusObjectPath = PASTIQ_DBUS_OBJECT_PATH;
inline constexpr const char* kAppVersion = PASTIQ_VERSION;
inline constexpr const char* kBuildNumber = PASTIQ_BUILD_NUMBER;

}  // namespace pastiq
