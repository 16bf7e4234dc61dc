// String helpers shared by every module: trimming, replacing, splitting,
// comparing, path pieces, UTF-8/UTF-16 conversion and the sorted text array.
// Texts are UTF-8; "characters" in limits are UTF-16 code units, so that the
// field limits mean the same as they did for wide texts.
#include "pstr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/pstr/pstr";

namespace {

bool isSlash(char c) { return c == '/' || c == '\\'; }

char upperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Decodes one UTF-8 sequence at s[i]. Returns its length in bytes and the code
// point, or 0 when the bytes there are not a well-formed sequence.
size_t decodeUtf8(std::string_view s, size_t i, char32_t& cp) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n;
    if (c < 0x80) {
        cp = c;
        return 1;
    }
    if ((c & 0xE0) == 0xC0) {
        n = 1;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 2;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 3;
        cp = c & 0x07;
    } else
        return 0;
    if (i + n >= s.size()) return 0;
    for (size_t k = 1; k <= n; ++k) {
        const auto cc = static_cast<unsigned char>(s[i + k]);
        if ((cc & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    if ((n == 1 && cp < 0x80) || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n + 1;
}

// Byte length of the longest prefix of s that holds at most `units` UTF-16
// code units without splitting a character.
size_t prefixBytesForUnits(std::string_view s, size_t units) {
    size_t i = 0, used = 0;
    while (i < s.size()) {
        char32_t cp;
        size_t n = decodeUtf8(s, i, cp);
        size_t u = 1;
        if (n == 0)
            n = 1;
        else if (cp >= 0x10000)
            u = 2;
        if (used + u > units) break;
        used += u;
        i += n;
    }
    return i;
}

int compareNoCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(upperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(upperAscii(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

// Start of the name part: after the last "/" or "\".
size_t nameStart(std::string_view path) {
    const size_t p = path.find_last_of("/\\");
    return p == std::string_view::npos ? 0 : p + 1;
}

}  // namespace

void pstrStripTrailingSlash(std::string& s) {
    if (!s.empty() && isSlash(s.back())) s.pop_back();
}

void pstrStripTrailingBlanks(std::string& s) {
    const size_t p = s.find_last_not_of(' ');
    s.erase(p == std::string::npos ? 0 : p + 1);
}

void pstrStripLeadingBlanks(std::string& s) { s.erase(0, std::min(s.find_first_not_of(' '), s.size())); }

void pstrStripAllBlanks(std::string& s) { std::erase(s, ' '); }

void pstrStripLineEnd(std::string& s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
}

void pstrReplaceChar(std::string& s, char from, char to) { std::replace(s.begin(), s.end(), from, to); }

std::string pstrReplaceCharByText(std::string_view text, char c, std::string_view replacement) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        if (ch == c)
            out.append(replacement);
        else
            out.push_back(ch);
    }
    return out;
}

std::string pstrQuoteSql(std::string_view text) { return pstrReplaceCharByText(text, '\'', "''"); }

std::string pstrFileNameSafe(std::string_view text, char replacement) {
    std::string out(text);
    for (char& ch : out) {
        const auto u = static_cast<unsigned char>(ch);
        if (u < 32 || std::strchr("\"*/:<>?\\|", ch) != nullptr) ch = replacement;
    }
    return out;
}

bool pstrFind(std::string_view text, std::string_view sub, size_t from, size_t& pos) {
    if (from > text.size()) return false;
    const size_t p = text.find(sub, from);
    if (p == std::string_view::npos) return false;
    pos = p;
    return true;
}

bool pstrEndsWith(std::string_view text, std::string_view ending) { return text.ends_with(ending); }

bool pstrStripSuffix(std::string& text, std::string_view ending) {
    if (!text.ends_with(ending)) return false;
    text.erase(text.size() - ending.size());
    return true;
}

std::vector<std::string> pstrSplit(std::string_view text, std::string_view separators) {
    std::vector<std::string> pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of(separators, start);
        if (end == std::string_view::npos) end = text.size();
        if (end > start) pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

std::string pstrUpper(std::string_view text) {
    std::string out(text);
    for (char& ch : out) ch = upperAscii(ch);
    return out;
}

int pstrCompare(std::string_view a, std::string_view b, bool caseSensitive) {
    a = a.substr(0, prefixBytesForUnits(a, 512));
    b = b.substr(0, prefixBytesForUnits(b, 512));
    if (!caseSensitive) return compareNoCase(a, b);
    const int r = a.compare(b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

std::string pstrExtension(std::string_view name) {
    const std::string_view leaf = name.substr(nameStart(name));
    const size_t dot = leaf.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(leaf.substr(dot + 1));
}

std::string pstrStripExtension(std::string_view name) {
    const size_t start = nameStart(name);
    const size_t dot = name.substr(start).rfind('.');
    return std::string(dot == std::string_view::npos ? name : name.substr(0, start + dot));
}

bool pstrFolderPart(std::string_view path, std::string& folder) {
    const size_t p = path.find_last_of("/\\");
    if (p == std::string_view::npos) return false;
    folder.assign(path.substr(0, p));
    return true;
}

bool pstrIsUtf8(std::string_view text) {
    char32_t cp;
    for (size_t i = 0, n = 0; i < text.size(); i += n)
        if ((n = decodeUtf8(text, i, cp)) == 0) return false;
    return true;
}

size_t pstrUtf16Length(std::string_view utf8) {
    size_t units = 0;
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t n = decodeUtf8(utf8, i, cp);
        if (n == 0) {
            ++units;
            ++i;
        } else {
            units += cp >= 0x10000 ? 2 : 1;
            i += n;
        }
    }
    return units;
}

std::string_view pstrCutToUnits(std::string_view utf8, size_t units) {
    return utf8.substr(0, prefixBytesForUnits(utf8, units));
}

int pstrToUtf16(std::string_view utf8, std::u16string& out) {
    std::u16string result;
    result.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t cp;
        const size_t n = decodeUtf8(utf8, i, cp);
        if (n == 0) return REPORT_ERR();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            result.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    out = std::move(result);
    return OKAY;
}

int pstrFromUtf16(std::u16string_view utf16, std::string& out) {
    std::string result;
    result.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF) return REPORT_ERR();
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
            return REPORT_ERR();
        }
        pstrAppendUtf8(result, cp);
    }
    out = std::move(result);
    return OKAY;
}

void pstrAppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool pstrUtf16WellFormed(std::u16string_view utf16) {
    for (size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit >= 0xDC00 && unit <= 0xDFFF) return false;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 >= utf16.size() || utf16[i + 1] < 0xDC00 || utf16[i + 1] > 0xDFFF) return false;
            ++i;
        }
    }
    return true;
}

