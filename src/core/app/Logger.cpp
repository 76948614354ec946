// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logger.h"

#include <algorithm>
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
    std::filesystem::path path;
    std::uintmax_t size = 0; // bytes in the file now
    std::uintmax_t rotationBytes = Logger::defaultRotationBytes;
    int rotationFiles = Logger::defaultRotationFiles;
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

std::filesystem::path numbered(const std::filesystem::path& path, int n) {
    auto named = path;
    named += "." + std::to_string(n);
    return named;
}

// Opens the log file for appending; the caller holds the mutex.
void openFile(LoggerState& s) {
    std::error_code ec;
    std::filesystem::create_directories(s.path.parent_path(), ec);
    s.file.open(s.path, std::ios::app);
    if (!s.file.is_open()) {
        s.sink = LogSink::off;
        return;
    }
    const auto size = std::filesystem::file_size(s.path, ec);
    s.size = ec ? 0 : size;
}

// Shifts "<name>.N" to "<name>.N+1" (the last one drops off) and starts an empty file.
void rotate(LoggerState& s) {
    s.file.close();
    std::error_code ec;
    std::filesystem::remove(numbered(s.path, s.rotationFiles), ec);
    for (int n = s.rotationFiles - 1; n >= 1; --n)
        std::filesystem::rename(numbered(s.path, n), numbered(s.path, n + 1), ec);
    if (s.rotationFiles > 0)
        std::filesystem::rename(s.path, numbered(s.path, 1), ec);
    else
        std::filesystem::remove(s.path, ec);
    openFile(s);
}

void write(std::string_view message, bool isError) {
    const std::string line = Logger::formatLine(message);
    auto& s = state();
    std::lock_guard lock(s.mutex);
    switch (s.sink) {
    case LogSink::off:
        return;
    case LogSink::file:
        if (s.file.is_open() && s.size > 0 && s.size + line.size() > s.rotationBytes)
            rotate(s);
        if (s.file.is_open()) {
            s.file << line;
            s.file.flush();
            s.size += line.size();
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
        s.path = file;
        openFile(s);
    }
}

void Logger::setRotation(std::uintmax_t maxBytes, int keptFiles) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.rotationBytes = maxBytes;
    s.rotationFiles = std::max(keptFiles, 0);
}

} // namespace quillory
