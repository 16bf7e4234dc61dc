// The track list's data path against the sqlite3 command-line tool.
//
// Fills a cache database with tracks (tags set, some of them wide characters),
// then times what filling the track list costs: open the database, read the ids
// oldest first, then track and tags of every id with the program's own
// statements, close. The peer is the sqlite3 tool executing exactly the same
// statements on the same file, output thrown away. Each side runs several
// times, interleaved; the best run of each counts. Both wall-clock and CPU
// milliseconds (user + system) are printed; the ratio is taken on CPU time,
// which the other jobs of a shared machine disturb far less than wall time.
// The last line printed is "list-fill ratio=<ours/peer> target=1.0".
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "recCache.h"
#include "report.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double cpuMs(const rusage& u) {
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

double ownCpuMs() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return cpuMs(u);
}

struct Timing {
    double wall = 1e300, cpu = 1e300;
    void keepBest(double w, double c) {
        wall = std::min(wall, w);
        cpu = std::min(cpu, c);
    }
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "listfill_bench: %s\n", what);
    std::exit(1);
}

void fill(const std::string& folder, int tracks) {
    std::unique_ptr<recCache> db;
    if (recCacheInit(folder, "sdrtfn", "tmp", false, nullptr, db) != OKAY) fail("cannot create the database");
    std::mt19937 random(12345);
    const std::string cjk = "\xe6\xbc\xa2\xe5\xad\x97";
    if (recCache_sqlite_exec(db.get(), "BEGIN", sqliteExecMode::SingleColumn) != OKAY) fail("BEGIN");
    for (int i = 0; i < tracks; ++i) {
        // Recordings come in roughly in time order, with the odd one out of it.
        const long start = 1700000000L + i * 240L + static_cast<long>(random() % 600);
        const long length = 60000 + static_cast<long>(random() % 300000);
        const std::string base =
            std::to_string(start) + "_" + std::to_string(length) + "_" + std::to_string(random() % 32768);
        if (recCacheInsert(db.get(), base, start, length) != OKAY) fail("insert");
        const bool wide = i % 5 == 0;
        const recCacheTags tags{
            wide ? cjk + " artist " + std::to_string(i % 97) : "Artist " + std::to_string(i % 97),
            "Song number " + std::to_string(i) + (i % 7 == 0 ? " (Don't Stop)" : ""),
            "Album " + std::to_string(i % 31), i % 3 == 0 ? "Rock" : "",
            i % 4 == 0 ? "Recorded from the radio, " + std::string(i % 200, 'c') : ""};
        if (recCacheSetTags(db.get(), i + 1, tags) != OKAY) fail("tags");
    }
    if (recCache_sqlite_exec(db.get(), "COMMIT", sqliteExecMode::SingleColumn) != OKAY) fail("COMMIT");
    if (recCacheClose(db) != OKAY) fail("close");
}

// The list's data path; returns the ids read so the peer can run the same statements.
std::vector<int> ourListFill(const std::string& folder, size_t& rows) {
    std::unique_ptr<recCache> db;
    if (recCacheInit(folder, "sdrtfn", "tmp", false, nullptr, db) != OKAY) fail("open");
    std::vector<int> ids;
    if (recCacheGetIds(db.get(), kRecCacheMaxIds, ids) != OKAY) fail("ids");
    rows = 0;
    for (int id : ids) {
        recCacheTrack track;
        recCacheTags tags;
        if (recCacheGetTrack(db.get(), id, track) != OKAY || recCacheGetTags(db.get(), id, tags) != OKAY)
            fail("read by id");
        rows += !track.baseName.empty();
    }
    if (recCacheClose(db) != OKAY) fail("close");
    return ids;
}

void peerListFill(const std::string& dbPath, const std::string& statements, Timing& timing) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, statements.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::string tool = "sqlite3", batch = "-batch", path = dbPath;
    char* argv[] = {tool.data(), batch.data(), path.data(), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sqlite3", &actions, nullptr, argv, environ) != 0) fail("cannot start sqlite3");
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    timing.keepBest(msSince(start), cpuMs(usage));
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) fail("sqlite3 failed");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) fail("usage: listfill_bench SCRATCH_FOLDER [TRACKS] [RUNS]");
    const std::string folder = argv[1];
    const int tracks = argc > 2 ? std::atoi(argv[2]) : 5000;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);

    const auto fillStart = Clock::now();
    fill(folder, tracks);
    std::printf("filled %d tracks in %.0f ms (%.0f KiB)\n", tracks, msSince(fillStart),
                std::filesystem::file_size(folder + "/cache.db") / 1024.0);

    size_t rows = 0;
    const std::vector<int> ids = ourListFill(folder, rows);  // warms the page cache for both sides
    if (rows != static_cast<size_t>(tracks)) fail("wrong number of rows");
    const std::string statementsPath = folder + "/statements.sql";
    {
        std::ofstream out(statementsPath);
        out << "SELECT id FROM caches ORDER BY creation_timestamp ASC;\n";
        for (int id : ids) {
            const std::string select = "SELECT * FROM caches WHERE id = '" + std::to_string(id) + "';\n";
            out << select << select;  // track, then tags
        }
    }
    Timing ours, peer;
    for (int r = 0; r < runs; ++r) {
        const auto start = Clock::now();
        const double cpuStart = ownCpuMs();
        ourListFill(folder, rows);
        ours.keepBest(msSince(start), ownCpuMs() - cpuStart);
        peerListFill(folder + "/cache.db", statementsPath, peer);
    }
    std::printf("statements per list fill: %zu (ids, then track and tags of each id), best of %d runs\n",
                1 + 2 * ids.size(), runs);
    std::printf("recCache list fill (open, ids, reads, close): %7.1f ms wall %7.1f ms cpu\n", ours.wall,
                ours.cpu);
    std::printf("sqlite3 tool, same statements, same file:    %7.1f ms wall %7.1f ms cpu\n", peer.wall,
                peer.cpu);
    std::printf("list-fill ratio=%.2f target=1.0\n", ours.cpu / peer.cpu);
    return 0;
}
