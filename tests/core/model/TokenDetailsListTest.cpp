// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/TokenDetailsList.h"

#include "model/TokenItem.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <set>

using namespace quillory;

namespace {

std::string plist(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>" + body + "</dict></plist>";
}

TEST(TokenDetailsListTest, EmbeddedCatalogueListsTheIdsTheCodeNames) {
    auto catalogue = TokenDetailsList::loadEmbedded();
    for (const char* id :
         {"original-filename", "parent-directory-1", "parent-directory-5", "date-created", "date-modified",
          "date-content-access", "tags", "{GPS}.Latitude", "{GPS}.Longitude", "{GPS}.LatitudeRef",
          "{GPS}.LongitudeRef", "{GPS}.Altitude", "{Exif}.DateTimeOriginal", "{TIFF}.Model", "PixelWidth",
          "GPS-AddressStreet", "GPS-AddressCity", "GPS-AddressZIP", "GPS-AddressCountry", "GPS-AddressState",
          "GPS-AddressName", "GPS-AddressSubAdministrativeArea", "GPS-AddressThoroughfare",
          "GPS-AddressSubThoroughfare", "GPS-FormattedAddress", "FLAC-Title", "FLAC-Tracknumber", "FLAC-Date"})
        EXPECT_NE(catalogue.details(id), nullptr) << id;

    // EXIF and GPS ids are key + "." + subkey, so the image reader finds its properties.
    for (const auto* section : {&catalogue.exifTokenDetails, &catalogue.gpsTokenDetails}) {
        for (const auto& details : *section) {
            if (details.subKey) {
                EXPECT_EQ(details.tokenId, details.key + "." + *details.subKey);
            }
        }
    }

    for (const char* key : {"id3/TIT2", "id3/TPE1", "id3/TALB", "id3/TRCK", "id3/TRCK1", "id3/TRCK2", "id3/TPOS",
                            "id3/TPOS1", "id3/TPOS2", "id3/TYER", "id3/TDRC", "id3/TCON"})
        EXPECT_NE(catalogue.id3Details(key), nullptr) << key;
    for (const char* key :
         {"itsk/%A9nam", "itsk/%A9ART", "itsk/%A9alb", "itsk/%A9day", "itsk/trkn", "itsk/disk", "itsk/%A9gen"})
        EXPECT_NE(catalogue.iTunesDetails(key), nullptr) << key;
    EXPECT_EQ(catalogue.id3Details("id3/TRCK1")->tokenId.rfind("id3-track", 0), 0u);
    EXPECT_EQ(catalogue.id3Details("id3/TPOS2")->tokenId.rfind("id3-disk", 0), 0u);
    EXPECT_FALSE(catalogue.regexTokenDetails.empty());
    // Linux keeps no date of adding to a directory.
    EXPECT_EQ(catalogue.details("date-added-to-directory"), nullptr);

    // Every row is complete and described.
    for (const auto& [id, details] : catalogue.tokenDetailsDictionary) {
        EXPECT_NE(details.type, "UNDEFINED_TYPE") << id;
        EXPECT_NE(details.description, "\nUNDEFINED") << id;
        EXPECT_EQ(details.description.front(), '\n') << id;
    }
}

TEST(TokenDetailsListTest, EmbeddedCatalogueAnswersTheTypePredicates) {
    auto catalogue = TokenDetailsList::loadEmbedded();
    EXPECT_TRUE(TokenItem::attribute("date-created").isDateToken(&catalogue));
    EXPECT_TRUE(TokenItem::attribute("{Exif}.DateTimeOriginal").isDateToken(&catalogue));
    EXPECT_TRUE(TokenItem::attribute("{GPS}.Latitude").isGpsToken(&catalogue));
    EXPECT_FALSE(TokenItem::attribute("{GPS}.LatitudeRef").isGpsToken(&catalogue));
    EXPECT_TRUE(TokenItem::attribute("id3-track").isNumberToken(&catalogue));
    EXPECT_TRUE(TokenItem::attribute("PixelWidth").isNumberToken(&catalogue));
    EXPECT_FALSE(TokenItem::attribute("PixelWidth").isDateToken(&catalogue));
    EXPECT_FALSE(TokenItem::attribute("no-such-token").isDateToken(&catalogue));
    // The predicates hold for attribute items only.
    EXPECT_FALSE(TokenItem::text("date-created").isDateToken(&catalogue));
}

TEST(TokenDetailsListTest, MissingOrMalformedInputGivesAnEmptyCatalogue) {
    for (const auto& catalogue : {TokenDetailsList::loadFile("/nonexistent/TokenDetails.plist"),
                                  TokenDetailsList::loadXml("<plist><array/></plist>"),
                                  TokenDetailsList::loadXml("not xml <")}) {
        EXPECT_TRUE(catalogue.tokenDetailsDictionary.empty());
        EXPECT_TRUE(catalogue.basicTokenDetails.empty());
    }
    TokenDetailsList empty;
    EXPECT_FALSE(TokenItem::attribute("date-created").isDateToken(&empty));
}

TEST(TokenDetailsListTest, EntriesTakeDefaultsAndSectionsMustBeArraysOfDictionaries) {
    auto catalogue = TokenDetailsList::loadXml(plist(
        "<key>BASIC</key><array><dict><key>tokenId</key><string>a</string><key>type</key><integer>3</integer>"
        "</dict><dict/></array>"
        "<key>EXIF</key><array><dict><key>tokenId</key><string>x</string></dict><string>stray</string></array>"
        "<key>GPS</key><dict/>"
        "<key>REGEX</key><array><dict><key>tokenId</key><string>r</string><key>description</key>"
        "<string>Digits</string><key>key</key><string>k</string><key>subkey</key><string>s</string></dict></array>"));
    ASSERT_EQ(catalogue.basicTokenDetails.size(), 2u);
    const auto& first = catalogue.basicTokenDetails[0];
    EXPECT_EQ(first.tokenId, "a");
    EXPECT_EQ(first.type, "UNDEFINED_TYPE"); // not a string
    EXPECT_EQ(first.description, "\nUNDEFINED");
    EXPECT_EQ(first.key, "UNDEFINED");
    EXPECT_FALSE(first.subKey);
    EXPECT_EQ(catalogue.basicTokenDetails[1], TokenDetails());
    EXPECT_TRUE(catalogue.exifTokenDetails.empty()); // one element is not a dictionary
    EXPECT_TRUE(catalogue.gpsTokenDetails.empty());
    ASSERT_EQ(catalogue.regexTokenDetails.size(), 1u);
    EXPECT_EQ(catalogue.regexTokenDetails[0].description, "\nDigits");
    EXPECT_EQ(catalogue.regexTokenDetails[0].subKey, "s");
    EXPECT_EQ(catalogue.tokenDetailsDictionary.count("x"), 0u);
    EXPECT_EQ(catalogue.tokenDetailsDictionary.size(), 3u); // "a", the defaults' id, "r"
}

TEST(TokenDetailsListTest, LaterEntryWithTheSameKeyWinsTheDictionary) {
    test::TempDir dir;
    auto path = dir.write("TokenDetails.plist",
                          plist("<key>ID3</key><array>"
                                "<dict><key>tokenId</key><string>one</string><key>key</key><string>id3/TIT2</string></dict>"
                                "<dict><key>tokenId</key><string>two</string><key>key</key><string>id3/TIT2</string></dict>"
                                "</array>"));
    auto catalogue = TokenDetailsList::loadFile(path);
    EXPECT_EQ(catalogue.id3TokenDetails.size(), 2u);
    ASSERT_NE(catalogue.id3Details("id3/TIT2"), nullptr);
    EXPECT_EQ(catalogue.id3Details("id3/TIT2")->tokenId, "two");
    EXPECT_EQ(catalogue.tokenDetailsDictionary.size(), 2u);
}

} // namespace
