// Saving an image of the selected removable partition from the Deleted Files screen.
#include "model/app_model.h"
#include "model/background_work.h"
#include "recovery/deleted/device_imaging.h"
#include "recovery/deleted/privileged_device_read.h"

namespace tidewell {

namespace {

namespace fs = std::filesystem;

// "Saved a disk image of CARD to /x/card.img." and, when some ranges could not be read,
// their byte ranges one per line; a warning then, else a success.
std::pair<std::string, ActionResultKind> imageMessage(const std::string& name, const DeviceImaging::Result& result) {
    std::string message = "Saved a disk image of " + name + " to " + result.image.string() + ".";
    if (result.isComplete()) return {message + " The source was not changed.", ActionResultKind::success};
    message += " " + std::to_string(result.unreadable.size()) +
               " unreadable range(s) are zeros in the image and listed in " + result.map.string() + ":";
    for (const DeviceImaging::MapRange& range : result.unreadable)
        message += "\n" + std::to_string(range.start) + "–" + std::to_string(range.end() - 1);
    return {message, ActionResultKind::warning};
}

}  // namespace

void AppModel::saveDeletedRecoveryDiskImage() {
    whenSourceIsLive(
        deletedRecoveryScanState_,
        "The selected source is no longer mounted. Reconnect it, choose it again, then save its image.",
        [this](const ExternalRecoveryVolume& volume) {
            if (!volume.deviceIdentifier)
                return presentAction("Disk images can be saved of a removable partition only, not of a folder.",
                                     ActionResultKind::info);
            if (!dialogs_) return;
            const std::optional<fs::path> image = dialogs_->chooseForSaving(
                {.title = "Save Disk Image",
                 .suggestedName = volume.name + ".img",
                 .directory = std::nullopt,
                 .message = "Save the image on another drive than the source. Choose an image saved earlier to "
                            "continue it. Tidewell only reads the source."});
            if (image) startDiskImage(volume, *image);
        });
}

void AppModel::startDiskImage(const ExternalRecoveryVolume& volume, const fs::path& image) {
    assign(deletedRecoveryScanState_, RecoveryScanState::exporting(), &AppModel::deletedRecoveryScanStateChanged);
    deletedRecoveryCancellationToken_ = std::make_shared<RecoveryCancellationToken>();
    setDeletedRecoveryStatus("Saving a disk image of " + volume.name);
    auto work = [volume, image, token = deletedRecoveryCancellationToken_,
                 progress =
                     statusPoster(&AppModel::deletedRecoveryStatusText_, &AppModel::deletedRecoveryStatusTextChanged)] {
        return captureWork<DeviceImaging::Result>([&] {
            PrivilegedDeviceRead::prepareAdministratorAuthorization();
            // An image with its map beside it was started earlier: it continues.
            const bool resume = fs::exists(DeviceImaging::mapPath(image));
            return DeviceImaging::imagePartition(*volume.deviceIdentifier, volume.name, volume.mountURL, image, resume,
                                                 token.get(), progress);
        });
    };
    runInBackground(
        userInitiatedPool_, this, work,
        [this, name = volume.name, generation = recoveryGeneration_](WorkResult<DeviceImaging::Result> made) {
            const bool current = generation == recoveryGeneration_;
            if (current) deletedRecoveryCancellationToken_.reset();
            if (made.succeeded()) {
                if (current) setDeletedRecoveryStatus("Disk image saved");
                const auto [message, kind] = imageMessage(name, *made.value);
                presentAction(message, kind);
            } else if (made.cancelled) {
                if (current)
                    setDeletedRecoveryStatus("Disk image cancelled; choose the same file again to continue it");
            } else {
                if (current) setDeletedRecoveryStatus("Could not save the disk image · " + made.errorDescription);
                presentAction("Could not save a disk image of " + name + ": " + made.errorDescription,
                              ActionResultKind::failure);
            }
            // The scan's results stay; imaging changes nothing the screen lists.
            if (current)
                assign(deletedRecoveryScanState_,
                       deletedRecoveryCandidates_.empty() ? RecoveryScanState::idle() : RecoveryScanState::completed(),
                       &AppModel::deletedRecoveryScanStateChanged);
        });
}

}  // namespace tidewell
