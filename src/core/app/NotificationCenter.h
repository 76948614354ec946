// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <any>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace quillory {

class MainQueue;

struct Notification {
    std::string name;
    std::any object;                         // for example the text of "removeFiles"
    std::map<std::string, std::any> userInfo; // for example "filesAndDirectories"
};

// Named notifications between parts that do not know each other. post() logs the name and hands the
// delivery to the main queue: it never blocks and never runs an observer on the caller's thread.
class NotificationCenter {
public:
    using Observer = std::function<void(const Notification&)>;
    using Token = std::size_t;

    explicit NotificationCenter(MainQueue& mainQueue);

    Token addObserver(std::string_view name, Observer observer);
    void removeObserver(Token token);

    void post(std::string_view name, std::any object = {}, std::map<std::string, std::any> userInfo = {});

    MainQueue& mainQueue() { return mainQueue_; }

private:
    void deliver(const Notification& notification);

    MainQueue& mainQueue_;
    std::mutex mutex_;
    Token nextToken_ = 1;
    std::map<Token, std::pair<std::string, Observer>> observers_;
};

// Posts to a centre that may be absent (tools and tests without one); a non-empty text is the object.
void postText(NotificationCenter* center, std::string_view name, std::string text = {});

// Observers that go with their owner: every one added here is removed when this set is destroyed, so
// no notification reaches an object that no longer exists.
class NotificationObservers {
public:
    NotificationObservers() = default;
    ~NotificationObservers() { removeAll(); }
    NotificationObservers(const NotificationObservers&) = delete;
    NotificationObservers& operator=(const NotificationObservers&) = delete;

    void add(NotificationCenter& center, std::string_view name, NotificationCenter::Observer observer) {
        std::lock_guard lock(mutex_);
        entries_.emplace_back(&center, center.addObserver(name, std::move(observer)));
    }
    void removeAll() {
        std::lock_guard lock(mutex_);
        for (const auto& [center, token] : entries_)
            center->removeObserver(token);
        entries_.clear();
    }

private:
    std::mutex mutex_;
    std::vector<std::pair<NotificationCenter*, NotificationCenter::Token>> entries_;
};

} // namespace quillory
