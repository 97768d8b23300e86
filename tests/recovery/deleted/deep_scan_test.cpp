#include "recovery/deleted/deep_scan.h"

#include <gtest/gtest.h>

#include "recovery/deleted/exfat_image_writer.h"
#include "recovery/deleted/file_reader.h"
#include "recovery/deleted/quick_format_fixture.h"
#include "recovery/deleted/recovery_error.h"
#include "support/temporary_folder.h"

namespace tidewell::DeepScan {
namespace {

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& file) {
    const std::string bytes = testing::readFile(file);
    return {bytes.begin(), bytes.end()};
}

// Every camera file comes back byte for byte under its name in its found folder, the
// photo of the overwritten root under its kind's folder, and the report says which is which.
void expectEveryFileBack(const std::filesystem::path& image, const testing::QuickFormatFiles& cameraFiles,
                         const std::vector<std::uint8_t>& rootPhoto) {
    const FileReader reader(image);
    const Result result = scan(reader, "card");
    ASSERT_EQ(result.foundFolderCandidates.size(), cameraFiles.size());
    ASSERT_EQ(result.carvedCandidates.size(), 1u);
    EXPECT_EQ(result.carvedCandidates[0].signature, "JPEG");
    const std::string folder = result.foundFolderCandidates[0].directoryLocation;
    EXPECT_TRUE(folder.starts_with("Found folders/Folder (cluster ")) << folder;
    EXPECT_TRUE(folder.ends_with("/100TEST")) << folder;

    testing::TemporaryFolder destination;
    const std::vector<std::filesystem::path> written =
        exportCandidates(result.candidates(), reader, "card", destination.path());
    ASSERT_EQ(written.size(), cameraFiles.size() + 1);
    const std::filesystem::path exported = destination / "Tidewell-Deleted-Recovery-card";
    const std::string report = testing::readFile(exported / "Tidewell-Deleted-Recovery-Report.txt");
    for (const auto& [name, bytes] : cameraFiles) {
        EXPECT_EQ(bytesOf(exported / folder / name), bytes) << name;
        EXPECT_NE(report.find("Named from a found folder: " + folder + "/" + name + "\n"), std::string::npos)
            << name << "\n"
            << report;
    }
    const std::string carvedName = result.carvedCandidates[0].name;
    EXPECT_EQ(bytesOf(exported / carvedFilesRoot / "JPEG" / carvedName), rootPhoto) << carvedName;
    EXPECT_NE(report.find(std::string("Carved from its contents: ") + carvedFilesRoot + "/JPEG/" + carvedName + "\n"),
              std::string::npos)
        << report;
}

TEST(DeepScan, BringsBackEveryFileOfAQuickFormattedFAT32Card) {
    testing::FAT32Image card;
    const std::vector<std::uint8_t> rootPhoto = testing::SampleFiles::image("jpg", "200x150");
    card.write("Sunset in the root.jpg", rootPhoto);
    const testing::QuickFormatFiles files = testing::cameraFiles();
    testing::fillAndQuickFormat(card, files);
    expectEveryFileBack(card.path(), files, rootPhoto);
}

TEST(DeepScan, BringsBackEveryFileOfAQuickFormattedExFATCard) {
    testing::ExFATImage card;
    auto dcim = card.makeDirectory(card.root(), "DCIM");
    auto camera = card.makeDirectory(dcim, "100TEST");
    const std::vector<std::uint8_t> rootPhoto = testing::SampleFiles::image("jpg", "200x150");
    card.addFile(card.root(), "Sunset in the root.jpg", rootPhoto);
    const testing::QuickFormatFiles files = testing::cameraFiles();
    for (const auto& [name, bytes] : files) card.addFile(camera, name, bytes);
    card.save();
    ASSERT_EQ(testing::runTool("mkfs.exfat", {card.path().string()}), 0);
    expectEveryFileBack(card.path(), files, rootPhoto);
}

TEST(DeepScan, FindsTheFilesOfAQuickFormattedCardInItsFoundFolders) {
    testing::FAT32Image card;
    const testing::QuickFormatFiles files = testing::cameraFiles();
    testing::fillAndQuickFormat(card, files);
    std::vector<std::pair<double, std::string>> lines;
    const Result result = scan(FileReader(card.path()), "card", nullptr,
                               [&](double fraction, const std::string& line) { lines.emplace_back(fraction, line); });
    ASSERT_EQ(result.foundFolderCandidates.size(), files.size());
    EXPECT_TRUE(result.carvedCandidates.empty()) << "every file is named by its found folder";
    EXPECT_EQ(result.folders.size(), 2u);
    EXPECT_EQ(result.report.candidatesFound, 7);
    EXPECT_EQ(result.candidates(), result.foundFolderCandidates);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), std::make_pair(1.0, std::string("Found 7 files in 2 folders")));
    for (std::size_t i = 1; i < lines.size(); ++i) EXPECT_LE(lines[i - 1].first, lines[i].first) << lines[i].second;
}

