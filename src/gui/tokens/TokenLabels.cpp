// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/TokenLabels.h"

#include "model/TokenDetailsList.h"
#include "tokens/RegExpResolver.h"

#include <map>
#include <set>
#include <string>

namespace quillory::gui {
namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Ids whose spelled-out form would not say what people call them.
const std::map<std::string_view, const char*>& namedLabels() {
    static const std::map<std::string_view, const char*> labels = {
        {"original-filename", "Original Name"},
        {"parent-directory-1", "Parent Folder"},
        {"date-added-to-directory", "Date Added"},
        {"date-content-access", "Date Accessed"},
        {"{Exif}.DateTimeOriginal", "Date Taken"},
        {"{Exif}.DateTimeDigitized", "Date Digitized"},
        {"{TIFF}.DateTime", "Date Changed"},
        {"{Exif}.FocalLenIn35mmFilm", "Focal Length (35 mm)"},
        {"{Exif}.ISOSpeedRatings", "ISO"},
        {"{TIFF}.Artist", "Image Artist"},
        {"{GPS}.Altitude", "Altitude"},
        {"GPS-AddressName", "Place Name"},
        {"GPS-AddressZIP", "Postal Code"},
        {"GPS-AddressSubAdministrativeArea", "District"},
        {"GPS-AddressSubThoroughfare", "House Number"},
        {"GPS-AddressThoroughfare", "Street Name"},
        {"GPS-FormattedAddress", "Address"},
    };
    return labels;
}

// "FocalLength" -> "Focal Length", "track-number" -> "Track Number".
QString spelledOut(const QString& name) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c == QLatin1Char('-') || c == QLatin1Char('_') || c == QLatin1Char('.')) {
            if (!out.endsWith(QLatin1Char(' ')))
                out += QLatin1Char(' ');
            continue;
        }
        const bool startsWord = i > 0 && c.isUpper() &&
                                (name[i - 1].isLower() ||
                                 (name[i - 1].isUpper() && i + 1 < name.size() && name[i + 1].isLower()));
        if (startsWord && !out.endsWith(QLatin1Char(' ')))
            out += QLatin1Char(' ');
        out += out.isEmpty() || out.endsWith(QLatin1Char(' ')) ? c.toUpper() : c;
    }
    return out.trimmed();
}

} // namespace

QString attributeLabel(std::string_view tokenId) {
    if (const auto named = namedLabels().find(tokenId); named != namedLabels().end())
        return QString::fromUtf8(named->second);
    QString name = qs(tokenId);
    if (name.startsWith(QLatin1String("parent-directory-")))
        return QStringLiteral("Parent Folder %1").arg(name.mid(17));
    for (const char* prefix : {"{Exif}.", "{TIFF}.", "{GPS}.", "{IPTC}.", "GPS-Address", "GPS-", "id3-", "FLAC-"})
        if (name.startsWith(QLatin1String(prefix))) {
            name = name.mid(static_cast<qsizetype>(std::char_traits<char>::length(prefix)));
            break;
        }
    const QString label = spelledOut(name);
    return label.isEmpty() ? qs(tokenId) : label;
}

QString tokenLabel(const TokenItem& item) {
    if (item.isAttribute())
        return attributeLabel(item.value);
    if (item.isRegex()) {
        const auto label = RegExpResolver::resolve(item.regexp).label;
        return label.empty() ? qs(item.value) : qs(label);
    }
    return qs(item.value);
}

TokenItem attributeItem(std::string_view tokenId) { return TokenItem::attribute(std::string(tokenId)); }

std::vector<TokenGroup> tokenGroups(const TokenDetailsList& catalogue) {
    TokenGroup name{QStringLiteral("Original Name"), {}}, parents{QStringLiteral("Parent Folders"), {}},
        dates{QStringLiteral("File Dates"), {}}, tags{QStringLiteral("Tags"), {}}, other{QStringLiteral("File"), {}},
        image{QStringLiteral("Image"), {}}, gps{QStringLiteral("GPS"), {}}, audio{QStringLiteral("Audio"), {}};
    for (const auto& details : catalogue.basicTokenDetails) {
        const std::string& id = details.tokenId;
        TokenGroup& group = id == "original-filename"             ? name
                            : id.starts_with("parent-directory-") ? parents
                            : id.starts_with("date-")             ? dates
                            : id == "tags"                        ? tags
                                                                  : other;
        group.tokens.push_back(&details);
    }
    for (const auto& details : catalogue.exifTokenDetails)
        image.tokens.push_back(&details);
    for (const auto& details : catalogue.gpsTokenDetails)
        gps.tokens.push_back(&details);
    // MP3 and MPEG-4 tags answer to the same ids; list each once.
    std::set<std::string> seen;
    for (const auto* section : {&catalogue.id3TokenDetails, &catalogue.iTunesTokenDetails, &catalogue.flacTokenDetails})
        for (const auto& details : *section)
            if (seen.insert(details.tokenId).second)
                audio.tokens.push_back(&details);
    std::vector<TokenGroup> groups;
    for (auto* group : {&name, &parents, &dates, &tags, &other, &image, &gps, &audio})
        if (!group->tokens.empty())
            groups.push_back(std::move(*group));
    return groups;
}

} // namespace quillory::gui
