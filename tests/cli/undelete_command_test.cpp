#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "cli/tidewell_process.h"
#include "recovery/deleted/disk_image_fixture.h"
#include "recovery/deleted/quick_format_fixture.h"
#include "support/raw_helper_process.h"
#include "support/temporary_folder.h"

namespace tidewell {
namespace {

namespace fs = std::filesystem;
using testing::runTidewell;

std::string lowercase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// One deleted file as `fls -r -d -l` lists it.
struct Listed {
    std::string inode;
    std::string directory;  // "Root directory" at the top, else the folder's own name
    std::int64_t size = 0;
};

// Keyed by lower-case file name: the engine writes extensions in lower case.
std::map<std::string, Listed> flsDeletedFiles(const fs::path& image) {
    std::string out;
    EXPECT_EQ(testing::runTool("fls", {"-r", "-d", "-l", image.string()}, &out), 0);
    std::map<std::string, Listed> files;
    std::istringstream lines(out);
    // "r/r * 37:<tab>DOCS/_EPORT.PDF<tab>four dates<tab>5009<tab>0<tab>0": deleted regular files only.
    for (std::string text; std::getline(lines, text);) {
        if (!text.starts_with("r/r * ")) continue;
        std::vector<std::string> fields;
        std::istringstream columns(text);
        for (std::string field; std::getline(columns, field, '\t');) fields.push_back(field);
        if (fields.size() < 7) continue;
        const fs::path path = fields[1];
        const std::string folder = path.parent_path().filename().string();
        files[lowercase(path.filename().string())] = {fields[0].substr(6, fields[0].size() - 7),
                                                      folder.empty() ? "Root directory" : folder,
                                                      std::stoll(fields[6])};
    }
    return files;
}

std::string icat(const fs::path& image, const std::string& inode) {
    std::string bytes;
    EXPECT_EQ(testing::runTool("icat", {image.string(), inode}, &bytes), 0);
    return bytes;
}

// A FAT32 card whose deleted files all have 8.3 names, so the peer and the engine name them alike;
// the photo's clusters are taken again by a later file, so only its listing can match.
struct Card {
    testing::FAT32Image image;
    Card() {
        for (auto folder : {"/DCIM", "/DOCS", "/OLD", "/NEW"}) image.makeDirectory(folder);
        // The photo goes first: the next file reuses the lowest free clusters, which must be its.
        image.write("/OLD/PHOTO.JPG", testing::SampleFiles::image("jpg", "32x32"));
        image.remove("/OLD/PHOTO.JPG");
        image.forgetNextFreeHint();
        image.write("/NEW/DATA.BIN", testing::SampleFiles::text(20000));
        image.write("/DCIM/IMG_0001.JPG", testing::SampleFiles::image("jpg", "64x48"));
        image.write("/DCIM/PLAN.PNG", testing::SampleFiles::image("png", "40x40"));
        image.write("/DOCS/REPORT.PDF", testing::SampleFiles::pdf());
        image.write("/BACKUP.ZIP", testing::SampleFiles::zip());
        for (auto file : {"/DCIM/IMG_0001.JPG", "/DCIM/PLAN.PNG", "/DOCS/REPORT.PDF", "/BACKUP.ZIP"})
            image.remove(file);
    }
};

TEST(UndeleteCommand, ListsTheDeletedFilesFlsListsAndExportsWhatIcatReads) {
    Card card;
    const auto listed = flsDeletedFiles(card.image.path());
    ASSERT_EQ(listed.size(), 5u);

    const auto run = runTidewell({"undelete", "--json", card.image.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto candidates = run.json()["candidates"];
    ASSERT_EQ(candidates.size(), listed.size());
    for (const auto& candidate : candidates) {
        const std::string name = lowercase(candidate["name"]);
        ASSERT_TRUE(listed.contains(name)) << name;
        EXPECT_EQ(candidate["sizeBytes"], listed.at(name).size) << name;
        EXPECT_EQ(candidate["directory"], listed.at(name).directory) << name;
    }
    const auto reused = std::find_if(candidates.begin(), candidates.end(),
                                     [](const auto& candidate) { return candidate["name"] == "_HOTO.jpg"; });
    ASSERT_NE(reused, candidates.end());
    EXPECT_EQ((*reused)["recoverable"], false);
    EXPECT_EQ((*reused)["notRecoverableBecause"], "cluster reuse is uncertain");
    EXPECT_NE(run.err.find("tidewell: card.img: 100% Found 5 deleted-file candidates"), std::string::npos) << run.err;

    const testing::TemporaryFolder output;
    const auto exported = runTidewell({"undelete", "--output", output.path().string(), card.image.path().string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const fs::path folder = output / "Tidewell-Deleted-Recovery-card.img";
    EXPECT_NE(exported.out.find("Exported 4 of 4 selected files to " + folder.string()), std::string::npos)
        << exported.out;
    EXPECT_TRUE(fs::exists(folder / "Tidewell-Deleted-Recovery-Report.txt"));
    for (const std::string name : {"_MG_0001.jpg", "_LAN.png", "_EPORT.pdf", "_ACKUP.zip"})
        EXPECT_EQ(testing::readFile(folder / name), icat(card.image.path(), listed.at(lowercase(name)).inode)) << name;
}

TEST(UndeleteCommand, ADeepScanListsAndExportsTheFilesOfAQuickFormattedCardByFolder) {
    testing::FAT32Image card;
    const testing::QuickFormatFiles files = testing::cameraFiles();
    testing::fillAndQuickFormat(card, files);
    const auto plain = runTidewell({"undelete", "--json", card.path().string()});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(plain.json()["candidates"].empty());

    const auto run = runTidewell({"undelete", "--deep", "--json", card.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto candidates = run.json()["candidates"];
    ASSERT_EQ(candidates.size(), files.size());
    const std::string folderPath = candidates[0]["directory"];
    EXPECT_TRUE(folderPath.starts_with("Found folders/Folder (cluster ")) << folderPath;
    for (const auto& candidate : candidates) {
        EXPECT_EQ(candidate["fromFoundFolder"], true);
        EXPECT_TRUE(files.contains(candidate["name"].get<std::string>())) << candidate["name"];
        EXPECT_EQ(candidate["directory"], folderPath);
        EXPECT_TRUE(candidate["modified"].is_string()) << candidate;  // the found record's date
    }
    EXPECT_NE(run.err.find("Found 7 files in 2 folders"), std::string::npos) << run.err;

    const auto listing = runTidewell({"undelete", "--deep", card.path().string()});
    ASSERT_EQ(listing.status, 0) << listing.err;
    EXPECT_TRUE(listing.out.starts_with(folderPath + "/\n  ")) << listing.out;
    EXPECT_EQ(listing.out.find(folderPath + "/\n", 1), std::string::npos) << listing.out;  // once

    const testing::TemporaryFolder output;
    const auto exported = runTidewell({"undelete", "--deep", "--output", output.path().string(), card.path().string()});
    ASSERT_EQ(exported.status, 0) << exported.err;
    const fs::path folder = output / "Tidewell-Deleted-Recovery-card.img";
    for (const auto& [name, bytes] : files) EXPECT_EQ(testing::fileBytes(folder / folderPath / name), bytes) << name;
    const std::string report = testing::readFile(folder / "Tidewell-Deleted-Recovery-Report.txt");
    EXPECT_NE(report.find("Named from a found folder: " + folderPath + "/Travel insurance letter.pdf\n"),
              std::string::npos)
        << report;
}

TEST(UndeleteCommand, ChoosesWhatToExportAndSaysWhenOnlySomeWereWritten) {
    Card card;
    const testing::TemporaryFolder output;
    const auto some = runTidewell({"undelete", "--output", output.path().string(), "--only", "_HOTO.jpg", "--only",
                                   "_EPORT.pdf", "--json", card.image.path().string()});
    EXPECT_EQ(some.status, 2) << some.err;
    EXPECT_EQ(some.json()["exported"].size(), 1u);
    const std::string report = testing::readFile(fs::path(some.json()["reportURL"].get<std::string>()));
    EXPECT_NE(report.find("Skipped _HOTO.jpg: cluster reuse is uncertain."), std::string::npos) << report;

    const auto none = runTidewell(
        {"undelete", "--output", output.path().string(), "--confidence", "high", card.image.path().string()});
    EXPECT_EQ(none.status, 0) << none.err;  // the validated photo and picture are high
    const auto nothing = runTidewell(
        {"undelete", "--output", output.path().string(), "--only", "_HOTO.jpg", card.image.path().string()});
    EXPECT_EQ(nothing.status, 1);
}

TEST(UndeleteCommand, ListsThePartitionsOfADiskImageAndRecoversFromTheSecond) {
    testing::PartitionedDisk disk;
    const auto listing = runTidewell({"undelete", disk.path.string()});
    EXPECT_EQ(listing.status, 1);
    EXPECT_NE(listing.out.find("Partition 1 · FAT32 · 67.1 MB  at byte 1048576"), std::string::npos) << listing.out;
    EXPECT_NE(listing.out.find("Partition 2 · exFAT · 33.6 MB  at byte 68157440"), std::string::npos) << listing.out;
    EXPECT_NE(listing.err.find("tidewell: " + disk.path.string() +
                               ": Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is a disk with an "
                               "MBR partition table; choose one of its partitions. Give its number with --partition "
                               "N."),
              std::string::npos)
        << listing.err;

    const testing::TemporaryFolder output;
    const auto run =
        runTidewell({"undelete", "--partition", "2", "--json", "--output", output.path().string(), disk.path.string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = run.json();
    EXPECT_EQ(document["source"], "disk.img partition 2");
    ASSERT_EQ(document["exported"].size(), 2u);
    const fs::path photo = document["exported"][0].get<std::string>();
    EXPECT_EQ(photo.filename(), "IMG_0001.JPG");
    EXPECT_EQ(testing::fileBytes(photo), disk.exfat.jpeg);

    const auto fat32 = runTidewell({"undelete", "--partition", "1", "--json", disk.path.string()});
    ASSERT_EQ(fat32.status, 0) << fat32.err;
    EXPECT_EQ(fat32.json()["candidates"].size(), disk.fat32Deleted.size());
    EXPECT_EQ(runTidewell({"undelete", "--partition", "3", disk.path.string()}).status, 1);
}

TEST(UndeleteCommand, ScansThePartitionsOfAGPTDisk) {
    testing::PartitionedDisk disk("gpt");
    const auto listing = runTidewell({"undelete", "--json", disk.path.string()});
    EXPECT_EQ(listing.status, 1);
    EXPECT_EQ(listing.json()["partitionTable"], "GPT");
    EXPECT_EQ(listing.json()["partitions"][1]["fileSystem"], "exFAT");
    const auto fat32 = runTidewell({"undelete", "--partition", "1", "--json", disk.path.string()});
    ASSERT_EQ(fat32.status, 0) << fat32.err;
    EXPECT_EQ(fat32.json()["candidates"].size(), disk.fat32Deleted.size());
}

TEST(UndeleteCommand, SaysAnExt4ImageIsExt4) {
    const testing::TemporaryFolder folder;
    const fs::path image = folder / "disk.img";
    testing::writeFile(image, "");
    fs::resize_file(image, 16 << 20);
    ASSERT_EQ(testing::runTool("mkfs.ext4", {"-q", "-F", image.string()}), 0);
    const auto run = runTidewell({"undelete", image.string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "tidewell: " + image.string() +
                           ": Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is an ext4 volume.\n");
    const auto json = runTidewell({"undelete", "--json", image.string()});
    EXPECT_EQ(json.json()["errors"][0]["message"],
              "Deleted-file recovery reads FAT32 and exFAT volumes, but disk.img is an ext4 volume.");
}

TEST(UndeleteCommand, RefusesCommandLinesItCannotActOn) {
    Card card;
    EXPECT_EQ(runTidewell({"undelete"}).status, 64);
    EXPECT_EQ(runTidewell({"undelete", "--only", "X", card.image.path().string()}).status, 64);
    const testing::TemporaryFolder output;
    EXPECT_EQ(runTidewell({"undelete", "--output", output.path().string(), "--confidence", "extreme",
                           card.image.path().string()})
                  .status,
              64);
    EXPECT_EQ(runTidewell({"undelete", "--partition", "two", card.image.path().string()}).status, 64);
}

// A loop device over the card, whose bytes the real helper serves from a copy in its device folder.
class LoopDevice {
public:
    explicit LoopDevice(const fs::path& image) {
        if (testing::runTool("losetup", {"-f", "--show", image.string()}, &device_) != 0) device_.clear();
        while (!device_.empty() && std::isspace(static_cast<unsigned char>(device_.back()))) device_.pop_back();
    }
    ~LoopDevice() {
        if (!device_.empty()) testing::runTool("losetup", {"-d", device_});
    }
    LoopDevice(const LoopDevice&) = delete;
    LoopDevice& operator=(const LoopDevice&) = delete;
    const std::string& path() const { return device_; }

private:
    std::string device_;
};

TEST(UndeleteCommand, ReadsABlockDeviceThroughTheHelperAsItReadsTheImage) {
    Card card;
    const LoopDevice loop(card.image.path());
    if (loop.path().empty()) GTEST_SKIP() << "no loop device can be attached here";
    const testing::TemporaryFolder folder;
    fs::create_directories(folder / "dev");
    fs::copy_file(card.image.path(), folder / "dev" / fs::path(loop.path()).filename());
    const testing::ScopedEnvironment socket{"TIDEWELL_HELPER_SOCKET", (folder / "helper.sock").string()};
    const testing::ScopedEnvironment pkexec{"TIDEWELL_PKEXEC", (folder / "no-pkexec").string()};
    testing::RawHelperProcess helper(folder / "helper.sock", folder / "dev");

    const auto device = runTidewell({"undelete", "--json", loop.path()});
    ASSERT_EQ(device.status, 0) << device.err;
    const auto image = runTidewell({"undelete", "--json", card.image.path().string()});
    EXPECT_EQ(device.json()["candidates"], image.json()["candidates"]);
    EXPECT_EQ(device.json()["source"], fs::path(loop.path()).filename().string());
}

TEST(RescueCommand, CopiesTheReadableFilesOfAFolderWithItsReport) {
    const testing::TemporaryFolder source;
    testing::writeFile(source / "Photos/beach.jpg", std::string(3000, 'j'));
    testing::writeFile(source / "notes.txt", "notes");
    const testing::TemporaryFolder output;
    const auto run = runTidewell({"rescue", "--json", "--output", output.path().string(), source.path().string()});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = run.json();
    ASSERT_EQ(document["exported"].size(), 2u);
    const fs::path folder = document["exportFolder"].get<std::string>();
    EXPECT_EQ(testing::readFile(folder / "Photos/beach.jpg"), std::string(3000, 'j'));
    EXPECT_TRUE(fs::exists(document["reportURL"].get<std::string>()));
    EXPECT_EQ(runTidewell({"rescue", "--output", output.path().string(), (source / "notes.txt").string()}).status, 1);
}

}  // namespace
}  // namespace tidewell
