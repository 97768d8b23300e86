#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A macOS-layout tree in temporary folders: HOME and a re-rooted system root
// ("/Applications", "/System/Applications", "/Library/...") that the folder
// locations follow while the fixture lives.
class AppLayoutFixture {
public:
    AppLayoutFixture();

    const std::filesystem::path& home() const { return home_; }
    const std::filesystem::path& root() const { return root_; }
    // An absolute macOS path ("/Applications") inside the re-rooted system.
    std::filesystem::path system(const std::string& absolutePath) const;

    enum class PlistFormat { xml, binary };
    // Name.app in `folder` with Contents/Info.plist holding the String values
    // (binary lists made by plistutil), an executable when "CFBundleExecutable"
    // is given, and a resource file of `payloadBytes`.
    std::filesystem::path makeBundle(const std::filesystem::path& folder, const std::string& name,
                                     const std::map<std::string, std::string>& info,
                                     PlistFormat format = PlistFormat::xml, std::size_t payloadBytes = 10000) const;

private:
    TemporaryHome temporaryHome_;
    TemporaryFolder systemFolder_;
    std::filesystem::path home_;
    std::filesystem::path root_;
    ScopedEnvironment rootVariable_;
    ScopedEnvironment layoutVariable_;  // this fixture builds the macOS layout
};

// An XML property list of a dictionary whose values are given as raw XML
// value elements ("<string>x</string>", "<true/>", "<dict/>").
std::string xmlPropertyList(const std::map<std::string, std::string>& rawValues);
std::string xmlString(const std::string& text);
// Converts an XML list file to binary in place with plistutil.
void convertToBinaryPropertyList(const std::filesystem::path& file);

// Allocated bytes of the regular files below a path, as find(1) reports them
// (512-byte blocks), symbolic links not followed.
std::int64_t allocatedBytesByFind(const std::filesystem::path& path);

}  // namespace tidewell::testing
