// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logger.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>

namespace quillory {
namespace {

struct LoggerState {
    std::mutex mutex;
    LogSink sink = LogSink::standardStreams;
    std::ofstream file;
};

LoggerState& state() {
    static LoggerState instance;
    return instance;
}

// "y-MM-dd HH:mm:ss.SSS" in local time; the year is written in full, as the pattern "y" does.
std::string timestamp() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t seconds = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis));
    return buffer;
}

void write(std::string_view message, bool isError) {
    const std::string line = Logger::formatLine(message);
    auto& s = state();
    std::lock_guard lock(s.mutex);
    switch (s.sink) {
    case LogSink::off:
        return;
    case LogSink::file:
        if (s.file.is_open()) {
            s.file << line;
            s.file.flush();
        }
        return;
    case LogSink::standardError:
        std::fwrite(line.data(), 1, line.size(), stderr);
        return;
    case LogSink::standardStreams:
        std::fwrite(line.data(), 1, line.size(), isError ? stderr : stdout);
        if (!isError)
            std::fflush(stdout);
        return;
    }
}

} // namespace

std::string Logger::formatLine(std::string_view message) {
    std::string line = timestamp();
    line += ' ';
    line += message;
    line += '\n';
    return line;
}

void Logger::log(std::string_view message) { write(message, false); }
void Logger::error(std::string_view message) { write(message, true); }

void Logger::setSink(LogSink sink, const std::filesystem::path& file) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    if (s.file.is_open())
        s.file.close();
    s.sink = sink;
    if (sink == LogSink::file) {
        std::error_code ec;
        std::filesystem::create_directories(file.parent_path(), ec);
        s.file.open(file, std::ios::app);
        if (!s.file.is_open())
            s.sink = LogSink::off;
    }
}

} // namespace quillory
