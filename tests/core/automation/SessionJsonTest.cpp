// SPDX-License-Identifier: GPL-3.0-or-later
#include "automation/SessionJson.h"

#include <gtest/gtest.h>

#include <sstream>

namespace quillory {
namespace {

SessionRow row(const std::string& name, const std::string& newName) {
    SessionRow r;
    r.identifier = makeFileId();
    r.path = "/home/me/photos";
    r.name = name;
    r.ext = "jpg";
    r.newPath = r.path;
    r.newName = newName;
    r.newExt = r.ext;
    r.newFullPath = r.newPath + "/" + newName + ".jpg";
    return r;
}

std::string streamed(const std::vector<SessionRow>& rows, const FileValidationResult& result,
                     const std::optional<RenameReport>& report, bool changedOnly) {
    std::ostringstream out;
    writePreviewJson(out, walkRows(rows), result, report, changedOnly);
    return out.str();
}

// Scripts parse the streamed document as they parsed the one built whole: the text must be the same to
// the byte, whatever the rows hold.
TEST(SessionJsonTest, StreamedDocumentIsTheTextOfTheBuiltOne) {
    SessionRow warned = row("b", "b 2");
    warned.uniqueSuffix = " 2";
    warned.warnings = {"Filename is not unique. A numeric suffix '2' has been added."};
    SessionRow failing = row("c\"quoted\"\n", "");
    failing.errors = {"Filename is empty", "Another"};
    SessionRow notUtf8 = row("d\xFF", "e\xFE");
    SessionRow stays = row("same", "same");
    const std::vector<SessionRow> rows{row("a", "x"), warned, failing, notUtf8, stays};
    const FileValidationResult result{false, 1, 5, 3};

    RenameReport report;
    report.started = true;
    report.successCount = 2;
    report.renamed = {{"/a", "/x"}, {"/b", "/b 2"}};
    report.failures = {{"/d", "/e", FileError{FileError::noPermission, 13, "Permission denied"}}};
    report.journalId = "run-1";
    RenameReport empty;

    for (const bool changedOnly : {false, true}) {
        for (const auto& withReport : {std::optional<RenameReport>{}, std::optional{report}, std::optional{empty}}) {
            EXPECT_EQ(streamed(rows, result, withReport, changedOnly),
                      jsonText(previewJson(rows, result, withReport, changedOnly)));
            EXPECT_EQ(streamed({}, {}, withReport, changedOnly), jsonText(previewJson({}, {}, withReport, changedOnly)));
            EXPECT_EQ(streamed({stays}, result, withReport, changedOnly),
                      jsonText(previewJson({stays}, result, withReport, changedOnly)));
        }
    }
    EXPECT_NE(streamed(rows, result, report, false).find("\"pathBytes\""), std::string::npos);
}

} // namespace
} // namespace quillory
