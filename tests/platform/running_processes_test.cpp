#include "platform/running_processes.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace tidewell::platform {
namespace {

TEST(RunningProcesses, ListsThisProcessWithItsExecutableAndMemory) {
    const auto processes = runningProcesses();
    const auto self = std::find_if(processes.begin(), processes.end(),
                                   [](const RunningProcess& process) { return process.pid == ::getpid(); });
    ASSERT_NE(self, processes.end());
    EXPECT_EQ(self->path, std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_GT(self->rss, 0);
    EXPECT_EQ(self->rss % ::sysconf(_SC_PAGESIZE), 0);
    for (const RunningProcess& process : processes) EXPECT_FALSE(process.path.empty());
}

TEST(RunningProcesses, ResidentMemoryOfSelfAndOfNoProcess) {
    EXPECT_GT(residentMemory(::getpid()), 0);
    EXPECT_EQ(residentMemory(-1), 0);
    EXPECT_EQ(residentMemory(0x7FFFFFF0), 0);
}

TEST(RunningProcesses, StatmSecondFieldIsResidentPages) {
    EXPECT_EQ(residentPagesFromStatm("2048 512 100 10 0 300 0\n"), 512);
    EXPECT_EQ(residentPagesFromStatm("2048 0 0"), 0);
    EXPECT_EQ(residentPagesFromStatm("2048"), std::nullopt);
    EXPECT_EQ(residentPagesFromStatm("2048 -4 1"), std::nullopt);
    EXPECT_EQ(residentPagesFromStatm("2048 12x 1"), std::nullopt);
    EXPECT_EQ(residentPagesFromStatm("2048 99999999999999999999999 1"), std::nullopt);
    EXPECT_EQ(residentPagesFromStatm(""), std::nullopt);
}

}  // namespace
}  // namespace tidewell::platform
