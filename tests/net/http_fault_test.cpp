// Every way an exchange can go wrong ends in bounded time with an empty body and a reason.

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/runtime.h"
#include "net/http.h"
#include "support/fake_site.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class HttpFaults : public ::testing::Test {
protected:
    void SetUp() override { saved_ = GetHttpLimits(); }
    void TearDown() override { SetHttpLimits(saved_); }

    // Runs one request and reports its body, reason and duration.
    struct Outcome {
        Bytes body;
        HttpError error;
        std::string message;
        Clock::duration took;
    };
    static Outcome Fetch(const std::string& url) {
        HttpArgs args;
        args.ResponseHeaders = "before";
        auto start = Clock::now();
        Outcome o;
        o.body = HttpRequest(url, args);
        o.took = Clock::now() - start;
        o.error = args.Error;
        o.message = args.ErrorMessage;
        EXPECT_EQ(HttpLastError(), args.Error);
        if (args.Error != HttpError::None) {
            EXPECT_EQ(args.ResponseHeaders, "before");
        }
        return o;
    }

    fake::FakeSite site_;
    HttpLimits saved_;
};

TEST_F(HttpFaults, StalledTransferTimesOut) {
    // The low-speed check averages over seconds; a rate of 1000 bytes/s with one second of
    // patience fires once the first burst has aged out of its window.
    HttpLimits limits;
    limits.lowSpeedBytesPerSec = 1000;
    limits.lowSpeedTimeSec = 1;
    SetHttpLimits(limits);
    site_.Stall("/mid", std::string(100, 'a'), 10000);
    Outcome o = Fetch(site_.Url("/mid"));
    EXPECT_EQ(o.body, "");
    EXPECT_EQ(o.error, HttpError::Timeout) << o.message;
    EXPECT_LT(o.took, 15s);
}

TEST_F(HttpFaults, SilentSiteTimesOutAtTheDefaultRate) {
    HttpLimits limits;  // the default rate, a shortened time
    limits.lowSpeedTimeSec = 1;
    SetHttpLimits(limits);
    site_.StallBeforeBody("/silent");
    Outcome o = Fetch(site_.Url("/silent"));
    EXPECT_EQ(o.body, "");
    EXPECT_EQ(o.error, HttpError::Timeout) << o.message;
    EXPECT_LT(o.took, 15s);
}

TEST_F(HttpFaults, SlowButLiveAnswerArrives) {
    site_.Delay("/slow", 300ms, "late page");
    Outcome o = Fetch(site_.Url("/slow"));
    EXPECT_EQ(o.body, "late page");
    EXPECT_EQ(o.error, HttpError::None);
}

TEST_F(HttpFaults, ResetMidBodyGivesNoPartialPage) {
    site_.ResetMidBody("/reset", std::string(5000, 'p'), 50000);
    Outcome o = Fetch(site_.Url("/reset"));
    EXPECT_EQ(o.body, "");
    EXPECT_EQ(o.error, HttpError::Transfer) << o.message;
}

TEST_F(HttpFaults, BodiesOverTheLimitAreAbandoned) {
    HttpLimits limits;
    limits.maxBodyBytes = 1 << 20;
    SetHttpLimits(limits);
    site_.Endless("/endless");                                     // no length announced
    site_.Page("/announced", std::string((1 << 20) + 1, 'b'));     // length announced
    site_.Page("/exact", std::string(1 << 20, 'c'));               // right at the limit
    struct Case {
        const char* target;
        HttpError error;
        std::size_t size;
    } cases[] = {
        {"/endless", HttpError::TooLarge, 0},
        {"/announced", HttpError::TooLarge, 0},
        {"/exact", HttpError::None, 1u << 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        Outcome o = Fetch(site_.Url(c.target));
        EXPECT_EQ(o.error, c.error) << o.message;
        EXPECT_EQ(o.body.size(), c.size);
        EXPECT_LT(o.took, 30s);
    }
}

TEST_F(HttpFaults, UnreachablePortGivesAnEmptyBody) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    socklen_t len = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    int port = ntohs(a.sin_port);
    ::close(fd);  // bound once, never listening: nothing answers there
    Outcome o = Fetch("http://127.0.0.1:" + std::to_string(port) + "/page");
    EXPECT_EQ(o.body, "");
    EXPECT_EQ(o.error, HttpError::Connect) << o.message;
}

