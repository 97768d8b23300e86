// File kinds and short-name extensions are matched on ASCII letters. A process running in a
// Turkish locale (which the desktop application adopts from its environment) lowers "I" to
// a dotless letter or not at all, and must still see "GIF" as "gif".
#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>

#include "recovery/deleted/fat32_directory_record.h"
#include "recovery/deleted/known_signatures.h"
#include "recovery/readable/recovery_candidate_kind.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

// Compiles a Turkish locale into a private folder and switches the character classes to it.
class TurkishLocale : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::haveTool("localedef") || !std::filesystem::exists("/usr/share/i18n/locales/tr_TR"))
            GTEST_SKIP() << "localedef or the tr_TR locale source is missing";
        if (testing::runTool("localedef", {"-i", "tr_TR", "-f", "UTF-8", (folder / "tr_TR.UTF-8").string()}) != 0)
            GTEST_SKIP() << "localedef could not compile tr_TR.UTF-8";
        localePath.emplace("LOCPATH", folder.path().string());
        if (!std::setlocale(LC_CTYPE, "tr_TR.UTF-8") || std::tolower('I') == 'i')
            GTEST_SKIP() << "the Turkish character classes could not be selected";
    }
    void TearDown() override { std::setlocale(LC_CTYPE, "C"); }

    testing::TemporaryFolder folder;
    std::optional<testing::ScopedEnvironment> localePath;
};

TEST_F(TurkishLocale, ExtensionsWithAnIStillMatchTheirKinds) {
    EXPECT_EQ(RecoveryCandidateKinds::detect("/card/HARBOR.GIF"), RecoveryCandidateKind::photo);
    EXPECT_EQ(RecoveryCandidateKinds::detect("/card/SCAN.TIFF"), RecoveryCandidateKind::photo);

    std::vector<std::uint8_t> record(32, 0);
    const std::string name =
        "\xE5"
        "ARBOR  GIF";
    std::copy(name.begin(), name.end(), record.begin());
    EXPECT_EQ(FATDeletedRecoveryEngine::DirectoryRecord::deletedShortName(record, 9), "_ARBOR.gif");
    EXPECT_TRUE(FATDeletedRecoveryEngine::extensionMatchesSignature("HARBOR.GIF", "GIF"));
    EXPECT_TRUE(FATDeletedRecoveryEngine::extensionMatchesSignature("NOTES.ZIP", "ZIP"));
}

}  // namespace
}  // namespace tidewell
