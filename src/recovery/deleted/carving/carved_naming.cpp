#include "recovery/deleted/carving/carved_naming.h"

namespace tidewell::FileCarving {

std::string sanitizedTitle(const std::string& title) {
    std::string out;
    for (char c : title) {
        auto byte = static_cast<unsigned char>(c);
        bool separator = c == '/' || c == '\\' || c == ':' || byte < 0x20 || byte == 0x7F;
        char kept = separator ? ' ' : c;
        if (kept == ' ' && (out.empty() || out.back() == ' ')) continue;
        if (kept == '.' && out.empty()) continue;
        out.push_back(kept);
    }
    if (out.size() > Limits::maxTitleBytesInName) {
        std::size_t cut = Limits::maxTitleBytesInName;
        while (cut > 0 && (static_cast<unsigned char>(out[cut]) & 0xC0) == 0x80) --cut;  // not inside a character
        out.resize(cut);
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string carvedFileName(const CarvedFile& file) {
    std::string label;
    if (file.date)
        label = *file.date;
    else if (file.title)
        label = sanitizedTitle(*file.title);
    std::string name = file.kind;
    if (!label.empty()) name += " " + label;
    return name + " (cluster " + std::to_string(file.startCluster) + ")." + file.extension;
}

std::string carvedKindFolder(const CarvedFile& file) {
    return file.kind;
}

}  // namespace tidewell::FileCarving
