// SPDX-License-Identifier: GPL-3.0-or-later
#include "actions/NormalizationSeam.h"

#include "text/Normalization.h"

#include <gtest/gtest.h>

namespace quillory {
namespace {

const std::string kNfc = "Caf\xC3\xA9";  // "Café", precomposed
const std::string kNfd = "Cafe\xCC\x81"; // "Café", decomposed

using Output = TransformResult<std::optional<std::string>>;

TEST(NormalizationSeamTest, TextIsWorkedOnDecomposedAndWrittenBackInItsOwnForm) {
    const NormalizationSeam seam(kNfc);
    EXPECT_TRUE(seam.wasNfc());
    EXPECT_EQ(seam.working(), kNfd);
    EXPECT_EQ(seam.writeBack(seam.working()), kNfc);
    EXPECT_EQ(seam.writeBack(seam.working() + "s"), kNfc + "s");
    const NormalizationSeam decomposed(kNfd);
    EXPECT_FALSE(decomposed.wasNfc());
    EXPECT_EQ(decomposed.working(), kNfd);
    EXPECT_EQ(decomposed.writeBack(kNfd + " e\xCC\x81"), kNfd + " e\xCC\x81");
}

TEST(NormalizationSeamTest, UnchangedOutputKeepsTheExactBytes) {
    // A mixed text is neither NFC nor NFD; unchanged, it must come back as it was.
    const std::string mixed = kNfc + kNfd;
    const NormalizationSeam seam(mixed);
    EXPECT_EQ(seam.writeBack(seam.working()), mixed);
    // Bytes that are not UTF-8 survive both an unchanged and a changed round trip.
    const NormalizationSeam invalid("a\xFF" + kNfc);
    EXPECT_EQ(invalid.writeBack(invalid.working()), "a\xFF" + kNfc);
    EXPECT_EQ(invalid.writeBack("x" + invalid.working()), "xa\xFF" + kNfc);
}

TEST(NormalizationSeamTest, PathComponentsAnActionLeftAloneKeepTheirBytes) {
    // A precomposed folder holding a decomposed name: renaming the name leaves the folder's bytes.
    const NormalizationSeam seam("/Photos/" + kNfc + "/" + kNfd + ".jpg");
    EXPECT_FALSE(seam.wasNfc());
    EXPECT_EQ(seam.writeBack("/Photos/" + kNfd + "/" + kNfd + " 2.jpg"), "/Photos/" + kNfc + "/" + kNfd + " 2.jpg");
    // Components are matched from the end too, so a folder put in front keeps the rest as it was.
    EXPECT_EQ(seam.writeBack("/New/Photos/" + kNfd + "/" + kNfd + ".jpg"),
              "/New/Photos/" + kNfc + "/" + kNfd + ".jpg");
    // A folder moved elsewhere is matched by neither end, and takes the form the action wrote.
    EXPECT_EQ(seam.writeBack("/" + kNfd), "/" + kNfd);
    // An all-precomposed path behaves as before: every changed component is precomposed again.
    const NormalizationSeam precomposed("/" + kNfc + "/" + kNfc);
    EXPECT_EQ(precomposed.writeBack("/" + kNfd + "/" + kNfd + "s"), "/" + kNfc + "/" + kNfc + "s");
}

TEST(NormalizationSeamTest, CompatibilityChangesSurviveTheWayBack) {
    const NormalizationSeam seam("\xEF\xAC\x81" + kNfc); // "ﬁ" ligature
    EXPECT_EQ(seam.writeBack(text::nfkd(seam.working())), "fi" + kNfc);
}

TEST(NormalizationSeamTest, RewriteWritesOnlyRealChanges) {
    File file = File::fromPath("/tmp/" + kNfc + "/a.b");
    file.transformed.transformedName = "a.b";
    file.transformed.transformedExt = "";
    // Writing an unchanged full path back would split "a.b" into name and extension.
    auto status = NormalizationSeam::rewrite(file, TransformScope::fullPath,
                                             [](const std::string &text) { return Output(text); });
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(file.transformed.transformedName, "a.b");
    EXPECT_EQ(file.transformed.transformedPath, "/tmp/" + kNfc);

    status = NormalizationSeam::rewrite(file, TransformScope::path, [](const std::string &text) {
        EXPECT_EQ(text, "/tmp/" + kNfd);
        return Output(text + "/x");
    });
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(file.transformed.transformedPath, "/tmp/" + kNfc + "/x");
}

TEST(NormalizationSeamTest, RewriteLeavesTheFileOnErrorOrNoResult) {
    File file = File::fromPath("/tmp/name.txt");
    auto status = NormalizationSeam::rewrite(file, TransformScope::filename,
                                             [](const std::string &) { return Output(std::nullopt); });
    EXPECT_TRUE(status.ok());
    status = NormalizationSeam::rewrite(file, TransformScope::filename,
                                        [](const std::string &) { return Output(TransformError::aborted()); });
    ASSERT_FALSE(status.ok());
    EXPECT_TRUE(status.error().isAborted());
    EXPECT_EQ(file.transformed.transformedName, "name");
}

} // namespace
} // namespace quillory
