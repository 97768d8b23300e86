#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tidewell::testing {

// A fresh folder under the system temporary folder, removed with its contents
// when the object goes out of scope.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& relative) const { return path_ / relative; }

private:
    std::filesystem::path path_;
};

// Sets an environment variable for the life of the object and restores the
// previous value (or its absence) afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const std::optional<std::string>& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> previous_;
};

// A temporary folder that is also HOME (and the XDG folders below it) while it lives.
class TemporaryHome {
public:
    TemporaryHome();
    const std::filesystem::path& path() const { return folder_.path(); }

private:
    TemporaryFolder folder_;
    ScopedEnvironment home_;
    ScopedEnvironment dataHome_;
    ScopedEnvironment configHome_;
    ScopedEnvironment cacheHome_;
    ScopedEnvironment stateHome_;
};

// Writes bytes to a file, creating its parent folders.
void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);

// Runs a program with arguments (no shell) and returns its exit status; output is discarded
// unless captured is given. Fixture-making tools are run through this.
int runTool(const std::string& program, const std::initializer_list<std::string>& arguments,
            std::string* captured = nullptr);

// True when an executable with this name is on PATH.
bool haveTool(const std::string& program);

}  // namespace tidewell::testing
