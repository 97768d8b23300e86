#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

namespace tidewell::testing {

inline std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::string text = readFile(path);
    return {text.begin(), text.end()};
}

// Overwrites bytes of a file in place (damaging a fixture on purpose).
inline void patchFile(const std::filesystem::path& path, std::int64_t offset, const std::vector<std::uint8_t>& bytes) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(offset);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> littleEndian(std::uint64_t value, int width) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < width; ++i) bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return bytes;
}

// A 64 MiB FAT32 image with 512-byte clusters (129,022 clusters), written
// and deleted in by mtools exactly as a FAT driver would. mtools reuses
// deleted directory slots of the folder it writes to and allocates after the
// FSInfo hint, so tests create every folder before any file.
class FAT32Image {
public:
    static constexpr std::int64_t firstDataSector = 32 + 2 * 1009;
    static constexpr std::int64_t rootDirectoryOffset = firstDataSector * 512;

    FAT32Image() : path_(folder_ / "card.img") {
        run("mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", "-C", path_.string(), "65536"});
    }

    const std::filesystem::path& path() const { return path_; }
    const std::filesystem::path& workFolder() const { return folder_.path(); }

    void makeDirectory(const std::string& imagePath) { run("mmd", {"-i", path_.string(), "::" + imagePath}); }
    void copyIn(const std::filesystem::path& local, const std::string& imagePath) {
        run("mcopy", {"-i", path_.string(), local.string(), "::" + imagePath});
    }
    // Writes the bytes as a local file first, then copies them in.
    void write(const std::string& imagePath, const std::vector<std::uint8_t>& bytes) {
        auto local = folder_ / "staging.bin";
        std::filesystem::remove(local);
        writeFile(local, std::string(bytes.begin(), bytes.end()));
        copyIn(local, imagePath);
    }
    void remove(const std::string& imagePath) { run("mdel", {"-i", path_.string(), "::" + imagePath}); }
    // Forgets the FSInfo next-free hint, so the next file takes the lowest
    // free clusters: those of files deleted before.
    void forgetNextFreeHint() { patchFile(path_, 512 + 492, littleEndian(0xFFFFFFFF, 4)); }

    std::string sha256() const {
        std::string output;
        runTool("sha256sum", {path_.string()}, &output);
        return output.substr(0, 64);
    }

private:
    static void run(const std::string& tool, const std::initializer_list<std::string>& arguments) {
        if (runTool(tool, arguments) != 0) throw std::runtime_error(tool + " failed while making a FAT32 fixture");
    }

    TemporaryFolder folder_;
    std::filesystem::path path_;
};

// Contents the fixtures store, made by real tools in a scratch folder.
struct SampleFiles {
    static std::vector<std::uint8_t> image(const std::string& extension, const std::string& size) {
        TemporaryFolder scratch;
        auto path = scratch / ("sample." + extension);
        runTool("ffmpeg", {"-loglevel", "error", "-f", "lavfi", "-i", "testsrc=size=" + size, "-frames:v", "1", "-y",
                           path.string()});
        return fileBytes(path);
    }
    static std::vector<std::uint8_t> pdf() {
        TemporaryFolder scratch;
        runTool("qpdf", {"--empty", (scratch / "sample.pdf").string()});
        return fileBytes(scratch / "sample.pdf");
    }
    static std::vector<std::uint8_t> zip() {
        TemporaryFolder scratch;
        writeFile(scratch / "notes.txt", std::string(3000, 'n'));
        runTool("zip", {"-q", "-j", (scratch / "sample.zip").string(), (scratch / "notes.txt").string()});
        return fileBytes(scratch / "sample.zip");
    }
    static std::vector<std::uint8_t> text(std::size_t size) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>('a' + i % 26);
        return bytes;
    }
};

}  // namespace tidewell::testing

namespace tidewell::testing {

// Byte offset of the first record in the image whose 11-byte short name is
// `shortName` ("100CANON   "); -1 when none.
inline std::int64_t findShortNameRecord(const std::filesystem::path& image, const std::string& shortName) {
    std::string bytes = readFile(image);
    for (std::size_t at = FAT32Image::rootDirectoryOffset; at + 32 <= bytes.size(); at += 32)
        if (bytes.compare(at, 11, shortName) == 0) return static_cast<std::int64_t>(at);
    return -1;
}

// A camera card: folders first, then files, some of them deleted.
// Returns the deleted files' expected recovered names with their bytes.
struct DeletedFile {
    std::string recoveredName;
    std::vector<std::uint8_t> bytes;
};

inline std::vector<DeletedFile> fillCameraCard(FAT32Image& card) {
    for (auto folder : {"/DCIM", "/DCIM/100CANON", "/DOCS", "/DOCS/OLD"}) card.makeDirectory(folder);
    std::vector<DeletedFile> deleted{
        {"_MG_0001.jpg", SampleFiles::image("jpg", "64x48")},
        {"_OLIDA~1.png", SampleFiles::image("png", "40x40")},
        {"_NIM.gif", SampleFiles::image("gif", "24x24")},
        {"_EPORT.pdf", SampleFiles::pdf()},
        {"_CAN", SampleFiles::pdf()},
        {"_ACKUP.zip", SampleFiles::zip()},
    };
    card.write("/DCIM/100CANON/IMG_0001.JPG", deleted[0].bytes);
    card.write("/DCIM/100CANON/IMG_0002.JPG", deleted[0].bytes);
    card.write("/DCIM/Holiday at the sea.png", deleted[1].bytes);
    card.write("/DCIM/ANIM.GIF", deleted[2].bytes);
    card.write("/DOCS/REPORT.PDF", deleted[3].bytes);
    card.write("/DOCS/SCAN", deleted[4].bytes);
    card.write("/DOCS/OLD/BACKUP.ZIP", deleted[5].bytes);
    card.write("/DOCS/NOTES.XYZ", SampleFiles::text(700));
    card.write("/README.TXT", SampleFiles::text(100));
    for (auto file : {"/DCIM/100CANON/IMG_0001.JPG", "/DCIM/Holiday at the sea.png", "/DCIM/ANIM.GIF",
                      "/DOCS/REPORT.PDF", "/DOCS/SCAN", "/DOCS/OLD/BACKUP.ZIP", "/DOCS/NOTES.XYZ"})
        card.remove(file);
    return deleted;
}

// Every deleted file's clusters taken by a later file in another folder.
inline void fillCardWithReusedClusters(FAT32Image& card) {
    card.makeDirectory("/OLD");
    card.makeDirectory("/NEW");
    card.write("/OLD/PHOTO.JPG", SampleFiles::image("jpg", "32x32"));
    card.remove("/OLD/PHOTO.JPG");
    card.forgetNextFreeHint();
    card.write("/NEW/DATA.BIN", SampleFiles::text(20000));
}

}  // namespace tidewell::testing
