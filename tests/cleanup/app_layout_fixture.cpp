#include "cleanup/app_layout_fixture.h"

#include <gtest/gtest.h>

#include <sstream>

#include "platform/folder_locations.h"
#include "platform/layout_kind.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

AppLayoutFixture::AppLayoutFixture()
    : home_(fs::canonical(temporaryHome_.path())),
      root_(fs::canonical(systemFolder_.path())),
      rootVariable_(platform::FolderLocations::systemRootVariable, root_.string()),
      layoutVariable_(platform::layoutVariable, "macos") {}

fs::path AppLayoutFixture::system(const std::string& absolutePath) const {
    return root_ / fs::path(absolutePath).relative_path();
}

std::string xmlString(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        if (c == '&')
            escaped += "&amp;";
        else if (c == '<')
            escaped += "&lt;";
        else if (c == '>')
            escaped += "&gt;";
        else
            escaped += c;
    }
    return "<string>" + escaped + "</string>";
}

std::string xmlPropertyList(const std::map<std::string, std::string>& rawValues) {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
        "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<dict>\n";
    for (const auto& [key, value] : rawValues) xml += "\t<key>" + key + "</key>\n\t" + value + "\n";
    return xml + "</dict>\n</plist>\n";
}

void convertToBinaryPropertyList(const fs::path& file) {
    const fs::path converted = file.string() + ".bin";
    ASSERT_EQ(runTool("plistutil", {"-i", file.string(), "-o", converted.string(), "-f", "bin"}), 0);
    fs::rename(converted, file);
    ASSERT_EQ(readFile(file).substr(0, 8), "bplist00");
}

fs::path AppLayoutFixture::makeBundle(const fs::path& folder, const std::string& name,
                                      const std::map<std::string, std::string>& info, PlistFormat format,
                                      std::size_t payloadBytes) const {
    const fs::path bundle = folder / (name + ".app");
    std::map<std::string, std::string> raw;
    for (const auto& [key, value] : info) raw[key] = xmlString(value);
    const fs::path plist = bundle / "Contents/Info.plist";
    writeFile(plist, xmlPropertyList(raw));
    if (format == PlistFormat::binary) convertToBinaryPropertyList(plist);
    if (auto executable = info.find("CFBundleExecutable"); executable != info.end())
        writeFile(bundle / "Contents/MacOS" / executable->second, "#!/bin/sh\n");
    writeFile(bundle / "Contents/Resources/payload.bin", std::string(payloadBytes, 'x'));
    return bundle;
}

std::int64_t allocatedBytesByFind(const fs::path& path) {
    std::string output;
    EXPECT_EQ(runTool("find", {path.string(), "-type", "f", "-printf", "%b\\n"}, &output), 0);
    std::istringstream lines(output);
    std::int64_t blocks = 0, total = 0;
    while (lines >> blocks) total += blocks * 512;
    return total;
}

}  // namespace tidewell::testing
