// The single-instance lock across real processes: a second process is
// refused while the first holds the lock and succeeds after it ends, and a
// program started while we hold the lock does not inherit it.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "instanceLock.h"
#include "report.h"
#include "testsupport.h"

extern char** environ;

namespace {

// A helper process with a pipe to its standard input and one from its output.
class Holder {
  public:
    explicit Holder(std::vector<std::string> args) {
        int in[2], out[2];
        EXPECT_EQ(::pipe2(in, O_CLOEXEC), 0);
        EXPECT_EQ(::pipe2(out, O_CLOEXEC), 0);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, in[0], 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        args.insert(args.begin(), HOLDER_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(::posix_spawn(&pid_, HOLDER_PROGRAM, &fa, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&fa);
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
    }
    ~Holder() { finish(); }

    // The state line the helper printed ("held", "running" or "idle").
    std::string state() {
        std::string line;
        char c;
        while (::read(stdout_, &c, 1) == 1 && c != '\n') line.push_back(c);
        return line;
    }
    // Closes its input and waits for it to end; returns its exit status.
    int finish() {
        if (pid_ <= 0) return -1;
        ::close(stdin_);
        ::close(stdout_);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    pid_t pid_ = 0;
    int stdin_ = -1, stdout_ = -1;
};

TEST(instanceLock, SecondProcessIsRefusedWhileTheFirstRuns) {
    testsupport::TempDir dir;
    Holder first({"lock", dir.str()});
    ASSERT_EQ(first.state(), "held");

    Holder second({"lock", dir.str()});
    EXPECT_EQ(second.state(), "running");
    EXPECT_EQ(second.finish(), 0);

    InstanceLock mine;
    bool running = false;
    ASSERT_EQ(instanceLockAcquire(dir.str(), mine, running), OKAY);
    EXPECT_TRUE(running);
    EXPECT_FALSE(mine.held());

    EXPECT_EQ(first.finish(), 0);  // the first copy ends: the lock is free again
    ASSERT_EQ(instanceLockAcquire(dir.str(), mine, running), OKAY);
    EXPECT_FALSE(running);
    EXPECT_TRUE(mine.held());
    Holder third({"lock", dir.str()});
    EXPECT_EQ(third.state(), "running");
}

TEST(instanceLock, ProgramsWeStartDoNotInheritTheLock) {
    testsupport::TempDir dir;
    InstanceLock mine;
    bool running = true;
    ASSERT_EQ(instanceLockAcquire(dir.str(), mine, running), OKAY);
    ASSERT_FALSE(running);
    Holder browserLike({"idle"});  // started while we hold the lock, outlives it
    ASSERT_EQ(browserLike.state(), "idle");
    mine.release();
    mine.release();  // a second release does nothing
    Holder next({"lock", dir.str()});
    EXPECT_EQ(next.state(), "held");
}

TEST(instanceLock, FolderAndFile) {
    {
        testsupport::ScopedEnv env("TOBREL_INSTANCE_LOCK_DIR", std::nullopt);
        EXPECT_EQ(instanceLockFolder(), "/tmp");
    }
    testsupport::TempDir dir;
    testsupport::ScopedEnv env("TOBREL_INSTANCE_LOCK_DIR", dir.str());
    EXPECT_EQ(instanceLockFolder(), dir.str());
    const std::string path = instanceLockPath(instanceLockFolder());
    EXPECT_EQ(path, dir.str() + "/Tobrel-{25F5399D-550E-4930-B6F7-8B39F13569FC}.lock");
    {
        InstanceLock lock;
        bool running = true;
        ASSERT_EQ(instanceLockAcquire(instanceLockFolder(), lock, running), OKAY);
        struct stat st;
        ASSERT_EQ(::stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0644u);  // every user can open it to lock it
        InstanceLock moved = std::move(lock);
        EXPECT_TRUE(moved.held());
        EXPECT_FALSE(lock.held());
    }
    ReportRecorder reports;
    InstanceLock lock;
    bool running = false;
    EXPECT_EQ(instanceLockAcquire(dir.str() + "/missing", lock, running), NOT_OKAY);
    EXPECT_EQ(reports.count(), 1u);
}

}  // namespace
