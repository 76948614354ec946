// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/AppServices.h"

#include "TempDir.h"
#include "app/Logger.h"
#include "app/Preferences.h"
#include "PresetUserInteraction.h"
#include "filelist/FileDataSource.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "filelist/DirectoryValidator.h"
#include "rename/FileValidator.h"
#include "tokens/gps/GPSAddressResolver.h"
#include "tokens/gps/OfflineGeocoder.h"
#include "tokens/gps/OnlineGeocoder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace quillory {
namespace {

using ::testing::ElementsAre;

Transformer simpleReplace(const std::string& find, const std::string& replace) {
    const auto json = nlohmann::ordered_json{{"type", "simple"},
                                             {"transformScope", "filename"},
                                             {"properties", {{"simpleFindText", find}, {"simpleReplaceText", replace}}}};
    auto parsed = Transformer::fromJson(json);
    EXPECT_TRUE(parsed.ok());
    auto transformer = std::move(parsed).value();
    transformer.id = Transformer::makeId();
    return transformer;
}

class AppServicesTest : public ::testing::Test {
protected:
    void SetUp() override { Logger::setSink(LogSink::file, temp.path() / "log.txt"); }
    void TearDown() override { Logger::setSink(LogSink::standardStreams); }

    AppServices::Options options() {
        return AppServices::Options{temp.path() / "settings.json", &interaction, false, false, {}};
    }
    void allowTemp(AppServices& services) {
        services.preferences().setTransient(PreferenceKey::customDirectories, std::vector<std::string>{temp.str()});
        services.validator().directoryValidator().reload();
    }

    test::TempDir temp;
    PresetUserInteraction interaction;
};

TEST_F(AppServicesTest, OpenedFolderIsComputedValidatedAndRenamedThroughTheWiredServices) {
    temp.write("trip/a_b.txt", "A");
    temp.write("trip/bad.txt", "B");
    AppServices services(options());
    allowTemp(services);

    EXPECT_EQ(services.openPaths({(temp.path() / "trip").string()}), "");
    services.transformers().addOrReplaceTransformer(simpleReplace("_", " "));
    services.transformers().addOrReplaceTransformer(simpleReplace("bad", ""));
    EXPECT_TRUE(services.engine().transformAllFiles().ok());

    const auto files = services.fileDataSource().files();
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file.transformed.transformedName + file.transformed.dottedExtension());
    EXPECT_THAT(names, ElementsAre("a b.txt", ".txt"));
    // The empty name is an error; only the other file is to be renamed.
    EXPECT_EQ(FileValidator::result(files, false), (FileValidationResult{false, 1, 2, 1}));

    // A rename request through the engine renames the valid file and leaves the other in place.
    services.engine().commitChangesAsyncEvent();
    services.engine().waitForIdle();
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "trip/a b.txt"));
    EXPECT_TRUE(std::filesystem::exists(temp.path() / "trip/bad.txt"));
    EXPECT_FALSE(std::filesystem::exists(temp.path() / "trip/a_b.txt"));
}

TEST_F(AppServicesTest, FolderOutsideTheAllowedOnesIsReportedAndNotListed) {
    temp.write("elsewhere/x_y.txt");
    AppServices services(options());
    const std::string elsewhere = (temp.path() / "elsewhere").string();
    EXPECT_THAT(services.openPaths({elsewhere}), ::testing::HasSubstr(elsewhere));
    EXPECT_TRUE(services.fileDataSource().files().empty());
}

TEST_F(AppServicesTest, AGeocoderSetForTheRunIsTheOneAsked) {
    AppServices services(options());
    EXPECT_NE(dynamic_cast<OfflineGeocoder*>(services.gpsResolver().geocoder().get()), nullptr);
    services.preferences().setTransient(PreferenceKey::gpsGeocoder, "http://127.0.0.1:1/");
    services.useGeocoderFromSettings();
    const auto asked = services.gpsResolver().geocoder();
    if (OnlineGeocoder::available())
        EXPECT_NE(dynamic_cast<OnlineGeocoder*>(asked.get()), nullptr);
    else
        EXPECT_NE(dynamic_cast<OfflineGeocoder*>(asked.get()), nullptr);
    services.preferences().setTransient(PreferenceKey::gpsGeocoder, "offline");
    services.useGeocoderFromSettings();
    EXPECT_NE(dynamic_cast<OfflineGeocoder*>(services.gpsResolver().geocoder().get()), nullptr);
}

} // namespace
} // namespace quillory
