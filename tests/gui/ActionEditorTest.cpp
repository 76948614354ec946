// SPDX-License-Identifier: GPL-3.0-or-later
// The action editor: every setting of every kind survives record -> widgets -> record, edits change
// exactly the edited setting, and token fields keep their tokens.
#include "GuiFixture.h"
#include "actions/ActionEditor.h"
#include "actions/ActionFields.h"
#include "model/TransformerTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

namespace quillory::test {
namespace {

using Json = nlohmann::ordered_json;

Json tokens(std::initializer_list<Json> items) { return Json{{"items", Json(items)}}; }
Json text(const std::string& value) { return Json{{"type", "string"}, {"value", value}, {"prefix", ""}, {"suffix", ""}}; }
Json dateToken() {
    return Json{{"type", "attribute"}, {"value", "date-created"}, {"prefix", "("}, {"suffix", ")"}, {"dateFormat", "yyyy"}};
}
Json tagsToken() { return Json{{"type", "attribute"}, {"value", "tags"}, {"prefix", "["}, {"suffix", "]"}}; }

// One record per kind with every setting present and none at its default.
Json fullProperties(std::string_view type) {
    const auto find = [](const std::string& prefix, bool first = true) {
        Json json{{prefix + "FindText", "x*y"}, {prefix + "FindWildcards", true}, {prefix + "FindRegex", true},
                  {prefix + "FindCaseInsensitive", true}};
        if (first)
            json[prefix + "FindFirst"] = true;
        return json;
    };
    const auto merged = [](Json base, const Json& more) {
        for (const auto& [key, value] : more.items())
            base[key] = value;
        return base;
    };
    if (type == "simple")
        return {{"simpleFindText", "IMG_*"}, {"simpleReplaceText", tokens({text("Photo "), dateToken(), text(" $1")})},
                {"simpleCaseInsensitive", true}, {"simpleWildcards", true}, {"simpleFindFirst", true}};
    if (type == "insert")
        return merged(find("insert"), {{"insertText", tokens({tagsToken(), text("-")})}, {"insertPosition", "start"},
                                       {"insertOffset", -3}});
    if (type == "prefix")
        return merged(find("prefix"), {{"prefixText", tokens({dateToken(), text(" ")})}});
    if (type == "suffix")
        return merged(find("suffix"), {{"suffixText", tokens({text(" "), tagsToken()})}});
    if (type == "set")
        return merged(find("set", false), {{"setText", tokens({text("new "), dateToken()})}});
    if (type == "numbering")
        return merged(find("number"),
                      {{"numberPosition", "start"}, {"numberPositionOffset", 2}, {"numberSeparatorText", "_"},
                       {"numberFormat", "roman"}, {"numberDigitText", "4"}, {"numberStartText", "10"},
                       {"numberSkipText", "5"}, {"numberRepeatCount", 3}, {"numberResetEvery", true},
                       {"numberResetEveryText", "7"}, {"numberResetEveryDirectoryChange", true}, {"numberRandom", true}});
    if (type == "conversion")
        return merged(find("conversion"),
                      {{"conversionType", "lookup"}, {"conversionLookup", Json::array({{"a", "b"}, {"(\\d+)", "#$1"}})}});
    if (type == "trim")
        return merged(find("trim"), {{"trimPosition", "aroundeach"}, {"trimOffset", -2}, {"trimCount", "3"},
                                     {"trimMatch", "keepanyexcept"}, {"trimCharacters", "_-"},
                                     {"trimLeadingTrailingSpaces", true}});
    if (type == "regularexpression")
        return {{"regexFindText", tokens({text("(\\d+)-(\\d+)")})},
                {"regexReplaceText", tokens({text("$2-$1 "), tagsToken()})},
                {"regexCaseInsensitive", true},
                {"regexFindFirst", true}};
    if (type == "select")
        return {{"selectType", "notmatching"}, {"selectMatch", "^IMG"}};
    return {};
}

Transformer record(std::string_view type, Json properties) {
    Json json{{"id", "transformer_TEST"},  {"type", type},         {"transformScope", "path"},
              {"properties", properties},  {"disabled", true},     {"description", "a test action"}};
    auto decoded = Transformer::fromJson(json);
    EXPECT_TRUE(decoded.ok()) << type;
    return decoded.ok() ? std::move(decoded).value() : Transformer();
}

TEST(ActionEditorTest, EveryKindRoundTripsEverySettingAndTheCommonOnes) {
    gui::ActionEditor editor;
    for (const auto& info : transformerTypes()) {
        const Json properties = fullProperties(info.typeId);
        // The form covers every setting this record has.
        for (const auto& [key, value] : properties.items()) {
            const auto& fields = gui::actionFields(info.typeId);
            EXPECT_TRUE(std::any_of(fields.begin(), fields.end(), [&](const auto& f) { return f.key == key; }))
                << info.typeId << " has no field for " << key;
        }
        const Transformer original = record(info.typeId, properties);
        editor.setAction(original);
        const auto back = editor.action();
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(back->toJson().dump(), original.toJson().dump()) << info.typeId; // "disabled" included

        // Absent settings stay absent: an untouched form adds no defaults.
        const Transformer bare = record(info.typeId, Json::object());
        editor.setAction(bare);
        EXPECT_EQ(editor.action()->properties.toJson().dump(), "{}") << info.typeId;
    }
}

TEST(ActionEditorTest, AnEditChangesOnlyItsSettingAndIsReportedOnceAfterTheDebounce) {
    gui::ActionEditor editor;
    editor.setDebounceInterval(20);
    QSignalSpy edited(&editor, &gui::ActionEditor::edited);
    const Transformer original = record("numbering", fullProperties("numbering"));
    editor.setAction(original);

    auto* start = editor.findChild<QLineEdit*>(QStringLiteral("numberStartText"));
    auto* format = editor.findChild<QComboBox*>(QStringLiteral("numberFormat"));
    auto* random = editor.findChild<QCheckBox*>(QStringLiteral("numberRandom"));
    ASSERT_TRUE(start && format && random);
    start->selectAll();
    QTest::keyClicks(start, "42");
    format->setCurrentIndex(format->findData(QStringLiteral("hexadecimal")));
    random->setChecked(false);
    ASSERT_TRUE(edited.wait(2000));
    EXPECT_EQ(edited.count(), 1); // three edits in a row, one change
    const auto changed = qvariant_cast<Transformer>(edited.first().first());
    auto expected = fullProperties("numbering");
    expected["numberStartText"] = "42";
    expected["numberFormat"] = "hexadecimal";
    expected["numberRandom"] = false;
    EXPECT_EQ(changed.properties.toJson().dump(), record("numbering", expected).properties.toJson().dump());

    // Scope, switch and description are edits too.
    auto* scope = editor.findChild<QComboBox*>(QStringLiteral("scope"));
    ASSERT_NE(scope, nullptr);
    scope->setCurrentIndex(scope->findData(QStringLiteral("filename")));
    editor.flush();
    ASSERT_EQ(edited.count(), 2);
    EXPECT_EQ(qvariant_cast<Transformer>(edited.last().first()).transformScope, TransformScope::filename);
}

TEST(ActionEditorTest, ProblemsOfTheActionShowUnderTheSettingTheyConcern) {
    gui::ActionEditor editor;
    editor.show();
    editor.setAction(record("insert", Json{{"insertFindText", "a(b"}, {"insertFindRegex", true},
                                            {"insertPosition", "after"},
                                            {"insertText", Json{{"items", Json::array({Json{{"type", "attribute"},
                                                                                       {"value", "id3-artst"}}})}}}}));
    auto* find = editor.findChild<QLineEdit*>(QStringLiteral("insertFindText"));
    auto* findProblem = editor.findChild<QLabel*>(QStringLiteral("insertFindTextProblem"));
    auto* replaceProblem = editor.findChild<QLabel*>(QStringLiteral("insertTextProblem"));
    ASSERT_TRUE(find && findProblem && replaceProblem);
    EXPECT_TRUE(findProblem->isVisible());
    EXPECT_TRUE(findProblem->text().contains(QStringLiteral("not valid"))) << findProblem->text().toStdString();
    EXPECT_TRUE(replaceProblem->isVisible());
    EXPECT_TRUE(replaceProblem->text().contains(QStringLiteral("id3-artist"))) << replaceProblem->text().toStdString();

    // Mending the pattern clears its problem at once, before the edit is even reported.
    find->selectAll();
    QTest::keyClicks(find, "a(b)");
    EXPECT_FALSE(findProblem->isVisible());
    EXPECT_TRUE(replaceProblem->isVisible());
}

TEST(ActionEditorTest, LookupRowsAndUnknownChoicesSurviveEditing) {
    gui::ActionEditor editor;
    auto properties = fullProperties("conversion");
    properties["conversionType"] = "somethingnewer";
    editor.setAction(record("conversion", properties));
    auto* table = editor.findChild<QTableWidget*>(QStringLiteral("lookupTable"));
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->rowCount(), 2);
    table->item(1, 1)->setText(QStringLiteral("No. $1"));
    editor.flush();
    const auto json = editor.action()->properties.toJson();
    EXPECT_EQ(json["conversionType"], "somethingnewer");
    EXPECT_EQ(json["conversionLookup"], Json::array({{"a", "b"}, {"(\\d+)", "No. $1"}}));
}

} // namespace
} // namespace quillory::test
