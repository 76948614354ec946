// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "app/Logger.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "model/File.h"

#include <any>
#include <string>
#include <vector>

namespace quillory::test {

// Sends log lines to a file for the life of the object, so tests can read what was logged.
class LogCapture {
public:
    LogCapture() : file_(dir_.path() / "log.txt") { Logger::setSink(LogSink::file, file_); }
    ~LogCapture() { Logger::setSink(LogSink::off); }
    std::string text() const { return readFile(file_); }
    bool contains(const std::string& part) const { return text().find(part) != std::string::npos; }

private:
    TempDir dir_;
    std::filesystem::path file_;
};

// A main queue and notification centre whose deliveries are recorded (name and text object).
class NotificationRecorder {
public:
    NotificationRecorder() : center(queue) {
        queue.adoptCurrentThread();
        for (auto name : {"dataSourceUpdated", "applyChanges", "showProgressIndicator", "hideProgressIndicator",
                          "disableUserInput", "enableUserInput", "uncollapsePathColumns"})
            center.addObserver(name, [this, name](const Notification& notification) {
                std::string text;
                if (const auto* value = std::any_cast<std::string>(&notification.object))
                    text = *value;
                posted.push_back(text.empty() ? std::string(name) : std::string(name) + ":" + text);
            });
    }
    std::vector<std::string> drain() {
        queue.runPending();
        auto result = posted;
        posted.clear();
        return result;
    }

    MainQueue queue;
    NotificationCenter center;
    std::vector<std::string> posted;
};

inline std::vector<File> filesAt(const std::vector<std::string>& paths) {
    std::vector<File> files;
    for (const auto& path : paths)
        files.push_back(File::fromPath(path));
    return files;
}

inline std::vector<std::string> namesOf(const std::vector<File>& files) {
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.source.name + (file.source.ext.empty() ? "" : "." + file.source.ext));
    return names;
}

} // namespace quillory::test
