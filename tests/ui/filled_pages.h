#pragma once

#include <QStringList>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "model/app_model.h"
#include "model/scripted_desktop.h"
#include "model/workflow_fixture.h"

namespace tidewell::testing {

// A model filled the way a user's machine fills it, by the real engines reading a temporary HOME
// and a re-rooted system: an installed app with every kind of related file, a startup item and an
// installer (reported as running), a plain app and a system app; leftovers of deleted apps; old
// logs and caches; a folder to recover from; three files to repair, one exported. One leftover
// and one installer have been moved to the Trash. The selected app is a Linux one whose plan takes
// an item by every route; apt's preview refused it, so the history holds three reports.
class FilledPages : public WorkflowLayout {
protected:
    void SetUp() override;

    // The names the fixture and the engines gave its data (apps, identifiers, files, groups,
    // volumes): they read the same in every language.
    QStringList dataNames() const;

    std::unique_ptr<AppModel> model;
    // Every message the result bar showed while the model was filled.
    std::vector<std::string> actionMessages;

private:
    AppModel::Engines engines() const;
    AppInfo linuxPlanApp();
    void writeInstalledApps() const;
    void writeLeftoversAndOldFiles() const;
    std::vector<std::filesystem::path> writeRepairFiles() const;
    std::filesystem::path recoveryFolder() const { return home.path() / "CameraCard"; }

    ScriptedDialogs dialogs_;
    AppInfo linuxApp_;
    QStringList linuxAppNames_;  // the names of the apps whose plans make up linuxApp_
};

}  // namespace tidewell::testing
