// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/NotificationCenter.h"

#include "app/Logger.h"
#include "app/MainQueue.h"

namespace quillory {

NotificationCenter::NotificationCenter(MainQueue& mainQueue) : mainQueue_(mainQueue) {}

NotificationCenter::Token NotificationCenter::addObserver(std::string_view name, Observer observer) {
    std::lock_guard lock(mutex_);
    const Token token = nextToken_++;
    observers_.emplace(token, std::make_pair(std::string(name), std::move(observer)));
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::lock_guard lock(mutex_);
    observers_.erase(token);
}

void NotificationCenter::post(std::string_view name, std::any object, std::map<std::string, std::any> userInfo) {
    Logger::log("Post ", name);
    auto notification = std::make_shared<Notification>(Notification{std::string(name), std::move(object),
                                                                     std::move(userInfo)});
    mainQueue_.enqueue([this, notification] { deliver(*notification); });
}

void NotificationCenter::deliver(const Notification& notification) {
    std::vector<Observer> targets;
    {
        std::lock_guard lock(mutex_);
        for (const auto& [token, entry] : observers_)
            if (entry.first == notification.name)
                targets.push_back(entry.second);
    }
    // Observers run outside the lock so they may post or (un)subscribe.
    for (const auto& observer : targets)
        observer(notification);
}

void postText(NotificationCenter* center, std::string_view name, std::string text) {
    if (!center)
        return;
    if (text.empty())
        center->post(name);
    else
        center->post(name, std::any(std::move(text)));
}

} // namespace quillory
