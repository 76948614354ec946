// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AttributeServices.h"

#include "MetadataTestSupport.h"
#include "app/Preferences.h"
#include "app/Registry.h"
#include "filelist/FileDataSource.h"
#include "engine/TransformerEngine.h"
#include "model/Transformers.h"
#include "engine/FileAttributesWorker.h"
#include "model/TokenDetailsList.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

std::shared_ptr<const TokenDetailsList> catalogue() {
    return std::make_shared<const TokenDetailsList>(TokenDetailsList::loadEmbedded());
}

TEST(AttributeServicesTest, TheResolversShareTheLoaderOverTheCatalogue) {
    test::TempDir dir;
    const auto services = AttributeServices::make(catalogue());
    File file = File::fromPath(test::copyCorpusFile(dir, "img_gps_newyork.jpg").string());

    auto pending = services.resolvers.quick->rawText(TokenItem::attribute("{TIFF}.Model"), file, {});
    ASSERT_FALSE(pending.ok());
    EXPECT_TRUE(pending.error().isLateUpdateRequired());

    EXPECT_EQ(*services.resolvers.full->rawText(TokenItem::attribute("{TIFF}.Model"), file, {}), "NIKON D750");
    EXPECT_TRUE(file.attributes.isLoaded());
    EXPECT_EQ(*services.resolvers.quick->rawText(TokenItem::attribute("{GPS}.LongitudeRef"), file, {}), "W");
    // Reading again finds the same values (the access date may have moved on).
    EXPECT_EQ(file.attributes.sources, AttributeSources(AttributeSources::image));
    EXPECT_EQ(services.loader(file, file.attributes.sources).attributes.size(), file.attributes.attributes.size());
}

TEST(AttributeServicesTest, WiringGivesTheEngineTheLoaderAndTheRegistryTheResolvers) {
    test::TempDir dir;
    const auto path = test::copyCorpusFile(dir, "img_gps_sydney.jpg");
    FileDataSource dataSource;
    dataSource.doReplaceAllFiles({File::fromPath(path.string())}, FileAction::replace, false);
    Transformers transformers;
    Transformer prefix("prefix");
    prefix.properties.prefixText = TokenString({TokenItem::attribute("{TIFF}.Make")});
    transformers.addOrReplaceTransformer(prefix);
    Preferences preferences(dir.path() / "settings.json");
    preferences.registerDefaults();
    TransformerEngine engine(dataSource, transformers, preferences);
    const auto services = AttributeServices::make(catalogue());
    FileAttributesWorker worker(dataSource, services.loader);
    Registry registry;

    wireAttributes(engine, worker, services, &registry);
    ASSERT_NE(registry.get<TokenResolvers>(), nullptr);
    EXPECT_EQ(registry.get<TokenResolvers>()->quick, services.resolvers.quick);

    // The full pass loads missing maps through the loader it was given.
    EXPECT_TRUE(engine.transformAllFiles().ok());
    const File file = dataSource.files().at(0);
    ASSERT_TRUE(file.attributes.isLoaded());
    EXPECT_EQ(*file.attributes.attributes.at("{TIFF}.Make").attributeValue.text(), "Apple");
}

} // namespace
} // namespace quillory
