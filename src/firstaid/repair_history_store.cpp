#include "firstaid/repair_history_store.h"

#include <algorithm>
#include <exception>
#include <fstream>
#include <system_error>

#include "firstaid/repair_history_coding.h"
#include "platform/folders.h"
#include "util/atomic_file.h"

namespace tidewell::RepairHistoryStore {

namespace fs = std::filesystem;

namespace {

// The file earlier versions wrote; it is dropped unread.
constexpr const char* legacyFileName = "repair-history.json";

namespace Limits {
// 80 records take a few tens of kilobytes; anything far larger is not a history.
constexpr std::uintmax_t maximumFileBytes = 16 * 1024 * 1024;
}  // namespace Limits

std::optional<std::string> readHistoryFile(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > Limits::maximumFileBytes) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    std::ifstream file(path, std::ios::binary);
    if (!file.read(bytes.data(), static_cast<std::streamsize>(size))) return std::nullopt;
    return bytes;
}

}  // namespace

std::optional<fs::path> storageURL() {
    const fs::path folder = platform::applicationDataDirectory();
    if (folder.empty()) return std::nullopt;
    std::error_code error;
    fs::create_directories(folder, error);
    if (error || !fs::is_directory(folder, error)) return std::nullopt;
    return folder / fileName;
}

std::vector<RepairHistoryRecord> load() {
    const std::optional<fs::path> storage = storageURL();
    if (!storage) return {};
    std::error_code ignored;
    fs::remove(storage->parent_path() / legacyFileName, ignored);

    const std::optional<std::string> bytes = readHistoryFile(*storage);
    if (!bytes) return {};
    std::optional<std::vector<RepairHistoryRecord>> records = decodeRepairHistory(*bytes);
    if (!records) return {};
    std::stable_sort(records->begin(), records->end(), [](const RepairHistoryRecord& a, const RepairHistoryRecord& b) {
        return a.completedAt > b.completedAt;
    });
    return std::move(*records);
}

void save(const std::vector<RepairHistoryRecord>& records) {
    const std::optional<fs::path> storage = storageURL();
    if (!storage) return;
    const std::size_t count = std::min(records.size(), maximumRecords);
    const std::vector<RepairHistoryRecord> kept(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(count));
    try {
        writeFileAtomically(*storage, encodeRepairHistory(kept));
    } catch (const std::exception&) {
        // History problems never reach the user; the next save tries again.
    }
}

}  // namespace tidewell::RepairHistoryStore
