// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/metadata/MetadataConsole.h"

#include "app/Logger.h"

#include <exiv2/exiv2.hpp>
#include <taglib/tdebuglistener.h>
#include <taglib/tstring.h>

#include <mutex>
#include <string>

namespace quillory::metadata {

namespace {

std::string trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

void exiv2Handler(int level, const char* message) {
    std::string line = "Exiv2: " + trimmed(message ? message : "");
    if (level >= Exiv2::LogMsg::error)
        Logger::error(line);
    else
        Logger::log(line);
}

class TagLibListener : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String& message) override {
        Logger::log("TagLib: " + trimmed(message.to8Bit(true)));
    }
};

} // namespace

void routeLibraryOutputToLogger() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setHandler(exiv2Handler);
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::warn);
        // Exiv2's XMP toolkit must be set up once before images are read from several threads.
        Exiv2::XmpParser::initialize();
        static TagLibListener listener;
        TagLib::setDebugListener(&listener);
    });
}

} // namespace quillory::metadata
