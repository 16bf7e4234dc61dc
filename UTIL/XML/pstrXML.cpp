// Element text, character references and base64 of property-list files.
#include "pstrXML.h"

#include <cstdint>

#include "pstr.h"

bool pstrXMLNextElement(std::string_view text, size_t from, std::string_view tag, std::string_view& content,
                        size_t& next) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    if (from > text.size()) return false;
    const size_t start = text.find(open, from);
    if (start == std::string_view::npos) return false;
    const size_t body = start + open.size();
    const size_t end = text.find(close, body);
    if (end == std::string_view::npos) return false;
    content = text.substr(body, end - body);
    next = end + close.size();
    return true;
}

namespace {

// The character of a numeric reference's digits ("#65", "#x41"); false when
// they are malformed or name no character a text may hold.
bool numericReference(std::string_view name, char32_t& cp) {
    if (name.size() < 2 || name[0] != '#') return false;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) return false;
    uint32_t value = 0;
    for (char c : digits) {
        uint32_t d;
        if (c >= '0' && c <= '9')
            d = static_cast<uint32_t>(c - '0');
        else if (hex && c >= 'a' && c <= 'f')
            d = static_cast<uint32_t>(c - 'a' + 10);
        else if (hex && c >= 'A' && c <= 'F')
            d = static_cast<uint32_t>(c - 'A' + 10);
        else
            return false;
        value = value * (hex ? 16 : 10) + d;
    }
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    cp = value;
    return true;
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string pstrXMLUnescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            out.push_back(text[i++]);
            continue;
        }
        // The longest reference is "&#x10FFFF;"; look no further for its end.
        const size_t semicolon = text.substr(i, 12).find(';');
        if (semicolon == std::string_view::npos) {
            out.push_back(text[i++]);
            continue;
        }
        const std::string_view name = text.substr(i + 1, semicolon - 1);
        char32_t cp = 0;
        if (name == "amp")
            cp = '&';
        else if (name == "lt")
            cp = '<';
        else if (name == "gt")
            cp = '>';
        else if (name == "quot")
            cp = '"';
        else if (name == "apos")
            cp = '\'';
        else if (!numericReference(name, cp)) {
            out.push_back(text[i++]);
            continue;
        }
        pstrAppendUtf8(out, cp);
        i += semicolon + 1;
    }
    return out;
}

std::vector<unsigned char> pstrXMLBase64Decode(std::string_view text) {
    std::vector<unsigned char> out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '=') break;
        const int v = base64Value(c);
        if (v < 0) continue;
        bits = (bits << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<unsigned char>(bits >> 16));
            out.push_back(static_cast<unsigned char>(bits >> 8));
            out.push_back(static_cast<unsigned char>(bits));
            bits = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out.push_back(static_cast<unsigned char>(bits >> 4));
    } else if (count == 3) {
        out.push_back(static_cast<unsigned char>(bits >> 10));
        out.push_back(static_cast<unsigned char>(bits >> 2));
    }
    return out;
}
