#include "cleanup/fake_tool.h"

#include "support/temporary_folder.h"

namespace tidewell::testing {

namespace fs = std::filesystem;

fs::path makeFakeTool(const fs::path& path, const std::string& body) {
    writeFile(path, "#!/bin/sh\necho \"$@\" >> '" + path.native() + ".calls'\n" + body + "\n");
    fs::permissions(path, fs::perms::owner_all);
    return path;
}

std::string fakeToolCalls(const fs::path& path) {
    const fs::path calls = path.native() + ".calls";
    return fs::exists(calls) ? readFile(calls) : std::string();
}

}  // namespace tidewell::testing
