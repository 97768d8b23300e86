#include <gtest/gtest.h>

#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/recovery_error.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

using FATDeletedRecoveryEngine::RecoveryError;

TEST(FileReader, ReadsExactlyTheRequestedRangeUpToTheLastSector) {
    testing::TemporaryFolder folder;
    std::string bytes(1024, 'a');
    bytes.replace(512, 512, std::string(512, 'b'));
    testing::writeFile(folder / "image", bytes);
    FileReader reader(folder / "image");
    EXPECT_EQ(reader.read(512, 512), std::vector<std::uint8_t>(512, 'b'));
    EXPECT_EQ(reader.read(510, 4), (std::vector<std::uint8_t>{'a', 'a', 'b', 'b'}));
}

TEST(FileReader, FailsAsAWholeWhenTheImageEndsEarly) {
    testing::TemporaryFolder folder;
    testing::writeFile(folder / "image", std::string(1024, 'a'));
    try {
        FileReader(folder / "image").read(513, 512);
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), RecoveryError::Case::unavailableSource);
        EXPECT_STREQ(error.what(), "The recovery image ended before the requested sector could be read.");
    }
    FileReader exFATReader(folder / "image",
                           "The recovery image ended before the requested exFAT sector could be read.");
    try {
        exFATReader.read(4096, 1);
        FAIL();
    } catch (const RecoveryError& error) {
        EXPECT_STREQ(error.what(), "The recovery image ended before the requested exFAT sector could be read.");
    }
}

TEST(FileReader, PassesOnTheSystemErrorWhenTheImageCannotBeOpened) {
    testing::TemporaryFolder folder;
    EXPECT_THROW(FileReader(folder / "missing").read(0, 512), std::system_error);
}

}  // namespace
}  // namespace tidewell
