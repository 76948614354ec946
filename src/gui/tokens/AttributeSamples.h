// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/File.h"
#include "model/TokenItem.h"
#include "tokens/TokenResolvers.h"

#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quillory {
class TokenDetailsList;
}

namespace quillory::gui {

// The values of the catalogue's attributes for one file, read once and kept: the palette, the token
// editor and the inspector show them. The file is read with the full resolver (the way a rename
// reads it). Place names wait for the geocoder only when `mayWaitForPlaces` says it answers at once
// (the offline one); otherwise they show what the cache knows, so an online service never holds up
// the window.
class AttributeSamples {
public:
    AttributeSamples(std::shared_ptr<const TokenDetailsList> catalogue, TokenResolvers resolvers,
                     std::function<bool()> mayWaitForPlaces = {});

    // Forgets the values; a file that is not there gives empty values.
    void setFile(std::optional<File> file);
    const std::optional<File>& file() const { return file_; }

    // An item rendered for the file (prefix, suffix and formats applied); empty without a file.
    QString render(const TokenItem& item);
    // The value of an attribute with the default formats.
    QString value(const std::string& tokenId);

    const TokenDetailsList& catalogue() const { return *catalogue_; }

private:
    std::shared_ptr<const TokenDetailsList> catalogue_;
    TokenResolvers resolvers_;
    std::function<bool()> mayWaitForPlaces_;
    std::optional<File> file_;
    std::map<std::string, QString> values_;
};

} // namespace quillory::gui
