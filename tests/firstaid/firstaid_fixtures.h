#pragma once

#include <filesystem>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "support/temporary_folder.h"

namespace tidewell::testing {

// A resource folder whose "Tools/" links the named system tools, made the
// application's resource folder while the object lives.
class ShippedTools {
public:
    explicit ShippedTools(std::initializer_list<std::string> tools = {"qpdf", "ffmpeg", "ffprobe"});

private:
    TemporaryFolder folder_;
    ScopedEnvironment resourceDirectory_;
};

// Writes the files (relative path, contents) into a staging folder and zips
// them with the given extra zip options into archive. Returns archive.
std::filesystem::path makeZip(const std::filesystem::path& archive,
                              const std::vector<std::pair<std::string, std::string>>& files,
                              const std::vector<std::string>& zipOptions = {});

// Runs ffmpeg (quiet, overwriting) with these arguments; true on success.
bool runFFmpeg(const std::vector<std::string>& arguments);

// A one-second 64x64 test video with a sine track.
std::filesystem::path makeVideo(const std::filesystem::path& output, const std::vector<std::string>& extraOptions = {},
                                double seconds = 1);

// Copies the first count bytes of source to destination.
void truncateCopy(const std::filesystem::path& source, const std::filesystem::path& destination, std::size_t count);

}  // namespace tidewell::testing
