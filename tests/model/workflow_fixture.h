#pragma once

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTest>
#include <filesystem>
#include <functional>
#include <string>

#include "model/app_model.h"
#include "platform/folder_locations.h"
#include "platform/layout_kind.h"
#include "platform/trash.h"
#include "support/eventually.h"
#include "support/temporary_folder.h"

namespace tidewell::testing {

inline constexpr int workflowTimeout = 60000;

// A temporary HOME and a re-rooted system whose "/Applications" the real inventory reads.
class WorkflowLayout : public ::testing::Test {
protected:
    TemporaryHome home;
    TemporaryFolder system;
    ScopedEnvironment systemRoot{platform::FolderLocations::systemRootVariable, system.path().string()};
    ScopedEnvironment layout{platform::layoutVariable, "macos"};  // the fixture builds the macOS layout

    std::filesystem::path library() const { return home.path() / "Library"; }
    std::filesystem::path trashFiles() const { return platform::Trash::homeTrashFolder() / "files"; }

    // Name.app in /Applications with the identifier "com.example.<name>".
    std::filesystem::path makeApp(const std::string& name, std::size_t payloadBytes = 4000) const {
        const std::filesystem::path bundle = system / "Applications" / (name + ".app");
        writeFile(bundle / "Contents/Info.plist",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n"
                  "\t<key>CFBundleIdentifier</key>\n\t<string>com.example." +
                      name + "</string>\n\t<key>CFBundleName</key>\n\t<string>" + name +
                      "</string>\n</dict>\n</plist>\n");
        writeFile(bundle / "Contents/Resources/payload", std::string(payloadBytes, 'x'));
        return bundle;
    }

    // True when the Trash holds an item of this name.
    bool inTrash(const std::string& name) const { return std::filesystem::exists(trashFiles() / name); }

    static void scanAndWait(AppModel& model) {
        model.scan(true);
        ASSERT_TRUE(testing::eventually([&] { return !model.isScanning(); }, workflowTimeout));
    }
    static void waitForCleanup(AppModel& model) {
        ASSERT_TRUE(testing::eventually([&] { return !model.cleanupInProgress(); }, workflowTimeout));
    }
};

}  // namespace tidewell::testing
