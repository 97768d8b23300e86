#pragma once

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "recovery/deleted/carving/structure_walkers.h"
#include "recovery/deleted/memory_reader.h"
#include "support/pdf_fixture.h"
#include "support/temporary_folder.h"

namespace tidewell::testing {

using Bytes = std::vector<std::uint8_t>;

inline Bytes fileBytes(const std::filesystem::path& path) {
    if (!std::filesystem::exists(path)) return {};
    std::string text = readFile(path);
    return {text.begin(), text.end()};
}

// A still of ffmpeg's test pattern; the extension picks the format.
inline Bytes stillImage(const std::string& fileName, const std::string& size = "320x240") {
    TemporaryFolder folder;
    runTool("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=" + size, "-frames:v", "1", "-y",
                       (folder / fileName).string()});
    return fileBytes(folder / fileName);
}

// One second of test pattern and tone (MP4, MOV, AVI).
inline Bytes movie(const std::string& fileName) {
    TemporaryFolder folder;
    runTool("ffmpeg",
            {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=1", "-f", "lavfi", "-i",
             "sine=duration=1", "-c:v", "mpeg4", "-shortest", "-y", (folder / fileName).string()});
    return fileBytes(folder / fileName);
}

// One second of tone with a title tag (M4A, WAV, MP3).
inline Bytes sound(const std::string& fileName, const std::string& title) {
    TemporaryFolder folder;
    runTool("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "sine=duration=1", "-metadata", "title=" + title,
                       "-y", (folder / fileName).string()});
    return fileBytes(folder / fileName);
}

// A PDF with a document-information Title, cleaned up by qpdf (classic xref
// table, or a cross-reference stream when objectStreams is true).
inline Bytes titledPDF(const std::string& title, bool objectStreams) {
    TemporaryFolder folder;
    std::string body =
        "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
        "2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n"
        "3 0 obj\n<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>\nendobj\n"
        "4 0 obj\n<< /Title (" +
        title +
        ") /Producer (test) >>\nendobj\n"
        "trailer\n<< /Root 1 0 R /Info 4 0 R >>\n%%EOF\n";
    writeFile(folder / "draft.pdf", body);
    runTool("qpdf", {"--warning-exit-0", objectStreams ? "--object-streams=generate" : "--object-streams=disable",
                     (folder / "draft.pdf").string(), (folder / "out.pdf").string()});
    return fileBytes(folder / "out.pdf");
}

inline Bytes textPDF() {
    TemporaryFolder folder;
    writeTextPDF(folder / "text.pdf", {"first page", "second page"});
    return fileBytes(folder / "text.pdf");
}

// A minimal word-processing document zipped by zip (DOCX), or a plain archive.
inline Bytes zipped(bool officeDocument) {
    TemporaryFolder folder;
    auto root = folder / "parts";
    writeFile(root / "[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>");
    writeFile(root / (officeDocument ? "word/document.xml" : "notes/readme.txt"), std::string(3000, 'w') + "\n");
    writeFile(root / "_rels/.rels", "<?xml version=\"1.0\"?><Relationships/>");
    runTool("sh", {"-c", "cd \"$1\" && zip -q -X -r ../out.zip .", "sh", root.string()});
    return fileBytes(folder / "out.zip");
}

// A JPEG with an EXIF block (APP1) carrying DateTimeOriginal, as a camera writes it.
inline Bytes withExifDate(const Bytes& jpeg, const std::string& date) {
    Bytes tiff{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto u16 = [&](int v) {
        tiff.push_back(static_cast<std::uint8_t>(v));
        tiff.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto u32 = [&](std::uint32_t v) {
        u16(static_cast<int>(v & 0xFFFF));
        u16(static_cast<int>(v >> 16));
    };
    // IFD0 at 8: one entry, the EXIF IFD pointer; EXIF IFD at 26: DateTimeOriginal at 44.
    u16(1), u16(0x8769), u16(4), u32(1), u32(26), u32(0);
    u16(1), u16(0x9003), u16(2), u32(20), u32(44), u32(0);
    for (char c : date) tiff.push_back(static_cast<std::uint8_t>(c));
    tiff.push_back(0);
    Bytes segment{0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    auto length = segment.size() - 2;
    segment[2] = static_cast<std::uint8_t>(length >> 8);
    segment[3] = static_cast<std::uint8_t>(length);
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), segment.begin(), segment.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

inline Bytes randomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    Bytes out(count);
    for (auto& b : out) b = static_cast<std::uint8_t>(random());
    return out;
}

// Follows the structure of bytes held in memory (available: all of them).
inline FileCarving::StructureWalk walkBytes(const Bytes& bytes) {
    MemoryReader reader(bytes);
    FileCarving::ByteSource source(reader, 0, static_cast<std::int64_t>(bytes.size()), 4096);
    return FileCarving::walkFile(source);
}

}  // namespace tidewell::testing
