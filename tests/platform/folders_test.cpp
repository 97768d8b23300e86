#include "platform/folders.h"

#include <gtest/gtest.h>

#include "support/temporary_folder.h"

namespace tidewell::platform {
namespace {

using testing::ScopedEnvironment;

TEST(Folders, HomeFromEnvironmentElsePasswordDatabase) {
    {
        ScopedEnvironment home("HOME", "/srv/people/ana");
        EXPECT_EQ(homeDirectory(), "/srv/people/ana");
    }
    ScopedEnvironment home("HOME", std::nullopt);
    EXPECT_TRUE(homeDirectory().is_absolute());
}

TEST(Folders, DataAndConfigurationFolders) {
    ScopedEnvironment home("HOME", "/home/ana");
    {
        ScopedEnvironment data("XDG_DATA_HOME", "/data");
        ScopedEnvironment config("XDG_CONFIG_HOME", "/settings");
        EXPECT_EQ(applicationDataDirectory(), "/data/Tidewell");
        EXPECT_EQ(configurationDirectory(), "/settings/Tidewell");
    }
    {
        ScopedEnvironment data("XDG_DATA_HOME", std::nullopt);
        ScopedEnvironment config("XDG_CONFIG_HOME", "");
        EXPECT_EQ(applicationDataDirectory(), "/home/ana/.local/share/Tidewell");
        EXPECT_EQ(configurationDirectory(), "/home/ana/.config/Tidewell");
    }
    ScopedEnvironment data("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(applicationDataDirectory(), "/home/ana/.local/share/Tidewell");
}

TEST(Folders, TemporaryFolder) {
    {
        ScopedEnvironment temporary("TMPDIR", "/var/tmp/work");
        EXPECT_EQ(temporaryDirectory(), "/var/tmp/work");
    }
    {
        ScopedEnvironment temporary("TMPDIR", "");
        EXPECT_EQ(temporaryDirectory(), "/tmp");
    }
    ScopedEnvironment temporary("TMPDIR", std::nullopt);
    EXPECT_EQ(temporaryDirectory(), "/tmp");
}

TEST(Folders, ResourceFolder) {
    {
        ScopedEnvironment resources("TIDEWELL_RESOURCE_DIR", "/nonexistent/resources");
        EXPECT_EQ(resourceDirectory(), std::filesystem::path("/nonexistent/resources"));
    }
    ScopedEnvironment resources("TIDEWELL_RESOURCE_DIR", std::nullopt);
    const auto shipped =
        (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "../share/tidewell").lexically_normal();
    if (std::filesystem::is_directory(shipped)) {
        EXPECT_EQ(resourceDirectory(), shipped);
    } else {
        EXPECT_FALSE(resourceDirectory());
    }
}

}  // namespace
}  // namespace tidewell::platform
