// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
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

    // A log file that grows past rotationBytes is renamed to "<name>.1" (an older ".1" becomes ".2" and
    // so on, keeping rotationFiles of them) and a new file is started.
    static constexpr std::uintmax_t defaultRotationBytes = 5 * 1024 * 1024;
    static constexpr int defaultRotationFiles = 3;
    static void setSink(LogSink sink, const std::filesystem::path& file = {});
    static void setRotation(std::uintmax_t maxBytes, int keptFiles);
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
