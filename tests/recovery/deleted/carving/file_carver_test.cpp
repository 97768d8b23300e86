#include "recovery/deleted/carving/file_carver.h"

#include <gtest/gtest.h>

#include <set>

#include "recovery/deleted/carving/carved_naming.h"
#include "recovery/deleted/carving/carving_fixtures.h"
#include "recovery/deleted/recovery_error.h"

namespace tidewell::FileCarving {
namespace {

using testing::Bytes;

constexpr std::int64_t clusterSize = 4096;
// Cluster 2 starts after a pretend reserved area, as on a FAT volume.
const ClusterGeometry geometry{3 * clusterSize, clusterSize, 2};

// A raw volume laid out cluster by cluster: files at cluster starts, junk in
// the gaps and in the slack after each file.
class VolumeLayout {
public:
    VolumeLayout() : bytes_(testing::randomBytes(static_cast<std::size_t>(geometry.heapOffset), 1)) {}

    void junk(int clusters) { append(testing::randomBytes(static_cast<std::size_t>(clusters * clusterSize), seed_++)); }
    // Places the bytes at the next cluster; answers that cluster.
    std::uint32_t place(const Bytes& file) {
        auto cluster = nextCluster();
        append(file);
        auto slack = (clusterSize - static_cast<std::int64_t>(bytes_.size()) % clusterSize) % clusterSize;
        append(testing::randomBytes(static_cast<std::size_t>(slack), seed_++));
        return cluster;
    }
    std::uint32_t nextCluster() const {
        return static_cast<std::uint32_t>((static_cast<std::int64_t>(bytes_.size()) - geometry.heapOffset) /
                                          clusterSize) +
               geometry.firstCluster;
    }
    std::vector<ClusterRun> allClusters() const {
        return {{geometry.firstCluster, nextCluster() - geometry.firstCluster}};
    }
    const Bytes& bytes() const { return bytes_; }

private:
    void append(const Bytes& more) { bytes_.insert(bytes_.end(), more.begin(), more.end()); }
    Bytes bytes_;
    unsigned seed_ = 100;
};

struct Expected {
    std::string kind;
    Bytes content;
    std::string name;
    std::uint32_t cluster = 0;
};

const CarvedFile* fileAt(const CarvingResult& result, std::uint32_t cluster) {
    for (const auto& file : result.files)
        if (file.startCluster == cluster) return &file;
    return nullptr;
}

CarvingOptions imageChecks() {
    return {validateImage};
}

TEST(FileCarver, RecoversEachFileByteForByteWithItsKindAndName) {
    std::vector<Expected> expected{
        {"JPEG", testing::withExifDate(testing::stillImage("x.jpg"), "2024:06:01 14:03:22"),
         "JPEG 2024-06-01 14-03-22"},
        {"PNG", testing::stillImage("x.png"), "PNG"},
        {"GIF", testing::stillImage("x.gif"), "GIF"},
        {"TIFF", testing::stillImage("x.tiff"), "TIFF"},
        {"MP4", testing::movie("x.mp4"), "MP4"},
        {"MOV", testing::movie("x.mov"), "MOV"},
        {"M4A", testing::sound("x.m4a", "Tone"), "M4A"},
        {"WAV", testing::sound("x.wav", "Tone"), "WAV"},
        {"MP3", testing::sound("x.mp3", "Evening: Song/Two"), "MP3 Evening Song Two"},
        {"PDF", testing::titledPDF("Annual Report", false), "PDF Annual Report"},
        {"PDF", testing::textPDF(), "PDF"},
        {"DOCX", testing::zipped(true), "DOCX"},
        {"ZIP", testing::zipped(false), "ZIP"},
    };
    VolumeLayout layout;
    layout.junk(2);
    for (auto& file : expected) {
        ASSERT_FALSE(file.content.empty()) << file.kind;
        file.cluster = layout.place(file.content);
        layout.junk(1);
    }
    MemoryReader reader(layout.bytes());
    auto result = carve(reader, geometry, layout.allClusters(), imageChecks());

    ASSERT_EQ(result.files.size(), expected.size());
    for (const auto& file : expected) {
        const CarvedFile* carved = fileAt(result, file.cluster);
        ASSERT_NE(carved, nullptr) << file.kind;
        EXPECT_EQ(carved->kind, file.kind);
        EXPECT_EQ(carved->startOffset, geometry.offsetOf(file.cluster));
        ASSERT_EQ(carved->length, static_cast<std::int64_t>(file.content.size())) << file.kind;
        EXPECT_EQ(reader.read(carved->startOffset, static_cast<std::size_t>(carved->length)), file.content)
            << file.kind;
        bool image = file.kind == "JPEG" || file.kind == "PNG" || file.kind == "GIF" || file.kind == "TIFF";
        EXPECT_EQ(carved->status, image ? CarvedStatus::good : CarvedStatus::unvalidated) << file.kind;
        EXPECT_EQ(carvedFileName(*carved),
                  file.name + " (cluster " + std::to_string(file.cluster) + ")." + carved->extension);
        EXPECT_EQ(carvedKindFolder(*carved), file.kind);
    }
    EXPECT_EQ(result.countsByKind.at("PDF"), 2);
    EXPECT_EQ(result.clustersScanned, layout.allClusters().front().count);
}

TEST(FileCarver, AFragmentedJpegIsPartialAndTheFileBetweenItsHalvesIsFound) {
    auto jpeg = testing::stillImage("x.jpg", "640x480");
    auto png = testing::stillImage("x.png");
    ASSERT_GT(jpeg.size(), static_cast<std::size_t>(4 * clusterSize));
    VolumeLayout layout;
    auto half = static_cast<std::ptrdiff_t>(2 * clusterSize);
    auto jpegCluster = layout.place(Bytes(jpeg.begin(), jpeg.begin() + half));
    auto pngCluster = layout.place(png);
    layout.place(Bytes(jpeg.begin() + half, jpeg.end()));
    layout.junk(1);
    MemoryReader reader(layout.bytes());

    for (const auto& options : {imageChecks(), CarvingOptions{}}) {
        auto result = carve(reader, geometry, layout.allClusters(), options);
        const CarvedFile* broken = fileAt(result, jpegCluster);
        ASSERT_NE(broken, nullptr);
        EXPECT_EQ(broken->kind, "JPEG");
        if (options.validator) {
            EXPECT_EQ(broken->status, CarvedStatus::partial);
            EXPECT_FALSE(broken->problem.empty());
        } else {
            EXPECT_NE(broken->status, CarvedStatus::good);
        }
        const CarvedFile* between = fileAt(result, pngCluster);
        ASSERT_NE(between, nullptr);
        EXPECT_EQ(reader.read(between->startOffset, static_cast<std::size_t>(between->length)), png);
    }
}

TEST(FileCarver, ATruncatedImageIsPartialAndNoiseOrZerosGiveNothing) {
    auto png = testing::stillImage("x.png", "1280x720");
    ASSERT_GT(png.size(), static_cast<std::size_t>(2 * clusterSize));
    VolumeLayout layout;
    layout.junk(8);
    Bytes zeros(static_cast<std::size_t>(8 * clusterSize), 0);
    layout.place(zeros);
    auto cluster = layout.place(png);
    MemoryReader reader(layout.bytes());
    // The run ends one cluster into the image: the rest is allocated to something else.
    auto result =
        carve(reader, geometry, {{geometry.firstCluster, cluster - geometry.firstCluster + 1}}, imageChecks());
    ASSERT_EQ(result.files.size(), 1u);
    EXPECT_EQ(result.files[0].kind, "PNG");
    EXPECT_EQ(result.files[0].status, CarvedStatus::partial);
    EXPECT_EQ(result.files[0].problem, partialStructureProblem);
    EXPECT_EQ(result.files[0].length, clusterSize);
}

TEST(FileCarver, TheValidatorDecidesAndStructureAloneIsNeverGood) {
    VolumeLayout layout;
    auto pdfCluster = layout.place(testing::textPDF());
    auto gifCluster = layout.place(testing::stillImage("x.gif"));
    MemoryReader reader(layout.bytes());
    CarvingOptions refusingPDFs{[](const std::string& kind, const RawReader&, std::int64_t, std::int64_t) {
        return kind == "PDF" ? Validation{Verdict::invalid, "The document does not open."} : Validation{};
    }};
    auto result = carve(reader, geometry, layout.allClusters(), refusingPDFs);
    EXPECT_EQ(fileAt(result, pdfCluster)->status, CarvedStatus::partial);
    EXPECT_EQ(fileAt(result, pdfCluster)->problem, "The document does not open.");
    EXPECT_EQ(fileAt(result, gifCluster)->status, CarvedStatus::unvalidated);
    result = carve(reader, geometry, layout.allClusters());
    EXPECT_EQ(fileAt(result, pdfCluster)->status, CarvedStatus::unvalidated);
    EXPECT_EQ(fileAt(result, gifCluster)->status, CarvedStatus::unvalidated);
}

TEST(FileCarver, ReportsProgressWithCountsByKindAndStopsWhenCancelled) {
    VolumeLayout layout;
    layout.place(testing::stillImage("x.gif"));
    layout.place(testing::stillImage("x.jpg"));
    layout.place(testing::stillImage("x.jpg"));
    layout.junk(3);
    MemoryReader reader(layout.bytes());
    std::vector<std::pair<double, std::string>> reports;
    carve(reader, geometry, layout.allClusters(), {}, nullptr,
          [&](double fraction, const std::string& line) { reports.emplace_back(fraction, line); });
    ASSERT_FALSE(reports.empty());
    EXPECT_DOUBLE_EQ(reports.back().first, 1.0);
    EXPECT_EQ(reports.back().second, "Looking for files by their contents · GIF 1 · JPEG 2");
    EXPECT_EQ(reports.front().second, "Looking for files by their contents");
    EXPECT_EQ(reports.at(1).second, "Looking for files by their contents · GIF 1") << "counted as found";

    RecoveryCancellationToken token;
    token.cancel();
    try {
        carve(reader, geometry, layout.allClusters(), {}, &token);
        FAIL() << "carving went on after cancellation";
    } catch (const DeletedRecovery::RecoveryError& error) {
        EXPECT_EQ(error.errorCase(), DeletedRecovery::RecoveryError::Case::cancelled);
    }
}

// A volume whose reads must start where a file starts: anything else would be a
// cluster read again only for its first bytes.
class FileStartReader : public RawReader {
public:
    FileStartReader(const RawReader& volume, std::set<std::int64_t> starts)
        : volume_(volume), starts_(std::move(starts)) {}
    std::vector<std::uint8_t> read(std::int64_t offset, std::size_t length) const override {
        if (!starts_.contains(offset)) ADD_FAILURE() << "read again at " << offset;
        return volume_.read(offset, length);
    }

private:
    const RawReader& volume_;
    std::set<std::int64_t> starts_;
};

TEST(FileCarver, WhatAnEarlierPassSawIsNotReadAgainAndTheRestIsRead) {
    VolumeLayout layout;
    layout.junk(2);
    std::set<std::int64_t> fileStarts;
    for (const char* name : {"x.jpg", "x.png", "x.gif", "x.jpg"}) {
        fileStarts.insert(geometry.offsetOf(layout.place(testing::stillImage(name))));
        layout.junk(3);
    }
    fileStarts.insert(geometry.offsetOf(layout.place(testing::zipped(false))));
    layout.junk(2);
    MemoryReader reader(layout.bytes());
    const CarvingResult plain = carve(reader, geometry, layout.allClusters(), imageChecks());
    ASSERT_EQ(plain.files.size(), 5u);

    // Seen cluster by cluster, and sector by sector as while the geometry is still inferred.
    const ClusterRun all = layout.allClusters().front();
    for (std::int64_t blockBytes : {clusterSize, std::int64_t{512}}) {
        SignatureStarts seen;
        for (std::int64_t offset = geometry.offsetOf(all.first); offset < geometry.offsetOf(all.first + all.count);
             offset += blockBytes)
            seen.see(offset, reader.read(offset, static_cast<std::size_t>(blockBytes)));
        CarvingOptions options = imageChecks();
        options.seen = &seen;
        EXPECT_EQ(carve(FileStartReader(reader, fileStarts), geometry, layout.allClusters(), options), plain)
            << blockBytes;
    }

    // Only the first half seen: the second half is still read and searched.
    SignatureStarts half;
    for (std::uint32_t cluster = all.first; cluster < all.first + all.count / 2; ++cluster)
        half.see(geometry.offsetOf(cluster), reader.read(geometry.offsetOf(cluster), clusterSize));
    CarvingOptions options = imageChecks();
    options.seen = &half;
    const std::vector<ClusterRun> halves{{all.first, all.count / 2},
                                         {all.first + all.count / 2, all.count - all.count / 2}};
    EXPECT_EQ(carve(reader, geometry, halves, options).files, carve(reader, geometry, halves, imageChecks()).files);
}

}  // namespace
}  // namespace tidewell::FileCarving
