// The deep scan against the peer carver on the same quick-formatted card: every
// file either side writes is matched byte for byte against the card's originals.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "recovery/deleted/deep_scan.h"
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

TEST(DeepScanAgainstPeer, RecoversEveryOriginalByteForByteAndAtLeastWhatThePeerDoes) {
    if (!testing::haveTool("photorec")) GTEST_SKIP() << "photorec is not installed (the testdisk package)";
    testing::FAT32Image card;
    // The old root folder is overwritten by the format: only carving finds these two.
    const testing::QuickFormatFiles rootFiles{{"Sunset in the root.jpg", testing::SampleFiles::image("jpg", "200x150")},
                                              {"Chart in the root.png", testing::SampleFiles::image("png", "80x60")}};
    for (const auto& [name, bytes] : rootFiles) card.write(name, bytes);
    const testing::QuickFormatFiles folderFiles = testing::cameraFiles();
    testing::fillAndQuickFormat(card, folderFiles);
    Originals originals;
    for (const auto* files : {&rootFiles, &folderFiles})
        for (const auto& [name, bytes] : *files) originals.emplace(std::string(bytes.begin(), bytes.end()), name);
    ASSERT_EQ(originals.size(), rootFiles.size() + folderFiles.size()) << "every original has bytes of its own";

    testing::TemporaryFolder peerWork;
    ASSERT_EQ(runPeer(card.path(), peerWork.path()), 0) << testing::readFile(peerWork / "photorec.output");
    const std::set<std::string> peerFound = originalsFoundIn(peerWork.path(), originals);
    ASSERT_FALSE(peerFound.empty()) << "the peer carved nothing; comparing with it would prove nothing";

    const FileReader reader(card.path());
    const Result result = scan(reader, "card");
    testing::TemporaryFolder ours;
    const std::vector<fs::path> written = exportCandidates(result.candidates(), reader, "card", ours.path());
    const std::set<std::string> oursFound = originalsFoundIn(ours.path(), originals);

    RecordProperty("peer_identical", static_cast<int>(peerFound.size()));
    RecordProperty("ours_identical", static_cast<int>(oursFound.size()));
    EXPECT_GE(oursFound.size(), peerFound.size());
    for (const auto& [bytes, name] : originals) EXPECT_TRUE(oursFound.contains(name)) << name << " not recovered";
    std::set<std::string> writtenNames;
    for (const fs::path& file : written) writtenNames.insert(file.filename().string());
    for (const auto& [name, bytes] : folderFiles)
        EXPECT_TRUE(writtenNames.contains(name)) << name << " lost its long name";

    // A file graded high must be an original exactly, whichever folder it came from.
    for (const Candidate& candidate : result.candidates()) {
        if (candidate.confidence != DeletedRecovery::Confidence::high) continue;
        testing::TemporaryFolder alone;
        const std::vector<fs::path> one = exportCandidates({candidate}, reader, "card", alone.path());
        ASSERT_EQ(one.size(), 1u) << candidate.name;
        EXPECT_TRUE(originals.contains(testing::readFile(one.front()))) << candidate.name << " is graded high";
    }
}

}  // namespace
}  // namespace tidewell::DeepScan
