// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "TempDir.h"
#include "app/Logger.h"
#include "app/MainQueue.h"
#include "app/NotificationCenter.h"
#include "model/File.h"
#include "text/Collation.h"

#include <algorithm>
#include <any>
#include <iterator>
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

// Distinct file names made of ASCII in many shapes: both cases, numbers with and without leading zeros,
// spaces and punctuation, so that a natural order differs from byte order in many places.
inline std::vector<std::string> mixedAsciiNames(std::size_t count) {
    static const char* const stems[] = {"IMG_", "img_", "Scan ", "scan-", "a", "B", "_x", "~z", "(1) ", "file", "File"};
    static const char* const endings[] = {".jpg", ".JPG", ".txt", " copy.jpg", "", "b.png"};
    std::vector<std::string> names;
    for (std::size_t i = 0; names.size() < count; ++i) {
        const std::string number = std::to_string(i % 997);
        const std::string padded = i % 3 == 0 ? std::string(4 - std::min<std::size_t>(number.size(), 4), '0') + number
                                              : number;
        names.push_back(stems[i % std::size(stems)] + padded + endings[(i / 7) % std::size(endings)] + "-" +
                        std::to_string(i / 997));
    }
    return names;
}

// The names in the order of the collator's keys, equal keys by their bytes.
inline std::vector<std::string> naturallySorted(const std::vector<std::string>& names) {
    std::vector<std::pair<std::string, std::string>> keyed;
    for (const auto& name : names)
        keyed.emplace_back(text::localizedStandardSortKey(name), name);
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> sorted;
    for (auto& [key, name] : keyed)
        sorted.push_back(std::move(name));
    return sorted;
}

} // namespace quillory::test