// The old root folder is what a quick format overwrites: its files have no record left
// anywhere, so they are found by their contents, named by kind and position, and exported
// byte for byte into their kind's folder.
TEST(DeepScan, CarvesTheFilesNoFoundRecordNames) {
    testing::FAT32Image card;
    const std::vector<std::uint8_t> photo = testing::SampleFiles::image("jpg", "160x120");
    const std::vector<std::uint8_t> letter = testing::SampleFiles::pdf();
    card.write("photo in the root.jpg", photo);
    card.write("letter in the root.pdf", letter);
    testing::fillAndQuickFormat(card, {{"Screenshot of the map.png", testing::SampleFiles::image("png", "64x48")}});
    const FileReader reader(card.path());
    const Result result = scan(reader, "card");
    ASSERT_EQ(result.foundFolderCandidates.size(), 1u);
    ASSERT_EQ(result.carvedCandidates.size(), 2u);
    const auto carvedKind = [&](const std::string& kind) {
        for (const Candidate& candidate : result.carvedCandidates)
            if (candidate.signature == kind) return candidate;
        throw std::runtime_error("no carved " + kind);
    };
    const Candidate jpeg = carvedKind("JPEG");
    EXPECT_EQ(jpeg.confidence, DeletedRecovery::Confidence::high) << "the photo decodes";
    EXPECT_TRUE(jpeg.name.starts_with("JPEG (cluster ")) << jpeg.name;
    EXPECT_EQ(jpeg.sizeBytes, static_cast<std::int64_t>(photo.size()));
    EXPECT_TRUE(jpeg.evidenceText().starts_with("Carved from its contents")) << jpeg.evidenceText();
    EXPECT_EQ(carvedKind("PDF").confidence, DeletedRecovery::Confidence::medium) << "only its structure was checked";

    // A caller's document check sees the carved bytes as a file of their kind.
    std::vector<std::string> checked;
    const FileCarving::ContentValidator qpdfCheck =
        FileCarving::fileCheckValidator([&](const std::filesystem::path& file) -> WholenessCheck {
            checked.push_back(file.extension().string());
            if (testing::runTool("qpdf", {"--check", file.string()}) == 0) return {.checked = true};
            return {.checked = true, .problem = "qpdf refused it"};
        });
    const Result checkedScan = scan(reader, "card", nullptr, {}, qpdfCheck);
    for (const Candidate& candidate : checkedScan.carvedCandidates)
        EXPECT_EQ(candidate.confidence, DeletedRecovery::Confidence::high) << candidate.name;
    EXPECT_EQ(checked, (std::vector<std::string>{".pdf"})) << "images are decoded here, not handed over";

    testing::TemporaryFolder destination;
    const std::vector<std::filesystem::path> written =
        exportCandidates(result.candidates(), reader, "card", destination.path());
    ASSERT_EQ(written.size(), 3u);
    const auto readBack = [](const std::filesystem::path& file) {
        const std::string bytes = testing::readFile(file);
        return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
    };
    bool sawPhoto = false;
    for (const std::filesystem::path& file : written) {
        if (file.extension() != ".jpg") continue;
        sawPhoto = true;
        EXPECT_EQ(file.parent_path().filename(), "JPEG");
        EXPECT_EQ(file.parent_path().parent_path().filename(), carvedFilesRoot);
        EXPECT_EQ(readBack(file), photo);
    }
    EXPECT_TRUE(sawPhoto);
}

