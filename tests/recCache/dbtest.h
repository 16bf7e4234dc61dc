// Fixtures of the database tests: a trace sink that keeps what it is given and
// the sqlite3 command-line tool, which checks our files independently.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "CSlout.h"

namespace dbtest {

// Keeps the lines of the error and output operations.
class CapturingSlout : public CSlout {
  public:
    int errorW(int line, std::string_view text) override;
    int outputW(int line, std::string_view text) override;
    std::vector<std::pair<int, std::string>> errors, outputs;
};

// Runs `sqlite3 -batch <db>` with sql on its standard input and returns what it
// printed, one row per line, trailing line feed removed. Fails the test when
// the tool reports an error.
std::string sqliteCli(const std::string& db, const std::string& sql);

// The text of n copies of a UTF-8 character (or any text).
std::string repeat(const std::string& piece, size_t n);

}  // namespace dbtest
