// sorvane-fetch, run as a separate process against a fake site.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/fake_site.h"

extern char** environ;

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs the tool with `args`, capturing standard output; standard error is discarded.
ToolRun RunFetch(std::vector<std::string> args) {
    ToolRun run;
#ifdef SORVANE_FETCH_PATH
    args.insert(args.begin(), SORVANE_FETCH_PATH);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    char buf[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buf, sizeof buf)) > 0) run.out.append(buf, static_cast<size_t>(n));
    close(pipeFds[0]);
    if (rc != 0) return run;
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
    return run;
}

class FetchTool : public ::testing::Test {
protected:
    void SetUp() override {
#ifndef SORVANE_FETCH_PATH
        GTEST_SKIP() << "sorvane-fetch is not built";
#endif
    }
    fake::FakeSite site_;
};

TEST_F(FetchTool, WritesTheBodyAndSendsTheProgramsRequest) {
    const std::string page("<html>\xc4\xe3\0binary</html>", 19);
    site_.Page("/book/7.html?p=1", page);
    const std::string url = site_.Url("/book/7.html?p=1");
    ToolRun run = RunFetch({url});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out == page);

    auto requests = site_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/book/7.html?p=1");
    EXPECT_EQ(requests[0].HeaderLines(),
              (std::vector<std::string>{"Host: 127.0.0.1:" + std::to_string(site_.Port()),
                                        "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)",
                                        "Accept: */*", "Referer: " + url,
                                        "Accept-Language: zh-cn",
                                        "Content-Type: application/x-www-form-urlencoded"}));
}

TEST_F(FetchTool, HeadersFirstWithDashI) {
    site_.SetCookies("/c", {"k=v; Path=/"}, "body text");
    ToolRun run = RunFetch({site_.Url("/c"), "-i"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(run.out.find("\r\nSet-Cookie: k=v; Path=/\r\n"), std::string::npos);
    EXPECT_EQ(run.out.substr(run.out.size() - 13), "\r\n\r\nbody text");
}

TEST_F(FetchTool, ExitStatusTellsWhetherABodyArrived) {
    site_.Page("/empty", "");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"empty page", {site_.Url("/empty")}, 1},
        {"missing page (404, empty)", {site_.Url("/nothing")}, 1},
        {"refused scheme", {"file:///etc/passwd"}, 1},
        {"no address", {}, 2},
        {"unknown option", {site_.Url("/empty"), "-x"}, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ToolRun run = RunFetch(c.args);
        EXPECT_EQ(run.status, c.status);
        if (c.status == 1) {
            EXPECT_EQ(run.out, "");
        }
    }
}

}  // namespace
