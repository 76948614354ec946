// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logger.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <iostream>

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

void write(std::string_view message, bool isError) {
    std::string line = Logger::formatLine(message);
    auto& s = state();
    std::lock_guard lock(s.mutex);
    switch (s.sink) {
    case LogSink::off: return;
    case LogSink::file:
        if (s.file.is_open()) {
            s.file << line << '\n';
            s.file.flush();
        }
        return;
    case LogSink::standardError: std::cerr << line << '\n'; return;
    case LogSink::standardStreams: (isError ? std::cerr : std::cout) << line << '\n'; return;
    }
}

} // namespace

void Logger::log(std::string_view message) { write(message, false); }

void Logger::error(std::string_view message) { write(message, true); }

void Logger::setSink(LogSink sink, const std::filesystem::path& file) {
    auto& s = state();
    std::lock_guard lock(s.mutex);
    s.sink = sink;
    if (s.file.is_open())
        s.file.close();
    if (sink == LogSink::file)
        s.file.open(file, std::ios::app);
}

std::string Logger::formatLine(std::string_view message) {
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t seconds = system_clock::to_time_t(now);
    auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char full[48];
    std::snprintf(full, sizeof full, "%s.%03d", stamp, static_cast<int>(millis));
    std::string line(full);
    line += ' ';
    line += message;
    return line;
}

} // namespace quillory
