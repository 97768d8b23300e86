#pragma once

#include "recovery/deleted/exfat_image_writer.h"
#include "recovery/deleted/fat32_image_fixture.h"

namespace tidewell::testing {

// An exFAT card: a deleted JPEG in DCIM (a folder stored without a chain), a
// deleted PNG whose 20-character name needs two name entries, a deleted PDF
// that had a chain (not recoverable by this method), a deleted JPEG whose
// clusters were taken again, in a folder that has a chain of two clusters.
struct ExFATCard {
    ExFATImage image;
    std::vector<std::uint8_t> jpeg = SampleFiles::image("jpg", "64x48");
    std::vector<std::uint8_t> png = SampleFiles::image("png", "40x40");

    ExFATCard() {
        auto dcim = image.makeDirectory(image.root(), "DCIM");
        auto chained = image.makeDirectory(image.root(), "Chained folder", false, 2);
        image.addFile(dcim, "IMG_0001.JPG", jpeg, {.deleted = true});
        image.addFile(dcim, "IMG_0002.JPG", jpeg);
        image.addFile(image.root(), "Beach_sunset_001.png", png, {.deleted = true});
        image.addFile(image.root(), "chained.pdf", SampleFiles::pdf(), {.deleted = true, .noFATChain = false});
        image.addFile(chained, "reused.jpg", jpeg, {.deleted = true, .markClustersUsed = true});
        image.save();
    }
};

}  // namespace tidewell::testing
