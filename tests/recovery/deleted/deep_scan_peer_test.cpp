// The deep scan against the peer carver on the same quick-formatted card: every
// file either side writes is matched byte for byte against the card's originals.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "recovery/deleted/deep_scan.h"
#include "recovery/deleted/exfat_image_writer.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/quick_format_fixture.h"
#include "support/redirected_tool.h"
#include "support/temporary_folder.h"

namespace tidewell::DeepScan {
namespace {

namespace fs = std::filesystem;

// Original bytes → the original's name.
using Originals = std::map<std::string, std::string>;

// The names of the originals some file below `folder` holds byte for byte.
std::set<std::string> originalsFoundIn(const fs::path& folder, const Originals& originals) {
    std::set<std::string> found;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        auto original = originals.find(testing::readFile(entry.path()));
        if (original != originals.end()) found.insert(original->second);
    }
    return found;
}

// The peer carves the whole bare file-system image into `<work>/out.N`, keeping its log
// in `work` too (it writes the log into its working folder).
int runPeer(const fs::path& image, const fs::path& work) {
    return testing::runToolRedirected(
        "env",
        {"-C", work.string(), "photorec", "/log", "/d", (work / "out").string(), "/cmd", image.string(), "search"},
        "/dev/null", work / "photorec.output");
}

// A photo split in two around another file, as a file system with no run long enough
// for it leaves it: its first half at `first`, then `between`, then its second half.
// Both are written into clusters the format left free, where no record names them.
struct SplitPhoto {
    std::vector<std::uint8_t> photo = testing::SampleFiles::image("jpg", "640x480");
    std::vector<std::uint8_t> between = testing::SampleFiles::image("png", "120x90");
    std::int64_t offset = 0;  // of its first half

