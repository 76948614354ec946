// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace quillory::dbus {

// The application id names the bus name, the object path and the desktop entry alike.
inline constexpr const char* serviceName = "com.halvane.Quillory";
inline constexpr const char* objectPath = "/com/halvane/Quillory";
inline constexpr const char* scriptingInterface = "com.halvane.Quillory.Scripting";
inline constexpr const char* applicationInterface = "org.freedesktop.Application";

// Errors a script can tell apart.
inline constexpr const char* errorInvalidJson = "com.halvane.Quillory.Error.InvalidJson";
inline constexpr const char* errorFailed = "com.halvane.Quillory.Error.Failed";
inline constexpr const char* errorTimeout = "com.halvane.Quillory.Error.Timeout";

} // namespace quillory::dbus
