// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/TransformerEngine.h"

#include "app/Logger.h"
#include "app/Preferences.h"
#include "app/UserInteraction.h"
#include "filelist/FileDataSource.h"
#include "model/Transformers.h"
#include "tokens/TokenResolver.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <mutex>
#include <stop_token>
#include <thread>

namespace quillory {
namespace {

// Attribute tokens render as "[id]"; the attribute "broken" fails for the files named in `failFor`
// (for every file when it is empty), as a reader that cannot decode a file would.
class ScriptedResolver final : public TokenResolver {
public:
    ScriptedResolver(bool quick, std::set<std::string> failFor = {}) : quick_(quick), failFor_(std::move(failFor)) {}

    TransformResult<std::string> rawText(const TokenItem& item, File& file, std::stop_token) override {
        if (!item.isAttribute())
            return item.value;
        if (item.value == "broken" && (failFor_.empty() || failFor_.count(file.source.name)))
            return TransformError::fatal("Cannot read attribute", "The attribute of " + file.source.name + " failed.");
        if (quick_)
            return TransformError::lateUpdateRequired();
        return "[" + item.value + "]";
    }

private:
    bool quick_;
    std::set<std::string> failFor_;
};

// Collects the alerts of a full pass; with `planOfSelection` set it also asks, on another thread, for the
// plan of the selected file, as the inspector does while a dialog runs its event loop.
class CollectedAlerts final : public UserInteraction {
public:
    Answer ask(const Question&) override { return {}; }
    void showAlert(const std::string& title, const std::string& text) override {
        alerts.emplace_back(title, text);
        if (planOfSelection)
            planRows.push_back(std::async(std::launch::async, planOfSelection).get().size());
    }
    std::function<std::vector<RenamePlanTableItem>()> planOfSelection;
    std::vector<std::pair<std::string, std::string>> alerts;
    std::vector<std::size_t> planRows;
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

// The text of a failed pass; empty when the pass completed or was stopped.
std::string failureText(const PassStatus& status) {
    if (status.ok() || status.error().kind != PassFailure::Kind::failed)
        return {};
    return status.error().message;
}

std::string fullName(const File& file) {
    return file.transformed.transformedName + file.transformed.dottedExtension();
}

class TransformerEngineTest : public ::testing::Test {
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
    // A prefix or suffix action whose text ends in an attribute token; returns its id.
    std::string addWithAttribute(const std::string& type, const std::string& text, const std::string& attributeId) {
        Transformer transformer(type);
        (type == "prefix" ? transformer.properties.prefixText : transformer.properties.suffixText) =
            TokenString({TokenItem::text(text), TokenItem::attribute(attributeId)});
        transformers.addOrReplaceTransformer(transformer);
        return transformer.id;
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

// --- which actions apply ----------------------------------------------------------------------------

TEST_F(TransformerEngineTest, DisabledActionChangesNothingWhileTheRestOfTheChainRuns) {
    open({"alpha.txt", "beta.txt"});
    add(R"({"type":"simple","disabled":true,"properties":{"simpleFindText":"a","simpleReplaceText":"X"}})");
    add(R"({"type":"suffix","properties":{"suffixText":"-s"}})");
    EXPECT_FALSE(engine.transformAllFilesQuick());
    EXPECT_EQ(names(), (Names{"alpha-s.txt", "beta-s.txt"}));
    for (const auto& file : dataSource.files())
        EXPECT_FALSE(file.transformed.isDirty);
}

TEST_F(TransformerEngineTest, ActionsAfterSelectSkipDeselectedFilesAndALaterSelectBringsThemBack) {
    open({"img_1.jpg", "doc_1.txt", "IMG_2.jpg"});
    add(R"({"type":"select","properties":{"selectType":"matching","selectMatch":"^img"}})");
    add(R"({"type":"suffix","properties":{"suffixText":"-photo"}})");
    add(R"({"type":"select","properties":{"selectType":"all"}})");
    add(R"({"type":"prefix","properties":{"prefixText":"P-"}})");
    engine.transformAllFilesQuick();
    EXPECT_EQ(names(), (Names{"P-img_1-photo.jpg", "P-doc_1.txt", "P-IMG_2-photo.jpg"}));
    // The full pass follows the same rule.
    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_EQ(names(), (Names{"P-img_1-photo.jpg", "P-doc_1.txt", "P-IMG_2-photo.jpg"}));
}

TEST_F(TransformerEngineTest, AliasesAreRenamedOnlyWhenTheSettingAllowsIt) {
    std::vector<File> files = {File::fromPath(temp.write("plain.txt").string()),
                               File::fromPath(temp.write("link.txt").string(), true)};
    dataSource.doReplaceAllFiles(files, FileAction::replace, false);
    add(R"({"type":"prefix","properties":{"prefixText":"new-"}})");

    preferences.set(PreferenceKey::renameAliases, false);
    engine.applyChanges();
    EXPECT_EQ(names(), (Names{"new-plain.txt", "link.txt"}));
    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_EQ(names(), (Names{"new-plain.txt", "link.txt"}));

    preferences.set(PreferenceKey::renameAliases, true);
    engine.applyChanges();
    EXPECT_EQ(names(), (Names{"new-plain.txt", "new-link.txt"}));
}

TEST_F(TransformerEngineTest, FolderEntriesTakeOnlyPathActionsAndOnlyWhenEmptyFoldersMayBeRenamed) {
    temp.mkdir("empty");
    File folder = File::fromUrl(fileUrlFromPath(dir("empty"), true));
    ASSERT_TRUE(folder.source.name.empty());
    dataSource.doReplaceAllFiles({folder, File::fromPath(temp.write("a.txt").string())}, FileAction::replace, false);
    add(R"({"type":"suffix","transformScope":"filename","properties":{"suffixText":"-n"}})");
    add(R"({"type":"suffix","transformScope":"path","properties":{"suffixText":"-moved"}})");

    preferences.set(PreferenceKey::renameEmptyFolders, true);
    engine.applyChanges();
    auto files = dataSource.files();
    EXPECT_EQ(files[0].transformed.transformedName, "");
    EXPECT_EQ(files[0].transformed.transformedPath, dir("empty") + "-moved");
    EXPECT_EQ(files[1].transformed.transformedName, "a-n");
    EXPECT_EQ(files[1].transformed.transformedPath, dir() + "-moved");

    preferences.set(PreferenceKey::renameEmptyFolders, false);
    engine.applyChanges();
    files = dataSource.files();
    EXPECT_EQ(files[0].transformed.transformedPath, dir("empty"));
    EXPECT_EQ(files[1].transformed.transformedPath, dir() + "-moved");
}

TEST_F(TransformerEngineTest, AChainThatMakesTheNameGrowWithoutEndStopsWithAnError) {
    open({"x.txt", "plain.txt"});
    // Each replace doubles every "x": twenty of them would make a name of a million bytes.
    for (int i = 0; i < 20; ++i)
        add(R"({"type":"simple","properties":{"simpleFindText":"x","simpleReplaceText":"xx"}})");
    const auto check = [&](const char* pass) {
        const auto files = dataSource.files();
        EXPECT_EQ(files[0].validation.errors, std::set<std::string>{TransformerEngine::nameGrewTooLong}) << pass;
        EXPECT_LE(files[0].transformed.transformedName.size(), std::size_t{1} << 17) << pass;
        EXPECT_TRUE(files[1].validation.errors.empty()) << pass;
        EXPECT_EQ(fullName(files[1]), "plain.txt") << pass;
    };
    engine.transformAllFilesQuick();
    check("quick");
    EXPECT_TRUE(engine.transformAllFiles().ok());
    check("full");
    // The plan of the file shows the steps up to the one that went too far.
    EXPECT_LT(engine.renamingPlan(dataSource.files()[0]).size(), 20u);
}

// --- quick pass -----------------------------------------------------------------------------------

TEST_F(TransformerEngineTest, QuickPassRecordsTheFailingActionAndRunsTheRestOfTheChain) {
    open({"a.txt", "b.txt"});
    const std::string failingId = addWithAttribute("prefix", "x", "broken");
    add(R"({"type":"suffix","properties":{"suffixText":"-ok"}})");

    EXPECT_FALSE(engine.transformAllFilesQuick());
    for (const auto& file : dataSource.files()) {
        EXPECT_EQ(file.validation.errors, std::set<std::string>{failingId});
        EXPECT_FALSE(file.transformed.isDirty);
    }
    EXPECT_EQ(names(), (Names{"a-ok.txt", "b-ok.txt"}));
    EXPECT_NE(test::readFile(temp.path() / "log.txt").find("transformQuick error: transformerId: " + failingId),
              std::string::npos);
}

TEST_F(TransformerEngineTest, MissingAttributesKeepTheFileDirtyUntilTheLateUpdateSettlesIt) {
    open({"a.txt", "b.txt"});
    addWithAttribute("suffix", "-", "date");
    std::vector<bool> validatedWithLateUpdate;
    engine.setValidationStarter([&](std::vector<File>, bool late) { validatedWithLateUpdate.push_back(late); });

    EXPECT_TRUE(engine.transformAllFilesQuick());
    for (const auto& file : dataSource.files())
        EXPECT_TRUE(file.transformed.isDirty);
    EXPECT_EQ(names(), (Names{"a.txt", "b.txt"}));

    engine.settleLateUpdates();
    EXPECT_EQ(names(), (Names{"a-[date].txt", "b-[date].txt"}));
    for (const auto& file : dataSource.files())
        EXPECT_FALSE(file.transformed.isDirty);
    EXPECT_EQ(validatedWithLateUpdate, (std::vector<bool>{true, false}));

    // Nothing left to settle: a clean quick pass reports no late update.
    EXPECT_FALSE(engine.transformAllFilesQuick());
}

TEST_F(TransformerEngineTest, QuickPassEventSettlesLateUpdatesOnlyWhenNoPreloadWillDoIt) {
    open({"a.txt"});
    addWithAttribute("suffix", "-", "date");

    std::atomic<bool> preloading{true};
    engine.setPreloadRunning([&] { return preloading.load(); });
    // The same through applyChanges, which marks every file dirty first.
    for (const auto event : {&TransformerEngine::transformAllFilesQuickEvent, &TransformerEngine::applyChangesEvent}) {
        preloading = true;
        (engine.*event)();
        engine.waitForIdle();
        EXPECT_TRUE(dataSource.files()[0].transformed.isDirty);
        EXPECT_EQ(names(), Names{"a.txt"});
        preloading = false;
        (engine.*event)();
        engine.waitForIdle();
        EXPECT_FALSE(dataSource.files()[0].transformed.isDirty);
        EXPECT_EQ(names(), Names{"a-[date].txt"});
    }
}

// --- full pass ------------------------------------------------------------------------------------

TEST_F(TransformerEngineTest, FullPassStatusOkWithAndWithoutFiles) {
    int validations = 0;
    engine.setValidation([&] { ++validations; });
    EXPECT_TRUE(engine.transformAllFiles().ok());

    open({"a.txt"});
    add(R"({"type":"suffix","properties":{"suffixText":"-1"}})");
    std::vector<std::string> titles;
    EXPECT_TRUE(
        engine.transformAllFiles({}, [&](std::size_t, std::size_t, const std::string& t) { titles.push_back(t); })
            .ok());
    EXPECT_EQ(names(), Names{"a-1.txt"});
    EXPECT_EQ(titles, std::vector<std::string>{"Preparing"});
    EXPECT_EQ(validations, 2);
}

TEST_F(TransformerEngineTest, CancelledFullPassIsAbortedAndComputesNothing) {
    open({"a.txt", "b.txt"});
    add(R"({"type":"suffix","properties":{"suffixText":"-1"}})");
    std::stop_source stop;
    stop.request_stop();
    const PassStatus stopped = engine.transformAllFiles(stop.get_token());
    ASSERT_FALSE(stopped.ok());
    EXPECT_EQ(stopped.error().kind, PassFailure::Kind::aborted);
    EXPECT_EQ(names(), (Names{"a.txt", "b.txt"}));
    for (const auto& file : dataSource.files())
        EXPECT_TRUE(file.transformed.isDirty);
}

TEST_F(TransformerEngineTest, FullPassLoadsOnlyTheSourcesTheChainReads) {
    File loaded = File::fromPath(temp.write("loaded.txt").string());
    loaded.attributes = FileAttributes::loaded({{"x", FileAttribute("x", "X", AttributeValue())}});
    dataSource.doReplaceAllFiles({File::fromPath(temp.write("fresh.txt").string()), loaded}, FileAction::replace,
                                 false);
    std::vector<std::pair<std::string, unsigned>> asked;
    std::mutex mutex;
    engine.setAttributeLoader([&](const File& file, AttributeSources sources) {
        std::lock_guard lock(mutex);
        asked.emplace_back(file.source.name, sources.bits());
        return FileAttributes::loaded({}, sources);
    });

    // No attribute token, no attribute read at all: not even the file system's dates.
    add(R"({"type":"suffix","properties":{"suffixText":"-1"}})");
    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(dataSource.files()[0].attributes.state, FileAttributes::State::notLoaded);

    // A date token reads the file system only; a map read from every source is not read again.
    addWithAttribute("suffix", "-", "date-modified");
    EXPECT_TRUE(engine.transformAllFiles().ok());
    using Asked = std::vector<std::pair<std::string, unsigned>>;
    EXPECT_EQ(asked, (Asked{{"fresh", AttributeSources(AttributeSources::fileSystem).bits()}}));
    EXPECT_EQ(dataSource.files()[1].attributes, loaded.attributes);

    // A chain that later wants EXIF reads again, keeping what the map had.
    addWithAttribute("prefix", "", "{Exif}.DateTimeOriginal");
    asked.clear();
    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_EQ(asked, (Asked{{"fresh", (AttributeSources(AttributeSources::fileSystem) | AttributeSources::image).bits()}}));
}

TEST_F(TransformerEngineTest, QuickPassWaitingForValuesStartsAPreloadOfTheWantedSources) {
    open({"a.txt"});
    addWithAttribute("suffix", "-", "id3-artist");
    std::vector<unsigned> started;
    engine.setPreloadStarter([&](AttributeSources sources) {
        started.push_back(sources.bits());
        return true;
    });

    engine.transformAllFilesQuickEvent();
    engine.waitForIdle();
    // The preloader will start the next quick pass: the file waits rather than being settled here.
    EXPECT_EQ(started, std::vector<unsigned>{AttributeSources(AttributeSources::audio).bits()});
    EXPECT_TRUE(dataSource.files()[0].transformed.isDirty);

    // A starter with nothing to load (a value that is not an attribute map's) settles at once.
    engine.setPreloadStarter([](AttributeSources) { return false; });
    engine.transformAllFilesQuickEvent();
    engine.waitForIdle();
    EXPECT_FALSE(dataSource.files()[0].transformed.isDirty);
}

// --- numbering per folder ---------------------------------------------------------------------------

TEST_F(TransformerEngineTest, PerFolderNumberingStaysTheSameWhenTheChainMovesFiles) {
    open({"alpha/a1.txt", "alpha/a2.txt", "beta/b1.txt", "beta/b2.txt", "beta/b3.txt"});
    add(R"({"type":"numbering","properties":{"numberSeparatorText":"-","numberResetEveryDirectoryChange":true}})");
    add(R"({"type":"simple","transformScope":"path","properties":{"simpleFindText":"/alpha","simpleReplaceText":"/beta"}})");

    const Names expected{"a1-1.txt", "a2-2.txt", "b1-1.txt", "b2-2.txt", "b3-3.txt"};
    engine.applyChanges();
    EXPECT_EQ(names(), expected);
    for (const auto& file : dataSource.files())
        EXPECT_EQ(file.transformed.transformedPath, dir("beta"));
    engine.applyChanges();
    EXPECT_EQ(names(), expected);
    EXPECT_TRUE(engine.transformAllFiles().ok());
    EXPECT_EQ(names(), expected);

    // The plan of one file numbers it by its place in the list and its folder, as the passes do.
    const auto files = dataSource.files();
    const auto plan = engine.renamingPlan(files[3]);
    ASSERT_EQ(plan.size(), 3u);
    EXPECT_EQ(plan[1].label, "Number filename");
    EXPECT_EQ(plan.back().filename, "b2-2.txt");
    EXPECT_EQ(plan.back().path, dir("beta"));
}

TEST_F(TransformerEngineTest, ALongFullPassGivesEveryFileItsOwnResultAndReportsFailuresInListOrder) {
    // The slices of a long list are computed on two threads; each file must still get its own name and
    // number, and the pass must report its failures as one taking the files in order would. A failure
    // ends that file's chain only: the actions before it stay applied, those after it do not run.
    CollectedAlerts interaction;
    TransformerEngine alerting{dataSource, transformers, preferences, nullptr, &interaction};
    const std::set<std::string> failing = {"f10", "f1200", "f2400", "f2401"};
    alerting.setResolvers(
        {std::make_shared<ScriptedResolver>(false, failing), std::make_shared<ScriptedResolver>(true, failing)});
    std::vector<File> files;
    for (int i = 0; i < 2500; ++i)
        files.push_back(File::fromPath(dir("f" + std::to_string(i) + ".txt")));
    dataSource.doReplaceAllFiles(files, FileAction::replace, false);
    add(R"({"type":"numbering","properties":{"numberSeparatorText":"-"}})");
    const std::string prefixId = addWithAttribute("prefix", "p", "broken");
    add(R"({"type":"suffix","properties":{"suffixText":"-2"}})");

    EXPECT_EQ(failureText(alerting.transformAllFiles()), "The attribute of f2401 failed.");
    const auto listed = dataSource.files();
    ASSERT_EQ(listed.size(), 2500u);
    for (int i = 0; i < 2500; ++i) {
        const std::string name = "f" + std::to_string(i);
        const std::string numbered = name + "-" + std::to_string(i + 1);
        const File& file = listed[static_cast<std::size_t>(i)];
        if (failing.count(name)) {
            ASSERT_EQ(fullName(file), numbered + ".txt");
            ASSERT_EQ(file.validation.errors, std::set<std::string>{prefixId});
        } else {
            ASSERT_EQ(fullName(file), "p[broken]" + numbered + "-2.txt");
            ASSERT_TRUE(file.validation.errors.empty()) << name;
        }
    }
    std::vector<std::string> texts;
    for (const auto& alert : interaction.alerts)
        texts.push_back(alert.second);
    EXPECT_EQ(texts, (Names{"The attribute of f10 failed.", "The attribute of f1200 failed.",
                            "The attribute of f2400 failed.", "The attribute of f2401 failed."}));
}

TEST_F(TransformerEngineTest, FolderRunsLongerThanOneSliceOfTheFullPassAreNumberedOnAsTheQuickPassDoes) {
    // The full pass reads the list a slice at a time; a folder's run goes on across the slices.
    std::vector<File> files;
    for (int i = 0; i < 1500; ++i)
        files.push_back(File::fromPath(dir("alpha/a" + std::to_string(i) + ".txt")));
    for (int i = 0; i < 700; ++i)
        files.push_back(File::fromPath(dir("beta/b" + std::to_string(i) + ".txt")));
    dataSource.doReplaceAllFiles(files, FileAction::replace, false);
    add(R"({"type":"numbering","properties":{"numberSeparatorText":"-","numberResetEveryDirectoryChange":true}})");

    engine.applyChanges();
    const Names quick = names();
    ASSERT_TRUE(engine.transformAllFiles().ok());
    const Names full = names();
    EXPECT_EQ(full, quick);
    ASSERT_EQ(full.size(), 2200u);
    EXPECT_EQ(full[999], "a999-1000.txt");
    EXPECT_EQ(full[1000], "a1000-1001.txt");
    EXPECT_EQ(full[1499], "a1499-1500.txt");
    EXPECT_EQ(full[1500], "b0-1.txt");
    EXPECT_EQ(full[2199], "b699-700.txt");
}

// --- renaming plan ----------------------------------------------------------------------------------

TEST_F(TransformerEngineTest, RenamingPlanListsEveryActionAndDimsTheOnesThatSkipTheFile) {
    open({"keep_x.txt", "drop_x.txt"});
    add(R"({"type":"select","properties":{"selectType":"matching","selectMatch":"^keep"}})");
    add(R"({"type":"simple","properties":{"simpleFindText":"x","simpleReplaceText":"y"}})");
    add(R"({"type":"conversion","transformScope":"extension","disabled":true,
            "properties":{"conversionType":"uppercase"}})");
    add(R"({"type":"suffix","transformScope":"path","properties":{"suffixText":"-new"}})");
    const auto rows = [&](const File& file) {
        Names out;
        for (const auto& item : engine.renamingPlan(file))
            out.push_back(item.label + "|" + item.filename + "|" + item.path + (item.dimmed ? "|dimmed" : ""));
        return out;
    };
    const auto files = dataSource.files();
    EXPECT_EQ(rows(files[0]), (Names{"Original Filename|keep_x.txt|" + dir(), "Select filename|keep_x.txt|" + dir(),
                                     "Replace filename|keep_y.txt|" + dir(), "Convert extension|keep_y.txt|" + dir(),
                                     "Suffix path|keep_y.txt|" + dir() + "-new"}));
    // The Select row itself is never dimmed.
    EXPECT_EQ(rows(files[1]), (Names{"Original Filename|drop_x.txt|" + dir(), "Select filename|drop_x.txt|" + dir(),
                                     "Replace filename|drop_x.txt|" + dir() + "|dimmed",
                                     "Convert extension|drop_x.txt|" + dir() + "|dimmed",
                                     "Suffix path|drop_x.txt|" + dir() + "|dimmed"}));
}

TEST_F(TransformerEngineTest, ProgressAndAlertsOfTheFullPassMayAskForARenamingPlan) {
    open({"a.txt", "b.txt"});
    // The window's side of a full pass: progress and alerts come while the inspector asks for a plan.
    CollectedAlerts interaction;
    TransformerEngine alerting{dataSource, transformers, preferences, nullptr, &interaction};
    alerting.setResolvers(
        {std::make_shared<ScriptedResolver>(false, std::set<std::string>{"b"}),
         std::make_shared<ScriptedResolver>(true, std::set<std::string>{"b"})});
    addWithAttribute("prefix", "p", "broken");
    const File first = dataSource.files()[0];
    interaction.planOfSelection = [&] { return alerting.renamingPlan(first); };

    std::vector<std::size_t> progressPlanRows;
    const PassStatus status = alerting.transformAllFiles({}, [&](std::size_t, std::size_t, const std::string&) {
        progressPlanRows.push_back(alerting.renamingPlan(first).size());
    });
    EXPECT_EQ(failureText(status), "The attribute of b failed.");
    EXPECT_EQ(progressPlanRows, (std::vector<std::size_t>{2, 2}));
    ASSERT_EQ(interaction.alerts.size(), 1u);
    EXPECT_EQ(interaction.alerts[0].first, "Cannot read attribute");
    EXPECT_EQ(interaction.planRows, std::vector<std::size_t>{2});
    EXPECT_EQ(names(), (Names{"p[broken]a.txt", "b.txt"}));
}

// --- rename requests ----------------------------------------------------------------------------------

TEST_F(TransformerEngineTest, CommitWhileARenameRunsLeavesThatRenameAlone) {
    std::atomic<int> runs{0};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> release{false};
    engine.setRenameRunner([&](std::stop_token stop) {
        ++runs;
        while (!release.load() && !stop.stop_requested())
            std::this_thread::yield();
        cancelled = stop.stop_requested();
    });

    engine.commitChangesAsyncEvent();
    while (runs.load() == 0)
        std::this_thread::yield();
    engine.commitChangesAsyncEvent(); // a second click while the first rename is still busy
    EXPECT_TRUE(engine.isRenaming());
    release = true;
    engine.waitForIdle();

    EXPECT_EQ(runs.load(), 1);
    EXPECT_FALSE(cancelled.load());
    EXPECT_FALSE(engine.isRenaming());

    // Once it has ended, the next request starts a new run.
    engine.commitChangesAsyncEvent();
    engine.waitForIdle();
    EXPECT_EQ(runs.load(), 2);
}

} // namespace
} // namespace quillory
