#include "cleanup/freedesktop/systemd_unit.h"

#include <gtest/gtest.h>

namespace tidewell::Freedesktop {
namespace {

TEST(SystemdUnit, ReadsTheKeysThatMatter) {
    const UnitFile unit = parseUnitFile(
        "# a comment\n"
        "[Unit]\n"
        "Description = Sync daemon\n"
        "\n"
        "[Service]\n"
        "Type=simple\n"
        "ExecStart=/opt/sync/bin/syncd --port \\\n"
        "   8080\n"
        "ExecStart=/opt/sync/bin/second\n"
        "Restart=on-failure\n"
        "; another comment\n"
        "[Install]\n"
        "WantedBy=default.target graphical-session.target\n");
    EXPECT_EQ(unit.description, "Sync daemon");
    EXPECT_EQ(unit.execStart, "/opt/sync/bin/syncd --port  8080");
    EXPECT_EQ(unit.restart, "on-failure");
    EXPECT_EQ(unit.wantedBy, (std::vector<std::string>{"default.target", "graphical-session.target"}));
    EXPECT_TRUE(keepsAlive(unit));
}

TEST(SystemdUnit, EmptyAssignmentResetsAndOtherSectionsAreIgnored) {
    const UnitFile unit = parseUnitFile(
        "[Service]\nExecStart=/usr/bin/old\nExecStart=\nExecStart=/usr/bin/new\n"
        "[X-Other]\nExecStart=/usr/bin/elsewhere\nRestart=always\n"
        "garbage line\n[broken\n");
    EXPECT_EQ(unit.execStart, "/usr/bin/new");
    EXPECT_EQ(unit.restart, "");
    EXPECT_FALSE(keepsAlive(unit));
    EXPECT_EQ(parseUnitFile(""), UnitFile{});
}

TEST(SystemdUnit, RestartValuesThatKeepAlive) {
    struct Row {
        const char* restart;
        bool keepAlive;
    };
    const Row rows[] = {{"always", true},      {"on-failure", true}, {"no", false},
                        {"on-success", false}, {"Always", false},    {"", false}};
    for (const Row& row : rows) {
        UnitFile unit;
        unit.restart = row.restart;
        EXPECT_EQ(keepsAlive(unit), row.keepAlive) << row.restart;
    }
}

}  // namespace
}  // namespace tidewell::Freedesktop
