// String helpers. Texts are UTF-8 std::string inside the program; where a limit
// counts characters, it counts UTF-16 code units (pstrUtf16Length), and
// conversions to UTF-16 exist for the places where bytes demand it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Removes one trailing "/" (or "\"), if present: "/music/" -> "/music", "/" -> "".
void pstrStripTrailingSlash(std::string& s);
// Remove spaces (code 32 only) at the end, at the start, or everywhere.
void pstrStripTrailingBlanks(std::string& s);
void pstrStripLeadingBlanks(std::string& s);
void pstrStripAllBlanks(std::string& s);
// Removes trailing CR and LF characters.
void pstrStripLineEnd(std::string& s);
// Replaces every occurrence of one character by another.
void pstrReplaceChar(std::string& s, char from, char to);
// Copy of text with every occurrence of c replaced by replacement.
std::string pstrReplaceCharByText(std::string_view text, char c, std::string_view replacement);
// Doubles every "'" (for SQL statements).
std::string pstrQuoteSql(std::string_view text);
// Replaces every character with code 0..31 and each of " * / : < > ? \ | by `replacement`.
std::string pstrFileNameSafe(std::string_view text, char replacement);
// Position of sub in text from byte offset `from`; false when absent.
bool pstrFind(std::string_view text, std::string_view sub, size_t from, size_t& pos);
bool pstrEndsWith(std::string_view text, std::string_view ending);
// Removes `ending` when text ends with it; returns whether it did.
bool pstrStripSuffix(std::string& text, std::string_view ending);
// Splits at any of the separator characters; empty pieces are dropped.
std::vector<std::string> pstrSplit(std::string_view text, std::string_view separators);
// Upper-case copy (ASCII letters; other characters unchanged).
std::string pstrUpper(std::string_view text);
// Compares up to 512 characters; result -1, 0 or 1. Case-insensitive compares
// ASCII letters without regard to case.
int pstrCompare(std::string_view a, std::string_view b, bool caseSensitive);
// Text after the last "." of the name part; empty when there is none.
std::string pstrExtension(std::string_view name);
// Removes the last "." and what follows (of the name part).
std::string pstrStripExtension(std::string_view name);
// Text before the last "/" or "\"; false (folder untouched) when there is none.
bool pstrFolderPart(std::string_view path, std::string& folder);
// True when `text` is well-formed UTF-8.
bool pstrIsUtf8(std::string_view text);
// Number of UTF-16 code units of a UTF-8 text (invalid bytes count one each).
size_t pstrUtf16Length(std::string_view utf8);
// The longest start of a text that fits in `units` UTF-16 code units, cut
// between whole characters (invalid bytes count one unit each).
std::string_view pstrCutToUnits(std::string_view utf8, size_t units);
// UTF-8 <-> UTF-16 conversions; OKAY, or NOT_OKAY (internal error) on malformed input.
int pstrToUtf16(std::string_view utf8, std::u16string& out);
int pstrFromUtf16(std::u16string_view utf16, std::string& out);
// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void pstrAppendUtf8(std::string& out, char32_t cp);
// True when every surrogate of a UTF-16 text is part of a pair (so that
// pstrFromUtf16 takes it); for checking text that came from outside.
bool pstrUtf16WellFormed(std::u16string_view utf16);
// Seconds as "%d:%02d" below one hour and "%d:%02d:%02d" from one hour on.
std::string pstrTimeDisplay(long seconds);

// A growable array of texts, each with a fixed capacity in UTF-16 units.
struct pstrArray {
    std::vector<std::string> items;
};
enum class pstrArrayRule { Any, UniqueNoCase, UniqueNoCaseSorted };
// Appends a copy cut to `capacity` - 1 units. With a Unique rule, a text already
// present (compared without regard to case) is refused: added = false. The
// sorted rule keeps the array in case-insensitive order, searching by halving.
int pstrArrayAdd(pstrArray& array, std::string_view text, size_t capacity, pstrArrayRule rule, bool& added);
void pstrArrayFree(pstrArray& array);
