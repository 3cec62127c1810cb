// Opening an address: only web addresses reach xdg-open, as one argument, without a shell.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "app/runtime.h"
#include "support/temp_dir.h"

namespace {

// Children of this process, zombies included.
int ChildProcesses() {
    int count = 0;
    const std::string me = std::to_string(getpid());
    DIR* proc = opendir("/proc");
    if (!proc) return -1;
    while (dirent* e = readdir(proc)) {
        if (e->d_name[0] < '0' || e->d_name[0] > '9') continue;
        std::ifstream stat(std::string("/proc/") + e->d_name + "/stat");
        std::string line;
        std::getline(stat, line);
        const size_t close = line.rfind(')');
        if (close == std::string::npos) continue;
        // After "pid (name) " come the state and the parent's pid.
        std::string state, ppid;
        std::istringstream rest(line.substr(close + 2));
        rest >> state >> ppid;
        if (ppid == me) ++count;
    }
    closedir(proc);
    return count;
}

template <class F>
bool WaitFor(F condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::yield();
    }
    return true;
}

// Puts a fake xdg-open first on PATH; it records its arguments, one per line.
class RuntimeOpenAddress : public ::testing::Test {
protected:
    void SetUp() override {
        const char* path = std::getenv("PATH");
        oldPath_ = path ? path : "";
        ASSERT_EQ(mkdir(bin.File("bin").c_str(), 0755), 0);
        ASSERT_TRUE(bin.Put("bin/xdg-open",
                            "#!/bin/sh\n"
                            "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                                bin.File("args.tmp") + "\nmv " + bin.File("args.tmp") + " " +
                                bin.File("args") + "\n"));
        ASSERT_EQ(chmod(bin.File("bin/xdg-open").c_str(), 0755), 0);
        setenv("PATH", (bin.File("bin") + ":" + oldPath_).c_str(), 1);
    }
    void TearDown() override { setenv("PATH", oldPath_.c_str(), 1); }

    TempDir bin;
    std::string oldPath_;
};

TEST_F(RuntimeOpenAddress, WebAddressesReachTheOpenerAsOneArgument) {
    struct Case {
        const char* name;
        Text url;
        std::string recorded;
    } cases[] = {
        {"http", "http://127.0.0.1:8080/book/1.txt", "http://127.0.0.1:8080/book/1.txt"},
        {"https in capitals", "HTTPS://localhost/a", "HTTPS://localhost/a"},
        {"shell characters stay literal", "http://127.0.0.1/a?b=1&c=$(touch pwned);d `id` 'e'",
         "http://127.0.0.1/a?b=1&c=$(touch pwned);d `id` 'e'"},
        {"Chinese in GBK arrives as UTF-8", "http://127.0.0.1/" + Gbk(u8"斗破.txt"),
         "http://127.0.0.1/" + std::string(reinterpret_cast<const char*>(u8"斗破.txt"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(rt::OpenAddress(c.url));
        ASSERT_TRUE(WaitFor([&] { return bin.Has("args"); }));
        EXPECT_EQ(bin.Get("args"), c.recorded + "\n");
        ASSERT_EQ(unlink(bin.File("args").c_str()), 0);
        // The opener is reaped once it ends: no zombie stays behind.
        EXPECT_TRUE(WaitFor([] { return ChildProcesses() == 0; }));
    }
    EXPECT_FALSE(bin.Has("pwned"));
}

TEST_F(RuntimeOpenAddress, OtherAddressesAreRefused) {
    const Text cases[] = {
        "",
        "file:///etc/passwd",
        "javascript:alert(1)",
        "ftp://127.0.0.1/x",
        "http://",
        "https://",
        " http://127.0.0.1/",
        "-http://127.0.0.1/",
        "httpx://127.0.0.1/",
        "http://127.0.0.1/a\nb",
        "http://127.0.0.1/a\tb",
        "http://127.0.0.1/\xFF",  // not GBK
    };
    for (const auto& url : cases) {
        SCOPED_TRACE(url);
        EXPECT_FALSE(rt::OpenAddress(url));
    }
    EXPECT_EQ(ChildProcesses(), 0);  // refused before anything was started
    EXPECT_FALSE(bin.Has("args"));
}

TEST_F(RuntimeOpenAddress, MissingOpenerIsReported) {
    setenv("PATH", bin.File("nothing-here").c_str(), 1);
    EXPECT_FALSE(rt::OpenAddress("http://127.0.0.1/"));
}

}  // namespace
