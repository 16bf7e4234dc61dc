// Line-by-line search of a text file for a line that begins with a text.
#include "fileSmartStringSearch.h"

#include <cstdio>
#include <filesystem>

#include "File.h"
#include "report.h"

namespace {

// Checks one line (line end included) against the prefix.
bool matches(std::string_view line, std::string_view prefix, std::string& rest) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    const size_t text = line.find_first_not_of('\t');
    if (text == std::string_view::npos) return false;
    line.remove_prefix(text);
    if (line.substr(0, prefix.size()) != prefix) return false;
    rest.assign(line.substr(prefix.size()));
    return true;
}

}  // namespace

int fileSmartStringSearch(const std::string& path, std::string_view prefix, bool& found, std::string& rest) {
    found = false;
    rest.clear();
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return OKAY;
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file) return OKAY;

    // Lines are cut from a block buffer; `line` collects one line of at most
    // kFileSmartLineBytes bytes, which may span two blocks.
    char block[8192];
    std::string line;
    line.reserve(kFileSmartLineBytes);
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file.get())) > 0) {
        for (size_t i = 0; i < got; ++i) {
            line.push_back(block[i]);
            if (block[i] != '\n' && line.size() < kFileSmartLineBytes) continue;
            if (matches(line, prefix, rest)) {
                found = true;
                return OKAY;
            }
            line.clear();
        }
    }
    if (std::ferror(file.get())) return OKAY;
    if (!line.empty() && matches(line, prefix, rest)) found = true;
    return OKAY;
}
