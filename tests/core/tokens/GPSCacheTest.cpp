// SPDX-License-Identifier: GPL-3.0-or-later
#include "tokens/gps/GPSCache.h"

#include "TempDir.h"
#include "app/Preferences.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace quillory {
namespace {

const GPSCoordinates kAmsterdam{52.370216, 4.895168};

GPSAddress sampleAddress(std::string city) {
    GPSAddress address;
    address.addressCity = std::move(city);
    address.addressCountry = "Netherlands";
    address.formattedAddress = ",Amsterdam,,North Holland,,,Netherlands";
    return address;
}

TEST(GPSCacheTest, KeysAtEveryPrecisionInEveryHemisphere) {
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::country), "52.4,4.9");
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::city), "52.37,4.9");
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::neighbourhood), "52.37,4.895");
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::street), "52.3702,4.8952");
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::address), "52.37022,4.89517");
    EXPECT_EQ(GPSCache::key(kAmsterdam, GPSPrecision::full), "52.370216,4.895168");
    const GPSCoordinates sydney{-33.8688, 151.2093};
    EXPECT_EQ(GPSCache::key(sydney, GPSPrecision::country), "-33.9,151.2");
    EXPECT_EQ(GPSCache::key(sydney, GPSPrecision::full), "-33.8688,151.2093");
    // Whole numbers print without a fraction; half-way values round away from zero.
    EXPECT_EQ(GPSCache::key({10.0, -120.0}, GPSPrecision::city), "10,-120");
    EXPECT_EQ(GPSCache::key({0.25, -0.25}, GPSPrecision::country), "0.3,-0.3");
    // Both sides of the equator round into the same key, without a "-0".
    EXPECT_EQ(GPSCache::key({-0.01, 0.01}, GPSPrecision::country), "0,0");
}

TEST(GPSCacheTest, NumberDescriptionIsShortestTextThatReadsBack) {
    EXPECT_EQ(GPSCache::numberDescription(4.9), "4.9");
    EXPECT_EQ(GPSCache::numberDescription(52.0), "52");
    EXPECT_EQ(GPSCache::numberDescription(100.0), "100");
    EXPECT_EQ(GPSCache::numberDescription(-179.999999), "-179.999999");
    EXPECT_EQ(GPSCache::numberDescription(0.0001), "0.0001");
    EXPECT_EQ(GPSCache::numberDescription(0.00001), "1e-05");
}

TEST(GPSCacheTest, StoreFillsAllSixPrecisionsAndLookupUsesTheRoundedKey) {
    GPSCache cache;
    cache.store(kAmsterdam, sampleAddress("Amsterdam"));
    EXPECT_EQ(cache.count(), 6u);
    EXPECT_EQ(cache.countLabel(), "Cached coordinates: 6");

    // A nearby point shares the coarse keys but not the fine ones.
    const GPSCoordinates nearby{52.371, 4.898};
    EXPECT_EQ(cache.lookup(nearby, GPSPrecision::city), sampleAddress("Amsterdam"));
    EXPECT_FALSE(cache.lookup(nearby, GPSPrecision::street).has_value());

    // A later answer replaces the entries it shares.
    cache.store(nearby, sampleAddress("Other"));
    EXPECT_EQ(cache.lookup(kAmsterdam, GPSPrecision::city)->addressCity, "Other");
    EXPECT_EQ(cache.lookup(kAmsterdam, GPSPrecision::full)->addressCity, "Amsterdam");

    cache.clear();
    EXPECT_EQ(cache.countLabel(), "Cached coordinates: 0");
}

class GPSCachePersistenceTest : public ::testing::Test {
protected:
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "settings.json";
};

TEST_F(GPSCachePersistenceTest, RoundTripThroughPreferencesFile) {
    {
        Preferences preferences(file);
        GPSCache cache;
        cache.store(kAmsterdam, sampleAddress("Amsterdam"));
        cache.store({-33.8688, 151.2093}, GPSAddress{});
        ASSERT_TRUE(cache.save(preferences).ok());
        EXPECT_FALSE(cache.hasUnsavedChanges());
    }
    Preferences reopened(file);
    // Stored as a JSON text of the shape {"cache": {key: address}}.
    auto stored = reopened.value(PreferenceKey::gpsCache);
    ASSERT_TRUE(stored.is_string());
    auto json = nlohmann::json::parse(stored.get<std::string>());
    EXPECT_EQ(json["cache"]["52.37,4.9"]["addressCity"], "Amsterdam");
    EXPECT_EQ(json["cache"]["52.37,4.9"].size(), 10u);

    GPSCache loaded;
    loaded.load(reopened);
    // Sydney's coordinates have four places, so its four finest keys are one.
    EXPECT_EQ(loaded.count(), 6u + 4u);
    EXPECT_EQ(loaded.lookup(kAmsterdam, GPSPrecision::street), sampleAddress("Amsterdam"));
    EXPECT_EQ(loaded.lookup({-33.8688, 151.2093}, GPSPrecision::country), GPSAddress{});
    EXPECT_FALSE(loaded.hasUnsavedChanges());
}

