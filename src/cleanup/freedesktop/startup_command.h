#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tidewell::Freedesktop {

// The words of a desktop entry's Exec line, quotes and backslash escapes resolved, field
// codes ("%U", "%f": arguments the launcher adds) dropped. Empty for text that does not parse.
std::vector<std::string> execWords(std::string_view exec);

// The words of an Exec or ExecStart command line, quotes and backslash escapes resolved,
// field codes ("%U", "%f") and ExecStart's prefixes ("-", "@", "+", "!", ":") dropped.
// Empty for text that does not parse.
std::vector<std::string> commandWords(std::string_view commandLine);

// What a startup item runs: the first word, or, for "flatpak run …" and "snap run …", the
// whole command, so that the app id or snap name it starts can still be read.
std::string programOf(const std::vector<std::string>& words);

// For "flatpak run [options] <id> …": the id; for "snap run <name>[.<app>]" and
// "/snap/bin/<name>[.<app>]": the snap name. Empty otherwise.
std::string flatpakIDOf(const std::vector<std::string>& words);
std::string snapNameOf(const std::vector<std::string>& words);

}  // namespace tidewell::Freedesktop
