// pstrXML: the little XML reading the iTunes export needs. iTunes keeps its
// preferences and its library as property lists: flat runs of <key>, <data>
// and <string> elements. These helpers find an element's text, decode the
// character references inside it and decode base64 <data>; none of them
// builds a tree, and none can be led out of its input by malformed text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The text between the first "<tag>" at or after `from` and the "</tag>" that
// follows it; `next` is the offset just past that end tag. False when no
// complete element follows.
bool pstrXMLNextElement(std::string_view text, size_t from, std::string_view tag, std::string_view& content,
                        size_t& next);

// Replaces the character references &amp; &lt; &gt; &quot; &apos; &#N; and
// &#xN; by their characters (UTF-8). A reference that is malformed, unknown,
// or names NUL, a surrogate or no character at all is left as it stands.
std::string pstrXMLUnescape(std::string_view text);

// Decodes standard base64 (A-Z a-z 0-9 + /). Characters outside the alphabet
// (line breaks, tabs, spaces) are skipped; "=" ends the data. A last group of
// a single character carries no whole byte and is dropped.
std::vector<unsigned char> pstrXMLBase64Decode(std::string_view text);