// The offline geocoder knows no streets: its answers must not stand in for an online service's, and
// caches written before answers were kept apart still read as the offline geocoder's.
TEST_F(GPSCachePersistenceTest, AnswersOfEachServiceAreKeptApartAndOldCachesReadAsOffline) {
    const std::string online = "https://geo.example.org";
    {
        Preferences preferences(file);
        preferences.setValue(PreferenceKey::gpsCache,
                             nlohmann::json{{"cache", {{"52.37,4.9", sampleAddress("Amsterdam").toJson()}}}}.dump());
    }
    Preferences preferences(file);
    GPSCache cache;
    cache.load(preferences);
    EXPECT_EQ(cache.lookup(kAmsterdam, GPSPrecision::city), sampleAddress("Amsterdam"));
    EXPECT_FALSE(cache.lookup(kAmsterdam, GPSPrecision::city, online).has_value());

    GPSAddress withStreet = sampleAddress("Amsterdam");
    withStreet.addressStreet = "Dam 1";
    cache.store(kAmsterdam, withStreet, online);
    EXPECT_EQ(cache.lookup(kAmsterdam, GPSPrecision::street, online), withStreet);
    EXPECT_EQ(cache.lookup(kAmsterdam, GPSPrecision::city), sampleAddress("Amsterdam"));
    EXPECT_FALSE(cache.lookup(kAmsterdam, GPSPrecision::street).has_value());
    ASSERT_TRUE(cache.save(preferences).ok());

    GPSCache reloaded;
    reloaded.load(Preferences(file));
    EXPECT_EQ(reloaded.lookup(kAmsterdam, GPSPrecision::city, online), withStreet);
    EXPECT_EQ(reloaded.lookup(kAmsterdam, GPSPrecision::city), sampleAddress("Amsterdam"));
}

TEST_F(GPSCachePersistenceTest, MissingOrMalformedStoredCacheStartsEmpty) {
    Preferences preferences(file);
    GPSCache cache;
    cache.store(kAmsterdam, sampleAddress("Amsterdam"));
    cache.load(preferences); // nothing stored: starts empty
    EXPECT_EQ(cache.count(), 0u);

    // The last one, a stored text without "cache", is an empty cache rather than an error.
    for (const nlohmann::json& bad :
         {nlohmann::json("not json {"), nlohmann::json("{\"cache\": {\"1,2\": {\"addressCity\": \"x\"}}}"),
          nlohmann::json("[1,2]"), nlohmann::json(""), nlohmann::json::object(), nlohmann::json("{}")}) {
        preferences.setValue(PreferenceKey::gpsCache, bad);
        GPSCache fresh;
        fresh.load(preferences);
        EXPECT_EQ(fresh.count(), 0u) << bad.dump();
    }
}

TEST_F(GPSCachePersistenceTest, UndecodableCacheIsReplacedAtNextSave) {
    Preferences preferences(file);
    preferences.setValue(PreferenceKey::gpsCache, "{\"cache\": 42");
    GPSCache cache;
    cache.load(preferences);
    cache.store(kAmsterdam, sampleAddress("Amsterdam"));
    ASSERT_TRUE(cache.save(preferences).ok());

    GPSCache reloaded;
    reloaded.load(Preferences(file));
    EXPECT_EQ(reloaded.count(), 6u);
}

TEST_F(GPSCachePersistenceTest, SaveIfChangedWritesOnlyAfterNewEntries) {
    Preferences preferences(file);
    GPSCache cache;
    cache.load(preferences);
    EXPECT_FALSE(cache.saveIfChanged(preferences));
    EXPECT_FALSE(preferences.contains(PreferenceKey::gpsCache));

    cache.store(kAmsterdam, sampleAddress("Amsterdam"));
    EXPECT_TRUE(cache.saveIfChanged(preferences));
    EXPECT_FALSE(cache.saveIfChanged(preferences));

    // A cleared cache is written too, so the clearing survives a restart.
    cache.clear();
    EXPECT_TRUE(cache.saveIfChanged(preferences));
    GPSCache reloaded;
    reloaded.load(Preferences(file));
    EXPECT_EQ(reloaded.count(), 0u);
}

} // namespace
} // namespace quillory
