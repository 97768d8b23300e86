#include "card_image.h"

#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QStandardPaths>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "process/command_runner.h"

namespace tidewell::screenshots {

namespace {

namespace fs = std::filesystem;

// PATH first, then the administrator folders where mkfs.vfat usually lives.
std::string toolPath(const QString& name) {
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) found = QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin"});
    if (found.isEmpty()) throw std::runtime_error(name.toStdString() + " was not found");
    return found.toStdString();
}

void run(const QString& tool, const std::vector<std::string>& arguments) {
    const CommandOutput output = CommandRunner::run(toolPath(tool), arguments, std::nullopt, std::nullopt, nullptr, 60);
    if (output.status != 0)
        throw std::runtime_error(tool.toStdString() + " failed (" + std::to_string(output.status) +
                                 "): " + output.combined());
}

// A sunset-like gradient with a sun, different for every `seed`.
void writePhoto(const fs::path& path, int seed, const char* format) {
    QImage photo(640, 480, QImage::Format_RGB32);
    QPainter painter(&photo);
    QLinearGradient sky(0, 0, 0, 480);
    sky.setColorAt(0, QColor::fromHsv((200 + seed * 40) % 360, 160, 230));
    sky.setColorAt(1, QColor::fromHsv((20 + seed * 25) % 360, 200, 250));
    painter.fillRect(photo.rect(), sky);
    painter.setBrush(QColor(255, 230, 120));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPoint(160 + seed * 90, 300), 70, 70);
    painter.fillRect(0, 380, 640, 100, QColor::fromHsv((210 + seed * 15) % 360, 180, 120));
    painter.end();
    if (!photo.save(QString::fromStdString(path.string()), format))
        throw std::runtime_error("could not write the sample photo " + path.filename().string());
}

}  // namespace

void writeDeletedCardImage(const fs::path& image, const fs::path& scratch) {
    fs::create_directories(image.parent_path());
    fs::create_directories(scratch);
    const std::string card = image.string();
    // 64 MiB with 512-byte clusters: the smallest card FAT32 accepts, written in a blink.
    run("mkfs.vfat", {"-F", "32", "-S", "512", "-s", "1", "-n", "CAMERA", "-C", card, "65536"});
    // mtools reuses free directory slots, so the folder comes before any file.
    run("mmd", {"-i", card, "::DCIM"});
    const std::vector<std::pair<std::string, const char*>> photos{{"IMG_0201.JPG", "JPG"},
                                                                  {"IMG_0202.JPG", "JPG"},
                                                                  {"IMG_0203.JPG", "JPG"},
                                                                  {"Harbor Sunset.png", "PNG"},
                                                                  {"Boat Trip.png", "PNG"}};
    for (std::size_t index = 0; index < photos.size(); ++index) {
        const fs::path local = scratch / photos[index].first;
        writePhoto(local, int(index), photos[index].second);
        run("mcopy", {"-i", card, local.string(), "::DCIM/" + photos[index].first});
    }
    std::ofstream(scratch / "Packing List.txt") << std::string(3000, 'p');
    run("mcopy", {"-i", card, (scratch / "Packing List.txt").string(), "::Packing List.txt"});
    for (const char* gone : {"::DCIM/IMG_0202.JPG", "::DCIM/IMG_0203.JPG", "::DCIM/Harbor Sunset.png",
                             "::DCIM/Boat Trip.png", "::Packing List.txt"})
        run("mdel", {"-i", card, gone});
}

}  // namespace tidewell::screenshots
