// Reader of skin definition files ("skin_definition.txt").
//
// A definition file is a plain 8-bit text file holding one value per line.
// Every read takes at most 511 characters (a longer line is split into
// several reads), skips lines that are empty or begin with CR or LF so that
// blank lines may stand anywhere, and strips trailing CR, LF and then spaces.
// End of file before a needed line is an internal error. A line of spaces is
// not blank: it is read as a value.
//
// Numbers follow "%d": leading white space and a sign are allowed and
// anything after the number is ignored. A line without a number leaves the
// caller's variable as it was, so callers start from a value meaning "not
// given" (any negative number for points, rectangles and sizes).
#pragma once

#include <cstdio>
#include <string>

// Maximum characters of one read.
constexpr int kSkinReadMaxLine = 511;

// One line by the reading rules above, without its line end and trailing spaces.
int skinReadLine(std::FILE* file, std::string& line);
// The same, where the end of the file is an answer: found is off when no
// value line is left.
int skinReadLineOptional(std::FILE* file, std::string& line, bool& found);
int skinReadInt(std::FILE* file, int& value);
// Points and rectangles: each coordinate kept within kHwndCoordMin..kHwndCoordMax.
int skinReadPoint(std::FILE* file, int& x, int& y);
int skinReadRect(std::FILE* file, int& left, int& top, int& right, int& bottom);
// A rectangle a definition may leave out at its end: found is off when the
// file ends before its first line or that line holds no number (free text
// after the groups a reader knows); once begun, all four lines must be there.
// Its coordinates are kept within range as skinReadRect keeps them.
int skinReadRectOptional(std::FILE* file, int& left, int& top, int& right, int& bottom, bool& found);
// One line "%d,%d,%d" (spaces after the commas allowed, none before them); a
// missing number counts as -1, and each of the three must lie in 0..255.
int skinReadColour(std::FILE* file, int& a, int& b, int& c);

// "%d" at text[pos]: true and the number when one is there (pos moves past
// it); numbers beyond the 32-bit range count as absent.
bool skinReadParseInt(const std::string& text, size_t& pos, int& value);
