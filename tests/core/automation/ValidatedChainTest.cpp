// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's passes feeding the validator, as the automation layer wires them.
#include "engine/TransformerEngine.h"

#include "app/Logger.h"
#include "app/Preferences.h"
#include "filelist/DirectoryValidator.h"
#include "filelist/FileDataSource.h"
#include "model/Transformers.h"
#include "rename/FileValidator.h"
#include "tokens/TokenResolver.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

// Attribute tokens render as "[id]"; the attribute "broken" fails for the files named in `failFor`
// (for every file when it is empty), as a reader that cannot decode a file would.
class ScriptedResolver final : public TokenResolver {
public:
    ScriptedResolver(bool quick, std::string failFor = {}) : quick_(quick), failFor_(std::move(failFor)) {}

    TransformResult<std::string> rawText(const TokenItem& item, File& file, std::stop_token) override {
        if (!item.isAttribute())
            return item.value;
        if (item.value == "broken" && (failFor_.empty() || file.source.name == failFor_))
            return TransformError::fatal("Cannot read attribute", "The attribute of " + file.source.name + " failed.");
        if (quick_)
            return TransformError::lateUpdateRequired();
        return "[" + item.value + "]";
    }

private:
    bool quick_;
    std::string failFor_;
};

// A record from its recipe JSON; for brevity a plain text in a token field stands for one text item.
Transformer record(const std::string& text) {
    auto json = nlohmann::ordered_json::parse(text);
    for (const char* key : {"prefixText", "suffixText", "setText", "insertText"}) {
        auto& properties = json["properties"];
        if (properties.contains(key) && properties[key].is_string())
            properties[key] = {{"items", {{{"type", "string"}, {"value", properties[key]}}}}};
    }
    auto parsed = Transformer::fromJson(json);
    EXPECT_TRUE(parsed.ok()) << json;
    return parsed.value();
}

TokenString withAttribute(const std::string& text, const std::string& attributeId) {
    return TokenString({TokenItem::text(text), TokenItem::attribute(attributeId)});
}

std::string failureOf(const PassStatus& status) {
    return status.ok() ? "(no failure)" : status.error().message;
}

std::string fullName(const File& file) {
    return file.transformed.transformedName + file.transformed.dottedExtension();
}

class ValidatedChainTest : public ::testing::Test {
protected:
    void SetUp() override {
        Logger::setSink(LogSink::file, temp.path() / "log.txt");
        preferences.registerDefaults();
        engine.setResolvers({std::make_shared<ScriptedResolver>(false), std::make_shared<ScriptedResolver>(true)});
    }
    void TearDown() override { Logger::setSink(LogSink::standardStreams); }

    // Real files under the temporary folder, listed in the given order.
    void open(const std::vector<std::string>& relativePaths, bool aliases = false) {
        std::vector<File> files;
        for (const auto& relative : relativePaths)
            files.push_back(File::fromPath(temp.write(relative).string(), aliases));
        dataSource.doReplaceAllFiles(files, FileAction::replace, false);
    }
    void add(const std::string& json) { transformers.addOrReplaceTransformer(record(json)); }
    std::string add(Transformer transformer) {
        const std::string id = transformer.id;
        transformers.addOrReplaceTransformer(std::move(transformer));
        return id;
    }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& file : dataSource.files())
            out.push_back(fullName(file));
        return out;
    }
    std::string dir(const std::string& relative = {}) const {
        return relative.empty() ? temp.str() : temp.str() + "/" + relative;
    }

    test::TempDir temp;
    Preferences preferences{temp.path() / "settings.json"};
    FileDataSource dataSource;
    Transformers transformers;
    TransformerEngine engine{dataSource, transformers, preferences};
};

using Names = std::vector<std::string>;

TEST_F(ValidatedChainTest, RealChainGivesTheExpectedNamesAndValidationCounts) {
    open({"IMG 001.JPG", "IMG 002.JPG", "Notes.TXT", "KEEP.md"});
    auto directories = std::make_shared<DirectoryValidator>(DirectoryEnvironment{temp.str(), "me", ""}, &preferences);
    FileValidator validator(&dataSource, &preferences, nullptr, directories);
    std::optional<FileValidationResult> result;
    engine.setValidation([&] { result = validator.validateList(false); });

    add(R"({"type":"select","properties":{"selectType":"notmatching","selectMatch":"^keep"}})");
    add(R"({"type":"simple","properties":{"simpleFindText":"IMG *","simpleReplaceText":"Photo $1",
            "simpleWildcards":true}})");
    add(R"({"type":"numbering","properties":{"numberSeparatorText":"_","numberDigitText":"2"}})");
    add(R"({"type":"conversion","properties":{"conversionType":"lowercase"}})");

    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_EQ(names(), (Names{"photo 001_01.JPG", "photo 002_02.JPG", "notes_03.TXT", "KEEP.md"}));
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (FileValidationResult{false, 0, 4, 3}));

    // A chain that gives two files the same name: the second gets a suffix, and a failing action
    // blocks its file.
    Transformer failing("prefix");
    failing.properties.prefixText = withAttribute("", "broken");
    engine.setResolvers(
        {std::make_shared<ScriptedResolver>(false, "Notes"), std::make_shared<ScriptedResolver>(true, "Notes")});
    Transformer same = record(R"({"type":"set","properties":{"setText":"same"}})");
    add(same);
    add(failing);
    EXPECT_EQ(failureOf(engine.transformAllFiles()), "The attribute of Notes failed.");
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (FileValidationResult{false, 1, 4, 2}));
    EXPECT_EQ(dataSource.files()[1].validation.uniqueSuffix, " 2");

    // Without the collision the next pass leaves no stale suffix behind.
    same.disabled = true;
    add(same);
    EXPECT_EQ(failureOf(engine.transformAllFiles()), "The attribute of Notes failed.");
    EXPECT_EQ(*result, (FileValidationResult{false, 1, 4, 2}));
    EXPECT_EQ(names()[1], "[broken]photo 002_02.JPG");
    EXPECT_EQ(dataSource.files()[1].validation.uniqueSuffix, "");
}

} // namespace
} // namespace quillory
