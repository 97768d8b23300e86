#include "recovery/deleted/carving/structure_walkers.h"

#include <gtest/gtest.h>

#include "recovery/deleted/carving/carving_fixtures.h"

namespace tidewell::FileCarving {
namespace {

using testing::Bytes;
using testing::walkBytes;

Bytes followedByJunk(Bytes bytes) {
    auto junk = testing::randomBytes(20000, 7);
    bytes.insert(bytes.end(), junk.begin(), junk.end());
    return bytes;
}

// A real file, followed by junk, walks to exactly its own length with its kind.
void expectWholeFile(const Bytes& file, const std::string& kind, const std::string& extension) {
    ASSERT_FALSE(file.empty()) << kind << ": the tool made no file";
    auto walk = walkBytes(followedByJunk(file));
    EXPECT_EQ(walk.status, WalkStatus::complete) << kind;
    EXPECT_EQ(walk.length, static_cast<std::int64_t>(file.size())) << kind;
    EXPECT_EQ(walk.kind, kind);
    EXPECT_EQ(walk.extension, extension);
    // Cut short, the same file is truncated, never complete.
    Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * 2 / 3));
    EXPECT_EQ(walkBytes(cut).status, WalkStatus::truncated) << kind;
}

TEST(StructureWalkers, StillImagesWalkToTheirOwnEnd) {
    expectWholeFile(testing::stillImage("x.jpg"), "JPEG", "jpg");
    expectWholeFile(testing::stillImage("x.png"), "PNG", "png");
    expectWholeFile(testing::stillImage("x.gif"), "GIF", "gif");
    expectWholeFile(testing::stillImage("x.tiff"), "TIFF", "tiff");
}

TEST(StructureWalkers, MoviesAndSoundsWalkToTheirOwnEnd) {
    expectWholeFile(testing::movie("x.mp4"), "MP4", "mp4");
    expectWholeFile(testing::movie("x.mov"), "MOV", "mov");
    expectWholeFile(testing::movie("x.avi"), "AVI", "avi");
    expectWholeFile(testing::sound("x.m4a", "Tone"), "M4A", "m4a");
    expectWholeFile(testing::sound("x.wav", "Tone"), "WAV", "wav");
    expectWholeFile(testing::sound("x.mp3", "Tone"), "MP3", "mp3");
}

TEST(StructureWalkers, DocumentsAndArchivesWalkToTheirOwnEnd) {
    expectWholeFile(testing::textPDF(), "PDF", "pdf");
    expectWholeFile(testing::titledPDF("Report", true), "PDF", "pdf");
    expectWholeFile(testing::zipped(true), "DOCX", "docx");
    expectWholeFile(testing::zipped(false), "ZIP", "zip");
}

TEST(StructureWalkers, AZipCommentBelongsToTheArchive) {
    auto archive = testing::zipped(false);
    ASSERT_GE(archive.size(), 22u);
    std::string comment = "made for the carving test";
    archive[archive.size() - 2] = static_cast<std::uint8_t>(comment.size());
    archive.insert(archive.end(), comment.begin(), comment.end());
    expectWholeFile(archive, "ZIP", "zip");
}

TEST(StructureWalkers, AJpegGivesItsExifDateOriginal) {
    auto walk = walkBytes(testing::withExifDate(testing::stillImage("x.jpg"), "2024:06:01 14:03:22"));
    EXPECT_EQ(walk.status, WalkStatus::complete);
    EXPECT_EQ(walk.date, "2024-06-01 14-03-22");
    EXPECT_EQ(walkBytes(testing::stillImage("x.jpg")).date, std::nullopt);
}

TEST(StructureWalkers, APdfGivesTheTitleOfItsInformationDictionary) {
    auto walk = walkBytes(testing::titledPDF("Annual Report \\(draft\\)", false));
    EXPECT_EQ(walk.status, WalkStatus::complete);
    EXPECT_EQ(walk.title, "Annual Report (draft)");
}

TEST(StructureWalkers, AnMp3GivesItsId3Title) {
    EXPECT_EQ(walkBytes(testing::sound("x.mp3", "Evening Song")).title, "Evening Song");
}

TEST(StructureWalkers, AnIncrementalUpdateExtendsThePdfToItsLastEndMarker) {
    auto original = testing::textPDF();
    std::string text(original.begin(), original.end());
    auto startxref = text.rfind("startxref");
    ASSERT_NE(startxref, std::string::npos);
    auto previous = std::stoll(text.substr(startxref + 10));
    // An appended update: one new object and a cross-reference section for it.
    std::string update = "9 0 obj\n(added)\nendobj\n";
    auto objectOffset = text.size();
    auto xrefOffset = objectOffset + update.size();
    char entry[21];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", objectOffset);
    update += "xref\n9 1\n" + std::string(entry) + "trailer\n<< /Size 10 /Root 1 0 R /Prev " +
              std::to_string(previous) + " >>\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
    Bytes updated(original);
    updated.insert(updated.end(), update.begin(), update.end());
    auto walk = walkBytes(followedByJunk(updated));
    EXPECT_EQ(walk.status, WalkStatus::complete);
    EXPECT_EQ(walk.length, static_cast<std::int64_t>(updated.size()));
}