// A file written after the format is the new file system's own: its clusters are not
// searched, while those of a file deleted after the format and those of the old root are.
TEST(DeepScan, CarvesOnlyTheClustersTheCurrentFileSystemLeavesFree) {
    testing::FAT32Image card;
    const std::vector<std::uint8_t> formattedAway = testing::SampleFiles::image("jpg", "160x120");
    card.write("photo in the old root.jpg", formattedAway);
    testing::fillAndQuickFormat(card, {{"Screenshot of the map.png", testing::SampleFiles::image("png", "64x48")}});
    // Far past the old files, so the new ones overwrite nothing of theirs.
    testing::patchFile(card.path(), 512 + 492, testing::littleEndian(100'000, 4));
    const std::vector<std::uint8_t> live = testing::SampleFiles::image("jpg", "120x90");
    const std::vector<std::uint8_t> deleted = testing::SampleFiles::image("jpg", "72x54");
    card.write("Live photo.jpg", live);
    card.write("Deleted photo.jpg", deleted);
    card.remove("Deleted photo.jpg");

    const Result result = scan(FileReader(card.path()), "card");
    ASSERT_EQ(result.foundFolderCandidates.size(), 1u);
    std::vector<std::int64_t> carvedSizes;
    for (const Candidate& candidate : result.carvedCandidates) {
        EXPECT_EQ(candidate.confidence, DeletedRecovery::Confidence::high) << candidate.name;
        carvedSizes.push_back(candidate.sizeBytes);
    }
    std::sort(carvedSizes.begin(), carvedSizes.end());
    std::vector<std::int64_t> expected{static_cast<std::int64_t>(formattedAway.size()),
                                       static_cast<std::int64_t>(deleted.size())};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(carvedSizes, expected) << "the live photo (" << live.size() << " bytes) is not offered again";

    // Without a readable boot sector nothing is live any more: the photo is carved too.
    testing::patchFile(card.path(), 0, std::vector<std::uint8_t>(512, 0));
    const Result unmountable = scan(FileReader(card.path()), "card");
    EXPECT_EQ(unmountable.carvedCandidates.size(), 3u);
}

// A raw photo and a clip of the overwritten root are carved whole by their own structures.
TEST(DeepScan, CarvesARawPhotoAndAClipWhole) {
    testing::FAT32Image card;
    const testing::QuickFormatFiles rootFiles{{"raw.dng", testing::dngLikeTiff()}, {"clip.mp4", testing::cameraClip()}};
    for (const auto& [name, bytes] : rootFiles) card.write(name, bytes);
    testing::fillAndQuickFormat(card, {});
    const FileReader reader(card.path());
    const Result result = scan(reader, "card");
    ASSERT_EQ(result.carvedCandidates.size(), rootFiles.size());
    for (const Candidate& candidate : result.carvedCandidates) {
        EXPECT_NE(candidate.confidence, DeletedRecovery::Confidence::low) << candidate.name;
        const std::string extension = std::filesystem::path(candidate.name).extension().string();
        ASSERT_TRUE(extension == ".dng" || extension == ".mp4") << candidate.name;
        testing::TemporaryFolder destination;
        const std::vector<std::filesystem::path> written =
            exportCandidates({candidate}, reader, "card", destination.path());
        ASSERT_EQ(written.size(), 1u);
        EXPECT_EQ(bytesOf(written[0]), rootFiles.at(extension == ".dng" ? "raw.dng" : "clip.mp4")) << candidate.name;
    }
}

TEST(DeepScan, TheUnclaimedRunsAreTheDataClustersNoFoundRecordCovers) {
    OrphanFolderRecovery::Result found;
    EXPECT_TRUE(unclaimedRuns(found).empty());  // no geometry, nothing to carve
    found.geometry = OrphanFolderRecovery::Geometry{.bytesPerCluster = 512, .dataOffset = 0, .clusterCount = 20};
    EXPECT_EQ(unclaimedRuns(found), (std::vector<ClusterRun>{{2, 20}}));
    found.folders = {{.cluster = 2}, {.cluster = 5}};
    Candidate inside{.startCluster = 6, .clustersRequired = 3};
    Candidate overlapping{.startCluster = 7, .clustersRequired = 1};
    Candidate pastTheEnd{.startCluster = 20, .clustersRequired = 10};
    found.candidates = {inside, overlapping, pastTheEnd};
    EXPECT_EQ(unclaimedRuns(found), (std::vector<ClusterRun>{{3, 2}, {9, 11}}));
    // What the current file system uses is left out as well.
    found.isInUse = [](std::uint32_t cluster) { return cluster == 3 || cluster == 10 || cluster == 11; };
    EXPECT_EQ(unclaimedRuns(found), (std::vector<ClusterRun>{{4, 1}, {9, 1}, {12, 8}}));
    found.isInUse = [](std::uint32_t) { return true; };
    EXPECT_TRUE(unclaimedRuns(found).empty());
}

TEST(DeepScan, ExportFoldersStayInsideTheExportFolder) {
    Candidate found{.directoryLocation = "Found folders/../DCIM//./a:b", .fromFoundFolder = true};
    EXPECT_EQ(exportSubfolder(found), std::filesystem::path("Found folders/-/DCIM/-/a-b"));
    Candidate carved{.kind = RecoveryCandidateKind::photo};
    EXPECT_EQ(exportSubfolder(carved),
              std::filesystem::path(carvedFilesRoot) / RecoveryCandidateKinds::rawValue(RecoveryCandidateKind::photo));
}

TEST(DeepScan, CancellingEndsTheScan) {
    testing::FAT32Image card;
    RecoveryCancellationToken token;
    token.cancel();
    try {
        scan(FileReader(card.path()), "card", &token);
        ADD_FAILURE() << "the scan went on";
    } catch (const DeletedRecovery::RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), DeletedRecovery::RecoveryError::Case::cancelled);
    }
}

}  // namespace
}  // namespace tidewell::DeepScan