TEST_F(HttpFaults, ConnectTimeOut) {
    // A listener whose accept queue is full drops further connection attempts unanswered.
    int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 0), 0);
    socklen_t len = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len);
    std::vector<int> fillers;
    for (int i = 0; i < 3; ++i) {
        int f = ::socket(AF_INET, SOCK_STREAM, 0);
        fcntl(f, F_SETFL, O_NONBLOCK);
        ::connect(f, reinterpret_cast<sockaddr*>(&a), sizeof a);
        fillers.push_back(f);
    }
    HttpLimits limits;
    limits.connectTimeoutMs = 300;
    SetHttpLimits(limits);
    Outcome o = Fetch("http://127.0.0.1:" + std::to_string(ntohs(a.sin_port)) + "/");
    EXPECT_EQ(o.body, "");
    EXPECT_EQ(o.error, HttpError::Timeout) << o.message;
    EXPECT_LT(o.took, 10s);
    for (int f : fillers) ::close(f);
    ::close(listener);
}

TEST_F(HttpFaults, OnlyHttpAndHttpsAddressesAreFetched) {
    site_.Page("/page", "served");
    const std::string hostPort = "127.0.0.1:" + std::to_string(site_.Port());
    struct Case {
        std::string url;
        HttpError error;
        const char* body;
    } cases[] = {
        {"file:///etc/passwd", HttpError::BadUrl, ""},
        {"FILE:///etc/hostname", HttpError::BadUrl, ""},
        {"ftp://" + hostPort + "/page", HttpError::BadUrl, ""},
        {"gopher://" + hostPort + "/page", HttpError::BadUrl, ""},
        {"http://" + hostPort + "/pa\r\nX-Injected: 1", HttpError::BadUrl, ""},
        {"HTTP://" + hostPort + "/page", HttpError::None, "served"},
        {hostPort + "/page", HttpError::None, "served"},  // no scheme: http
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        Outcome o = Fetch(c.url);
        EXPECT_EQ(o.error, c.error) << o.message;
        EXPECT_EQ(o.body, c.body);
    }
    EXPECT_EQ(site_.Targets(), (std::vector<std::string>{"/page", "/page"}));
}

TEST_F(HttpFaults, ShutdownStopsTransfersOfRegisteredThreads) {
    site_.StallBeforeBody("/stall");
    site_.Stall("/stall-mid", "first bytes", 1000);
    constexpr int kThreads = 3;
    std::vector<Bytes> bodies(kThreads, "unset");
    std::vector<HttpError> errors(kThreads, HttpError::None);
    for (int i = 0; i < kThreads; ++i) {
        ASSERT_TRUE(rt::StartThread([&, i] {
            bodies[i] = HttpRequest(site_.Url(i % 2 ? "/stall-mid" : "/stall"));
            errors[i] = HttpLastError();
        }));
    }
    ASSERT_TRUE(site_.WaitForRequests(kThreads, 10s));
    auto start = Clock::now();
    rt::RequestStop();
    bool ended = rt::WaitForThreads(5000);
    auto took = Clock::now() - start;
    rt::ResetStop();
    ASSERT_TRUE(ended);
    EXPECT_LT(took, 5s);  // far below the 30 s a stalled transfer would otherwise last
    for (int i = 0; i < kThreads; ++i) {
        EXPECT_EQ(bodies[i], "");
        EXPECT_EQ(errors[i], HttpError::Aborted);
    }
}

TEST_F(HttpFaults, ShutdownStopsATransferOnAnyThread) {
    site_.StallBeforeBody("/stall");
    HttpArgs args;
    Bytes body = "unset";
    std::thread worker([&] { body = HttpRequest(site_.Url("/stall"), args); });
    ASSERT_TRUE(site_.WaitForRequests(1, 10s));
    auto start = Clock::now();
    rt::RequestStop();
    worker.join();
    auto took = Clock::now() - start;
    rt::ResetStop();
    EXPECT_LT(took, 5s);
    EXPECT_EQ(body, "");
    EXPECT_EQ(args.Error, HttpError::Aborted);
    // The thread's handles stay usable once the stop is over.
    site_.Page("/after", "fine");
    EXPECT_EQ(HttpRequest(site_.Url("/after")), "fine");
}

}  // namespace
