// Fixtures of the database tests (see dbtest.h).
#include "dbtest.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>

#include "testsupport.h"

namespace dbtest {

int CapturingSlout::errorW(int line, std::string_view text) {
    errors.emplace_back(line, std::string(text));
    return 0;
}

int CapturingSlout::outputW(int line, std::string_view text) {
    outputs.emplace_back(line, std::string(text));
    return 0;
}

namespace {
std::string shellQuoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
}  // namespace

std::string sqliteCli(const std::string& db, const std::string& sql) {
    testsupport::TempDir scratch;
    const std::string input = scratch.file("input.sql"), errors = scratch.file("errors.txt");
    testsupport::writeText(input, sql + "\n");
    const std::string command =
        "sqlite3 -batch " + shellQuoted(db) + " < " + shellQuoted(input) + " 2> " + shellQuoted(errors);
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        ADD_FAILURE() << "cannot start sqlite3";
        return {};
    }
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.append(buf, n);
    const int status = ::pclose(pipe);
    const std::string err = testsupport::readText(errors);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0 && err.empty()) << "sqlite3 failed: " << err;
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string repeat(const std::string& piece, size_t n) {
    std::string out;
    out.reserve(piece.size() * n);
    for (size_t i = 0; i < n; ++i) out += piece;
    return out;
}

}  // namespace dbtest
