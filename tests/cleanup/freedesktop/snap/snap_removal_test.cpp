#include "cleanup/freedesktop/snap/snap_removal.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "cleanup/fake_tool.h"
#include "support/temporary_folder.h"
#include "support/thrown_message.h"

namespace tidewell::Freedesktop {
namespace {

namespace fs = std::filesystem;
using testing::fakeToolCalls;
using testing::makeFakeTool;
using testing::ScopedEnvironment;
using testing::TemporaryFolder;

std::string removalError(const std::string& name) {
    return testing::thrownMessage([&name] { removeSnap(name); });
}

// A fake snap first on PATH, the system's tools after it.
class SnapRemovalTest : public ::testing::Test {
protected:
    TemporaryFolder tools;
    ScopedEnvironment path{"PATH", tools.path().string() + ":" + std::getenv("PATH")};
};

TEST_F(SnapRemovalTest, AsksSnapdToRemoveTheNamedSnap) {
    const fs::path snap = makeFakeTool(tools / "snap", "exit 0");
    removeSnap("hello-world2");
    EXPECT_EQ(fakeToolCalls(snap), "remove hello-world2\n");
}

TEST_F(SnapRemovalTest, RefusesWhatIsNotASnapNameWithoutRunningSnap) {
    const fs::path snap = makeFakeTool(tools / "snap", "exit 0");
    for (const std::string name : {"", "Firefox", "-h", "--purge", "two words", "a;b", "../core", "café"}) {
        EXPECT_EQ(removalError(name),
                  "\"" + name + "\" is not a snap name, so Tidewell does not ask snapd to remove it.");
    }
    EXPECT_EQ(fakeToolCalls(snap), "");
}

TEST_F(SnapRemovalTest, ReportsWhatSnapSaidWhenTheRemovalFails) {
    makeFakeTool(tools / "snap", "echo 'Removing...'; echo 'error: snap \"tiny\" is not installed' >&2; exit 1");
    EXPECT_EQ(removalError("tiny"), "error: snap \"tiny\" is not installed");
}

TEST(SnapRemovalWithoutSnapTest, SaysThatSnapIsMissing) {
    TemporaryFolder empty;
    ScopedEnvironment path("PATH", empty.path().string());
    EXPECT_EQ(removalError("tiny"), "snap is not installed, so Tidewell cannot ask snapd to remove tiny.");
}

}  // namespace
}  // namespace tidewell::Freedesktop
