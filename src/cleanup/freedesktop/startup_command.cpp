#include "cleanup/freedesktop/startup_command.h"

#include <glib.h>

#include <filesystem>
#include <iterator>
#include <numeric>

namespace tidewell::Freedesktop {

namespace {

bool isFieldCode(std::string_view word) {
    return word.size() == 2 && word[0] == '%';
}

std::string fileName(const std::string& word) {
    return std::filesystem::path(word).filename().string();
}

// The word after "<tool> run" and its options, or empty.
std::string runTarget(const std::vector<std::string>& words, std::string_view tool) {
    if (words.size() < 3 || fileName(words[0]) != tool || words[1] != "run") return {};
    for (std::size_t index = 2; index < words.size(); ++index) {
        if (!words[index].starts_with('-')) return words[index];
    }
    return {};
}

std::string beforeDot(const std::string& text) {
    return text.substr(0, text.find('.'));
}

}  // namespace

std::vector<std::string> execWords(std::string_view exec) {
    const std::string text(exec);
    gint count = 0;
    gchar** argv = nullptr;
    std::vector<std::string> words;
    if (text.empty() || !g_shell_parse_argv(text.c_str(), &count, &argv, nullptr)) return words;
    for (gint index = 0; index < count; ++index) {
        if (!isFieldCode(argv[index])) words.emplace_back(argv[index]);
    }
    g_strfreev(argv);
    return words;
}

std::vector<std::string> commandWords(std::string_view commandLine) {
    // ExecStart may begin with prefixes that change how the program runs, not which.
    const std::size_t first = commandLine.find_first_not_of("-@+!: \t");
    return first == std::string_view::npos ? std::vector<std::string>() : execWords(commandLine.substr(first));
}

std::string programOf(const std::vector<std::string>& words) {
    if (words.empty()) return {};
    if (words.size() >= 2 && words[1] == "run" && (fileName(words[0]) == "flatpak" || fileName(words[0]) == "snap")) {
        return std::accumulate(std::next(words.begin()), words.end(), words[0],
                               [](std::string text, const std::string& word) { return text + " " + word; });
    }
    return words[0];
}

std::string flatpakIDOf(const std::vector<std::string>& words) {
    return runTarget(words, "flatpak");
}

std::string snapNameOf(const std::vector<std::string>& words) {
    if (const std::string target = runTarget(words, "snap"); !target.empty()) return beforeDot(target);
    constexpr std::string_view snapBin = "/snap/bin/";
    if (!words.empty() && words[0].starts_with(snapBin) && words[0].size() > snapBin.size())
        return beforeDot(words[0].substr(snapBin.size()));
    return {};
}

}  // namespace tidewell::Freedesktop