TEST(StructureWalkers, NoiseAndZerosAreNoFormat) {
    EXPECT_EQ(walkBytes(testing::randomBytes(65536, 3)).status, WalkStatus::notThisFormat);
    EXPECT_EQ(walkBytes(Bytes(65536, 0)).status, WalkStatus::notThisFormat);
    EXPECT_EQ(walkBytes(Bytes{}).status, WalkStatus::notThisFormat);
    // A signature followed by noise is a broken file at most, never a complete one.
    for (std::string signature : {"\xFF\xD8\xFF", "GIF89a", "%PDF-1.7", "PK\x03\x04", "RIFF", "ID3\x03"}) {
        auto bytes = testing::randomBytes(65536, 5);
        std::copy(signature.begin(), signature.end(), bytes.begin());
        EXPECT_NE(walkBytes(bytes).status, WalkStatus::complete) << signature;
    }
}

TEST(StructureWalkers, AJpegWithABrokenScanIsNotComplete) {
    auto jpeg = testing::stillImage("x.jpg");
    ASSERT_GT(jpeg.size(), 2000u);
    // A marker that may not appear inside entropy-coded data.
    jpeg[jpeg.size() / 2] = 0xFF;
    jpeg[jpeg.size() / 2 + 1] = 0xD8;
    EXPECT_EQ(walkBytes(jpeg).status, WalkStatus::truncated);
}

TEST(StructureWalkers, APngWithABadChunkCrcIsNotComplete) {
    auto png = testing::stillImage("x.png");
    ASSERT_GT(png.size(), 100u);
    png[40] ^= 0x10;
    EXPECT_EQ(walkBytes(png).status, WalkStatus::truncated);
}

// Big-endian TIFF fields, for a raw photo laid out by hand as a camera writes one.
struct BigEndianTiff {
    Bytes bytes{'M', 'M', 0, 42, 0, 0, 0, 8};
    void u16(int v) {
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
        bytes.push_back(static_cast<std::uint8_t>(v));
    }
    void u32(std::uint32_t v) {
        u16(static_cast<int>(v >> 16));
        u16(static_cast<int>(v & 0xFFFF));
    }
    void entry(int tag, int type, std::uint32_t count, std::uint32_t value) {
        u16(tag);
        u16(type);
        u32(count);
        u32(type == 3 && count == 1 ? value << 16 : value);
    }
};

TEST(StructureWalkers, ARawPhotoEndsWhereItsFurthestStripEnds) {
    // IFD0 at 8 (6 entries, 78 bytes), the EXIF IFD at 86 (18 bytes), Make at
    // 104, the date at 122; the image strip at 4000, 3000 bytes long.
    BigEndianTiff tiff;
    tiff.u16(6);
    tiff.entry(0x010F, 2, 18, 104);        // Make
    tiff.entry(0x0111, 4, 1, 4000);        // StripOffsets
    tiff.entry(0x0117, 4, 1, 3000);        // StripByteCounts
    tiff.entry(0x0132, 2, 20, 122);        // DateTime, overruled by DateTimeOriginal
    tiff.entry(0x8769, 4, 1, 86);          // EXIF IFD
    tiff.entry(0xC612, 1, 4, 0x01040000);  // DNGVersion
    tiff.u32(0);
    tiff.u16(1);
    tiff.entry(0x9003, 2, 20, 142);
    tiff.u32(0);
    for (std::string text : {std::string("NIKON CORPORATION") + '\0', std::string("2020:01:01 00:00:00") + '\0',
                             std::string("2023:12:24 18:30:05") + '\0'})
        tiff.bytes.insert(tiff.bytes.end(), text.begin(), text.end());
    ASSERT_EQ(tiff.bytes.size(), 162u);
    auto strip = testing::randomBytes(3000, 11);
    tiff.bytes.resize(4000, 0);
    tiff.bytes.insert(tiff.bytes.end(), strip.begin(), strip.end());

    auto walk = walkBytes(followedByJunk(tiff.bytes));
    EXPECT_EQ(walk.status, WalkStatus::complete);
    EXPECT_EQ(walk.length, 7000);
    EXPECT_EQ(walk.kind, "DNG");
    EXPECT_EQ(walk.date, "2023-12-24 18-30-05");
    // Without the DNG tag, the maker names the raw format.
    tiff.bytes.at(8 + 2 + 5 * 12 + 1) = 0x00;
    walk = walkBytes(tiff.bytes);
    EXPECT_EQ(walk.kind, "NEF");
    EXPECT_EQ(walk.extension, "nef");
    Bytes cut(tiff.bytes.begin(), tiff.bytes.begin() + 5000);
    EXPECT_EQ(walkBytes(cut).status, WalkStatus::truncated);
}

TEST(StructureWalkers, AMediaDataBoxWithA64BitSizeIsFollowed) {
    auto mp4 = testing::movie("x.mp4");
    std::string text(mp4.begin(), mp4.end());
    // ffmpeg reserves an 8-byte free box before mdat for exactly this: a
    // 64-bit mdat header in the same place, the data unmoved.
    auto free = text.find("free");
    ASSERT_NE(free, std::string::npos);
    ASSERT_EQ(text.compare(free + 4 + 4, 4, "mdat"), 0);
    auto at = free - 4;
    std::uint64_t size = 8;
    for (int i = 0; i < 4; ++i) size = size + (static_cast<std::uint64_t>(mp4.at(at + 8 + i)) << (8 * (3 - i)));
    Bytes header{0, 0, 0, 1, 'm', 'd', 'a', 't'};
    for (int i = 7; i >= 0; --i) header.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
    std::copy(header.begin(), header.end(), mp4.begin() + static_cast<std::ptrdiff_t>(at));
    expectWholeFile(mp4, "MP4", "mp4");
}

}  // namespace
}  // namespace tidewell::FileCarving
