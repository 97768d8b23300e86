// Times the app inventory pass against `du -s` over the same 200 bundles and
// prints the ratio (target: at most 1.2). The bundles are built once in the
// temporary folder and reused by later runs.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "best_time.h"
#include "cleanup/app_scanner.h"
#include "platform/folder_locations.h"
#include "platform/folders.h"
#include "process/command_runner.h"

namespace fs = std::filesystem;
using namespace tidewell;

namespace {

constexpr int bundleCount = 200;
constexpr int frameworksPerBundle = 4;
constexpr int resourcesPerFramework = 30;
constexpr int resourcesPerBundle = 40;
constexpr int rounds = 5;

void writeBytes(const fs::path& path, std::size_t size, std::mt19937& random) {
    fs::create_directories(path.parent_path());
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(random() & 0xFF);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// About 160 files per bundle, from a few hundred bytes to a few hundred KB,
// laid out like a real app: executable, frameworks, localised resources.
void buildBundle(const fs::path& applications, int index, std::mt19937& random) {
    const std::string name = "Bench App " + std::to_string(index);
    const fs::path bundle = applications / (name + ".app");
    std::uniform_int_distribution<std::size_t> small(200, 16'000), large(50'000, 400'000);
    std::ofstream info((fs::create_directories(bundle / "Contents"), bundle / "Contents/Info.plist"));
    info << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
         << "<key>CFBundleIdentifier</key><string>com.bench.app" << index << "</string>"
         << "<key>CFBundleName</key><string>" << name << "</string>"
         << "<key>CFBundleExecutable</key><string>BenchApp</string>"
         << "<key>CFBundleShortVersionString</key><string>1." << index << "</string></dict></plist>";
    writeBytes(bundle / "Contents/MacOS/BenchApp", large(random), random);
    for (int f = 0; f < frameworksPerBundle; ++f) {
        const fs::path framework = bundle / "Contents/Frameworks" / ("Kit" + std::to_string(f) + ".framework");
        writeBytes(framework / "Versions/A/Kit", large(random), random);
        for (int r = 0; r < resourcesPerFramework; ++r)
            writeBytes(framework / "Versions/A/Resources" / ("r" + std::to_string(r) + ".dat"), small(random), random);
    }
    for (int r = 0; r < resourcesPerBundle; ++r) {
        const std::string locale = r % 2 == 0 ? "en.lproj" : "de.lproj";
        writeBytes(bundle / "Contents/Resources" / locale / ("item" + std::to_string(r) + ".strings"), small(random),
                   random);
    }
}

fs::path prepareBundles() {
    const fs::path root = platform::temporaryDirectory() / "tidewell-bench-app-inventory";
    const fs::path applications = root / "Applications";
    if (fs::exists(root / "complete")) return root;
    std::printf("building %d bundles in %s (once)\n", bundleCount, root.c_str());
    fs::remove_all(root);
    std::mt19937 random(20240601);
    for (int i = 0; i < bundleCount; ++i) buildBundle(applications, i, random);
    fs::create_directories(root / "home");
    std::ofstream(root / "complete") << "ok\n";
    return root;
}

}  // namespace

int main() {
    const fs::path root = prepareBundles();
    ::setenv(platform::FolderLocations::systemRootVariable, root.c_str(), 1);
    ::setenv("HOME", (root / "home").c_str(), 1);
    std::vector<std::string> bundles;
    for (const auto& entry : fs::directory_iterator(root / "Applications")) bundles.push_back(entry.path().string());
    std::vector<std::string> duArguments{"-s"};
    duArguments.insert(duArguments.end(), bundles.begin(), bundles.end());
    const std::string du = fs::exists("/usr/bin/du") ? "/usr/bin/du" : "/bin/du";

    std::size_t listed = 0;
    const auto scanOnce = [&] { listed = AppScanner::scan().size(); };
    const auto duOnce = [&] {
        if (CommandRunner::run(du, duArguments).status != 0) std::fprintf(stderr, "du failed\n");
    };
    scanOnce();  // warm the page cache for both
    duOnce();
    const double scanSeconds = bench::bestSeconds(scanOnce, rounds);
    const double duSeconds = bench::bestSeconds(duOnce, rounds);
    std::printf("apps listed: %zu\n", listed);
    std::printf("scan: %.3f s   du -s: %.3f s   ratio scan/du: %.2f (target <= 1.2)\n", scanSeconds, duSeconds,
                scanSeconds / duSeconds);
    return listed == bundles.size() ? 0 : 1;
}
