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
inline constexpr const char* errorUnknownAction = "com.halvane.Quillory.Error.UnknownAction";

// The desktop entry's actions (its [Desktop Action ...] groups), activated over org.freedesktop.Application
// or by the option of the same name on a launch: "Open Folder…".
inline constexpr const char* actionOpenFolder = "open-folder";

} // namespace quillory::dbus
