// The fake sites themselves: every later test trusts what they record, so check it against
// raw bytes written on a plain socket.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "support/fake_site.h"

namespace {

using namespace std::chrono_literals;

int Connect(int port) {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval tv{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends `request` on a fresh connection and reads until the server closes it.
std::string RawExchange(int port, const std::string& request) {
    int fd = Connect(port);
    if (fd < 0) return {};
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buf[4096];
    ssize_t n;
    while ((n = ::recv(fd, buf, sizeof buf, 0)) > 0) reply.append(buf, static_cast<size_t>(n));
    ::close(fd);
    return reply;
}

TEST(FakeSite, RecordsRequestExactlyAsSent) {
    fake::FakeSite site;
    ASSERT_TRUE(site.Ok());
    site.Page("/a%20b?q=%E4&x=1", "hello");
    std::string reply = RawExchange(
        site.Port(),
        "POST /a%20b?q=%E4&x=1 HTTP/1.1\r\nzeta: 1\r\nHost: h\r\nAlpha:  two words \r\n"
        "alpha: again\r\nContent-Length: 3\r\nConnection: close\r\n\r\nxyz");
    EXPECT_NE(reply.find("\r\n\r\nhello"), std::string::npos) << reply;

    auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/a%20b?q=%E4&x=1");
    EXPECT_EQ(r.version, "HTTP/1.1");
    EXPECT_EQ(r.body, "xyz");
    std::vector<std::string> expected = {"zeta: 1",           "Host: h",
                                         "Alpha: two words",  "alpha: again",
                                         "Content-Length: 3", "Connection: close"};
    EXPECT_EQ(r.HeaderLines(), expected);
    EXPECT_EQ(r.Header("ALPHA"), "two words");
    EXPECT_EQ(r.Header("missing"), "");
}

TEST(FakeSite, RoutesExactThenLongestPrefixElse404) {
    fake::FakeSite site;
    site.HandlePrefix("/book/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("short", "text/plain");
    });
    site.HandlePrefix("/book/12/", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("long " + req.target, "text/plain");
    });
    site.Page("/book/12/index.html", "exact");

    struct Case {
        const char* target;
        const char* status;
        const char* body;
    } cases[] = {
        {"/book/12/index.html", "200", "exact"},
        {"/book/12/3.html", "200", "long /book/12/3.html"},
        {"/book/9.html", "200", "short"},
        {"/other", "404", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        std::string reply = RawExchange(
            site.Port(), std::string("GET ") + c.target + " HTTP/1.1\r\nConnection: close\r\n\r\n");
        EXPECT_EQ(reply.substr(9, 3), c.status);
        EXPECT_EQ(reply.substr(reply.find("\r\n\r\n") + 4), c.body);
    }
    EXPECT_EQ(site.Targets(), (std::vector<std::string>{"/book/12/index.html", "/book/12/3.html",
                                                        "/book/9.html", "/other"}));
    site.ClearRequests();
    EXPECT_TRUE(site.Requests().empty());
}

TEST(FakeSite, ShutsDownPromptlyWhileAHandlerStalls) {
    auto site = std::make_unique<fake::FakeSite>();
    site->Stall("/stall", "part", 100);
    int fd = Connect(site->Port());
    ASSERT_GE(fd, 0);
    std::string request = "GET /stall HTTP/1.1\r\nConnection: close\r\n\r\n";
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string reply;
    char buf[4096];
    ssize_t n;
    while (reply.find("\r\n\r\npart") == std::string::npos &&
           (n = ::recv(fd, buf, sizeof buf, 0)) > 0)
        reply.append(buf, static_cast<size_t>(n));
    ASSERT_NE(reply.find("Content-Length: 100"), std::string::npos) << reply;

    auto start = std::chrono::steady_clock::now();
    site.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_LE(::recv(fd, buf, sizeof buf, 0), 0);  // the connection is gone, body unfinished
    ::close(fd);
}

TEST(FakeSite, HttpsSiteServesWithTheTestCertificate) {
    ASSERT_FALSE(fake::TestCaFile().empty());
    fake::FakeSite site(true);
    ASSERT_TRUE(site.Ok());
    EXPECT_EQ(site.Base(), "https://127.0.0.1:" + std::to_string(site.Port()));
}

}  // namespace