    void layOut(const fs::path& image, std::int64_t firstOffset, std::int64_t clusterSize) {
        offset = firstOffset;
        const auto clustersOf = [&](std::size_t bytes) {
            return (static_cast<std::int64_t>(bytes) + clusterSize - 1) / clusterSize;
        };
        const std::int64_t firstHalf = clustersOf(photo.size()) / 2 * clusterSize;
        ASSERT_GT(firstHalf, 0) << "the photo needs at least two clusters";
        std::vector<std::uint8_t> laid(photo.begin(), photo.begin() + firstHalf);
        laid.insert(laid.end(), between.begin(), between.end());
        laid.resize(static_cast<std::size_t>(firstHalf + clustersOf(between.size()) * clusterSize), 0);
        laid.insert(laid.end(), photo.begin() + firstHalf, photo.end());
        testing::patchFile(image, firstOffset, laid);
    }
};

// Runs both tools over the image and compares what each wrote with the originals: ours
// must hold every original but the split photo byte for byte, the camera files under
// their own names, at least as many originals as the peer, and grade high nothing but
// originals. The split photo is listed as partial and not exported.
void compareWithPeer(const fs::path& image, const testing::QuickFormatFiles& rootFiles,
                     const testing::QuickFormatFiles& folderFiles, const SplitPhoto& split) {
    Originals originals;
    for (const auto* files : {&rootFiles, &folderFiles})
        for (const auto& [name, bytes] : *files) originals.emplace(std::string(bytes.begin(), bytes.end()), name);
    originals.emplace(std::string(split.photo.begin(), split.photo.end()), "split photo");
    originals.emplace(std::string(split.between.begin(), split.between.end()), "picture between its halves");
    ASSERT_EQ(originals.size(), rootFiles.size() + folderFiles.size() + 2) << "every original has bytes of its own";

    testing::TemporaryFolder peerWork;
    ASSERT_EQ(runPeer(image, peerWork.path()), 0) << testing::readFile(peerWork / "photorec.output");
    const std::set<std::string> peerFound = originalsFoundIn(peerWork.path(), originals);
    ASSERT_FALSE(peerFound.empty()) << "the peer carved nothing; comparing with it would prove nothing";

    const FileReader reader(image);
    const Result result = scan(reader, "card");
    testing::TemporaryFolder ours;
    const std::vector<fs::path> written = exportCandidates(result.candidates(), reader, "card", ours.path());
    const std::set<std::string> oursFound = originalsFoundIn(ours.path(), originals);

    ::testing::Test::RecordProperty("peer_identical", static_cast<int>(peerFound.size()));
    ::testing::Test::RecordProperty("ours_identical", static_cast<int>(oursFound.size()));
    std::string peerList;
    for (const std::string& name : peerFound) peerList += " [" + name + "]";
    EXPECT_GE(oursFound.size(), peerFound.size()) << "the peer found" << peerList;
    for (const auto& [bytes, name] : originals) {
        if (name == "split photo") continue;
        EXPECT_TRUE(oursFound.contains(name)) << name << " not recovered";
    }
    std::set<std::string> writtenNames;
    for (const fs::path& file : written) writtenNames.insert(file.filename().string());
    for (const auto& [name, bytes] : folderFiles)
        EXPECT_TRUE(writtenNames.contains(name)) << name << " lost its long name";

    bool splitListed = false;
    for (const Candidate& candidate : result.carvedCandidates)
        if (candidate.runOffset == split.offset) {
            splitListed = true;
            EXPECT_EQ(candidate.signature, "JPEG");
            EXPECT_EQ(candidate.confidence, DeletedRecovery::Confidence::low) << "the split photo is partial";
            EXPECT_FALSE(candidate.isContiguousAndFree) << "a partial file is not exported as whole";
        }
    EXPECT_TRUE(splitListed) << "the split photo is not even listed";

    // A file graded high must be an original exactly, whichever folder it came from.
    for (const Candidate& candidate : result.candidates()) {
        if (candidate.confidence != DeletedRecovery::Confidence::high) continue;
        testing::TemporaryFolder alone;
        const std::vector<fs::path> one = exportCandidates({candidate}, reader, "card", alone.path());
        ASSERT_EQ(one.size(), 1u) << candidate.name;
        EXPECT_TRUE(originals.contains(testing::readFile(one.front()))) << candidate.name << " is graded high";
    }
}

// The old root folder is overwritten by the format: only carving finds these two.
testing::QuickFormatFiles rootFiles() {
    return {{"Sunset in the root.jpg", testing::SampleFiles::image("jpg", "200x150")},
            {"Chart in the root.png", testing::SampleFiles::image("png", "80x60")}};
}

TEST(DeepScanAgainstPeer, OnAQuickFormattedFAT32Card) {
    if (!testing::haveTool("photorec")) GTEST_SKIP() << "photorec is not installed (the testdisk package)";
    testing::FAT32Image card;
    const testing::QuickFormatFiles inRoot = rootFiles();
    for (const auto& [name, bytes] : inRoot) card.write(name, bytes);
    const testing::QuickFormatFiles folderFiles = testing::cameraFiles();
    testing::fillAndQuickFormat(card, folderFiles);
    // Far past what the card held before its format.
    SplitPhoto split;
    split.layOut(card.path(), testing::FAT32Image::rootDirectoryOffset + (100'000 - 2) * 512, 512);
    compareWithPeer(card.path(), inRoot, folderFiles, split);
}

TEST(DeepScanAgainstPeer, OnAQuickFormattedExFATCard) {
    if (!testing::haveTool("photorec")) GTEST_SKIP() << "photorec is not installed (the testdisk package)";
    testing::ExFATImage card;
    auto dcim = card.makeDirectory(card.root(), "DCIM");
    auto camera = card.makeDirectory(dcim, "100TEST");
    const testing::QuickFormatFiles inRoot = rootFiles();
    for (const auto& [name, bytes] : inRoot) card.addFile(card.root(), name, bytes);
    const testing::QuickFormatFiles folderFiles = testing::cameraFiles();
    for (const auto& [name, bytes] : folderFiles) card.addFile(camera, name, bytes);
    card.save();
    ASSERT_EQ(testing::runTool("mkfs.exfat", {card.path().string()}), 0);
    // Far past what the card held before its format, inside its 32 MiB.
    SplitPhoto split;
    split.layOut(card.path(), card.offset(6'000), card.bytesPerCluster());
    compareWithPeer(card.path(), inRoot, folderFiles, split);
}

}  // namespace
}  // namespace tidewell::DeepScan
