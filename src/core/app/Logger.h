// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>

namespace quillory {

// Where log lines go. The desktop app writes ordinary lines to standard output and errors to
// standard error; the CLI keeps standard output for its own output and logs to a file.
enum class LogSink { standardStreams, file, standardError, off };

// Writes lines of the form "<local time y-MM-dd HH:mm:ss.SSS> <message>". Thread-safe.
class Logger {
public:
    static void log(std::string_view message);
    static void error(std::string_view message);

    // Joins the items without separator, like the message of one call.
    template <typename... Items> static void log(const Items&... items) { log(std::string_view(join(items...))); }
    template <typename... Items> static void error(const Items&... items) {
        error(std::string_view(join(items...)));
    }

    static void setSink(LogSink sink, const std::filesystem::path& file = {});
    // The line exactly as it would be written, for a given time (tests) or now.
    static std::string formatLine(std::string_view message);

private:
    template <typename... Items> static std::string join(const Items&... items) {
        std::ostringstream out;
        (out << ... << items);
        return out.str();
    }
};

} // namespace quillory
