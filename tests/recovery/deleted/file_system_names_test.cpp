#include "recovery/deleted/file_system_names.h"

#include <gtest/gtest.h>

namespace tidewell {
namespace {

TEST(FileSystemNames, FATNamesIncludeMsdosAndExFAT) {
    for (const char* name : {"vfat", "FAT32", "msdos", "MSDOS", "exfat"})
        EXPECT_TRUE(FATDeletedRecoveryEngine::namesFATFileSystem(name)) << name;
    for (const char* name : {"ntfs", "ext4", "msdos2", ""})
        EXPECT_FALSE(FATDeletedRecoveryEngine::namesFATFileSystem(name)) << name;
}

TEST(FileSystemNames, ExFATNamesIgnoreCase) {
    for (const char* name : {"exfat", "ExFAT", "fuse.exfat"})
        EXPECT_TRUE(ExFATDeletedRecoveryEngine::isExFATFileSystem(name)) << name;
    for (const char* name : {"vfat", "msdos", "ex fat"})
        EXPECT_FALSE(ExFATDeletedRecoveryEngine::isExFATFileSystem(name)) << name;
}

}  // namespace
}  // namespace tidewell