std::string pstrTimeDisplay(long seconds) {
    // A negative duration has no meaningful display; it shows as zero rather
    // than as a garbled "-1:-59".
    if (seconds < 0) seconds = 0;
    char buf[48];
    if (seconds < 3600)
        std::snprintf(buf, sizeof buf, "%ld:%02ld", seconds / 60, seconds % 60);
    else
        std::snprintf(buf, sizeof buf, "%ld:%02ld:%02ld", seconds / 3600, (seconds / 60) % 60, seconds % 60);
    return buf;
}

int pstrArrayAdd(pstrArray& array, std::string_view text, size_t capacity, pstrArrayRule rule, bool& added) {
    added = false;
    if (capacity == 0) return REPORT_ERR();
    const std::string_view item = text.substr(0, prefixBytesForUnits(text, capacity - 1));
    auto& items = array.items;
    switch (rule) {
        case pstrArrayRule::Any:
            items.emplace_back(item);
            break;
        case pstrArrayRule::UniqueNoCase:
            if (std::any_of(items.begin(), items.end(),
                            [&](const std::string& s) { return compareNoCase(s, item) == 0; }))
                return OKAY;
            items.emplace_back(item);
            break;
        case pstrArrayRule::UniqueNoCaseSorted: {
            const auto at = std::lower_bound(
                items.begin(), items.end(), item,
                [](const std::string& s, std::string_view t) { return compareNoCase(s, t) < 0; });
            if (at != items.end() && compareNoCase(*at, item) == 0) return OKAY;
            items.emplace(at, item);
            break;
        }
    }
    added = true;
    return OKAY;
}

void pstrArrayFree(pstrArray& array) {
    array.items.clear();
    array.items.shrink_to_fit();
}
