#pragma once

#include <QTemporaryDir>
#include <filesystem>

#include "model/app_model.h"

namespace tidewell::screenshots {

// A private HOME with a folder to recover from and a few damaged files, plus engines that
// report a plausible inventory, so every page has something to show.
class SampleState {
public:
    SampleState();

    // The card's kernel partition name, under which the deleted-file scan reads it.
    static constexpr const char* cardDevice = "sdb1";

    bool isValid() const { return home_.isValid(); }
    std::filesystem::path root() const { return home_.path().toStdString(); }
    AppModel::Engines engines() const;
    std::filesystem::path recoveryFolder() const { return root() / "Camera Card"; }
    std::vector<std::filesystem::path> damagedFiles() const;

private:
    QTemporaryDir home_;
};

}  // namespace tidewell::screenshots
