#include "acceptance/deleted_recovery_qa_support.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iostream>
#include <iterator>
#include <system_error>

#include "acceptance/argument_value.h"
#include "recovery/deleted/file_system_names.h"
#include "recovery/deleted/known_signatures.h"

namespace tidewell::DeletedRecoveryQAAcceptance {

bool signatureMatches(const std::optional<std::string>& signature, std::span<const std::uint8_t> data) {
    if (signature == "ISO media")
        return data.size() >= 8 && data[4] == 'f' && data[5] == 't' && data[6] == 'y' && data[7] == 'p';
    // Every other name in the signature table (each has an extension) uses its own byte test.
    if (FATDeletedRecoveryEngine::signatureExtension(signature).has_value())
        return FATDeletedRecoveryEngine::passesSignatureTest(*signature, data);
    return !data.empty();
}

}  // namespace tidewell::DeletedRecoveryQAAcceptance

namespace tidewell::acceptance {

std::int64_t countOption(const std::string& name, const std::vector<std::string>& arguments) {
    return std::max<std::int64_t>(1, integerArgument(name, arguments).value_or(1));
}

ProgressCallback printingProgress(const std::string& prefix) {
    return [prefix](double fraction, const std::string& text) {
        std::cout << prefix << static_cast<long long>(fraction * 100) << "% " << text << "\n";
    };
}

std::int32_t fail(const std::string& message, std::int32_t status) {
    std::cout << std::flush;
    std::cerr << "FAIL: " << message << "\n" << std::flush;
    return status;
}

std::int32_t usage(const std::string& line) {
    std::cerr << line << "\n" << std::flush;
    return 64;
}

std::vector<std::uint8_t> readWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::system_error(errno, std::generic_category(), "Could not read " + path.string());
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool isFAT32FileSystemName(const std::string& fileSystem) {
    return FATDeletedRecoveryEngine::namesFATFileSystem(fileSystem) &&
           !ExFATDeletedRecoveryEngine::isExFATFileSystem(fileSystem);
}

}  // namespace tidewell::acceptance
