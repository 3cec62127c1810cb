// HttpRequest against the fake sites: the exact request on the wire, methods and bodies,
// redirects and the cookie store.
//
// The cookie store lives for the whole test process and cookies ignore ports, so every test
// that sets cookies does it below a path of its own ("/jarN/"); the other tests never see them.

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "net/http.h"
#include "support/fake_site.h"

namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

const std::string kAgent = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
const std::string kFormType = "Content-Type: application/x-www-form-urlencoded";

// The header lines a site received, Host first as libcurl writes it.
Lines Wire(const fake::RecordedRequest& r) { return r.HeaderLines(); }

// Makes the HTTPS fake sites trusted for the lifetime of the object.
class TrustTestCa {
public:
    TrustTestCa() { setenv("CURL_CA_BUNDLE", fake::TestCaFile().c_str(), 1); }
    ~TrustTestCa() { unsetenv("CURL_CA_BUNDLE"); }
};

TEST(HttpRequest, DefaultRequestOnTheWire) {
    fake::FakeSite site;
    site.Page("/book/1.html?x=1", "<html>one</html>");
    const std::string url = site.Url("/book/1.html?x=1");
    HttpArgs args;
    EXPECT_EQ(HttpRequest(url, args), "<html>one</html>");
    EXPECT_EQ(args.Error, HttpError::None);
    EXPECT_EQ(HttpLastError(), HttpError::None);

    auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/book/1.html?x=1");
    EXPECT_EQ(requests[0].version, "HTTP/1.1");
    Lines expected = {"Host: 127.0.0.1:" + std::to_string(site.Port()),
                      "User-Agent: " + kAgent,
                      "Accept: */*",
                      "Referer: " + url,
                      "Accept-Language: zh-cn",
                      kFormType};
    EXPECT_EQ(Wire(requests[0]), expected);
    EXPECT_EQ(args.ExtraHeaders, "Accept: */*\r\nReferer: " + url +
                                     "\r\nAccept-Language: zh-cn\r\n" + kFormType);
}

TEST(HttpRequest, HeaderBlockFromCallerLinesAndCookies) {
    fake::FakeSite site;
    site.Page("/h", "ok");
    const std::string url = site.Url("/h");
    const std::string host = "Host: 127.0.0.1:" + std::to_string(site.Port());
    struct Case {
        const char* name;
        std::string extra, cookies;
        std::string block;  // ExtraHeaders on return
        Lines wire;         // what the site received
    } cases[] = {
        {"own referer kept, no second one", "Referer: http://elsewhere/list", "",
         "Referer: http://elsewhere/list\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n" + kFormType,
         {host, "User-Agent: " + kAgent, "Referer: http://elsewhere/list", "Accept: */*",
          "Accept-Language: zh-cn", kFormType}},
        {"lower-case accept still gets the exact-case line", "accept: text/html", "",
         "accept: text/html\r\nAccept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" +
             kFormType,
         {host, "User-Agent: " + kAgent, "accept: text/html", "Accept: */*", "Referer: " + url,
          "Accept-Language: zh-cn", kFormType}},
        {"lower-case user-agent line replaces the default agent", "user-agent:  Reader/2.0 ", "",
         "user-agent:  Reader/2.0 \r\nAccept: */*\r\nReferer: " + url +
             "\r\nAccept-Language: zh-cn\r\n" + kFormType,
         {host, "user-agent: Reader/2.0", "Accept: */*", "Referer: " + url,
          "Accept-Language: zh-cn", kFormType}},
        {"all four given, nothing appended",
         "Content-Type: text/plain\r\nAccept-Language: en\r\nReferer: r\r\nAccept: a", "",
         "Content-Type: text/plain\r\nAccept-Language: en\r\nReferer: r\r\nAccept: a",
         {host, "User-Agent: " + kAgent, "Content-Type: text/plain", "Accept-Language: en",
          "Referer: r", "Accept: a"}},
        {"cookie pairs", "", "a=1; b=2",
         "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" + kFormType +
             "\r\nCookie: a=1; b=2",
         {host, "User-Agent: " + kAgent, "Accept: */*", "Referer: " + url,
          "Accept-Language: zh-cn", kFormType, "Cookie: a=1; b=2"}},
        {"whole cookie line", "", "Cookie: z=9",
         "Accept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn\r\n" + kFormType +
             "\r\nCookie: z=9",
         {host, "User-Agent: " + kAgent, "Accept: */*", "Referer: " + url,
          "Accept-Language: zh-cn", kFormType, "Cookie: z=9"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        site.ClearRequests();
        HttpArgs args;
        args.ExtraHeaders = c.extra;
        args.SendCookies = c.cookies;
        EXPECT_EQ(HttpRequest(url, args), "ok");
        EXPECT_EQ(args.ExtraHeaders, c.block);
        auto requests = site.Requests();
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_EQ(Wire(requests[0]), c.wire);
    }
}

TEST(HttpRequest, MethodsAndBodies) {
    fake::FakeSite site;
    site.Handle("/echo", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content("got " + req.method + " " + std::to_string(req.body.size()),
                        "text/plain");
    });
    const std::string binary("a\0b\xff\r\n", 6);
    const std::string large(200000, 'q');  // large enough for libcurl to want "Expect:"
    struct Case {
        const char* name;
        int method;
        std::string postText;
        std::string postBytes;
        std::string wantMethod, wantBody, wantReply, wantPostBytes;
    } cases[] = {
        {"GET ignores the post text", 0, "x=1", "", "GET", "", "got GET 0", ""},
        {"unknown method number is GET", 7, "x=1", "", "GET", "", "got GET 0", ""},
        {"negative method number is GET", -1, "", "", "GET", "", "got GET 0", ""},
        {"POST sends the text", 1, "name=%D0%A1", "", "POST", "name=%D0%A1", "got POST 11",
         "name=%D0%A1"},
        {"POST text ends at its zero byte", 1, std::string("ab\0cd", 5), "", "POST", "ab",
         "got POST 2", "ab"},
        {"POST bytes win over text", 1, "ignored", binary, "POST", binary, "got POST 6", binary},
        {"POST with nothing sends an empty body", 1, "", "", "POST", "", "got POST 0", ""},
        {"large POST, no Expect", 1, large, "", "POST", large, "got POST 200000", large},
        {"HEAD returns no body", 2, "", "", "HEAD", "", "", ""},
        {"HEAD sends its text", 2, "k=v", "", "HEAD", "k=v", "", "k=v"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        site.ClearRequests();
        HttpArgs args;
        args.Method = c.method;
        args.PostText = c.postText;
        args.PostBytes = c.postBytes;
        EXPECT_EQ(HttpRequest(site.Url("/echo"), args), c.wantReply);
        EXPECT_EQ(args.Error, HttpError::None) << args.ErrorMessage;
        EXPECT_EQ(args.PostBytes, c.wantPostBytes);
        EXPECT_EQ(args.ResponseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
        auto requests = site.Requests();
        ASSERT_EQ(requests.size(), 1u);
        const auto& r = requests[0];
        EXPECT_EQ(r.method, c.wantMethod);
        EXPECT_EQ(r.body, c.wantBody);
        EXPECT_EQ(r.Header("Expect"), "");
        EXPECT_EQ(r.Header("Content-Length"),
                  c.wantMethod == "GET" || (c.method == 2 && c.postText.empty())
                      ? ""
                      : std::to_string(c.wantBody.size()));
        // The block is the same whatever the method; libcurl adds only Host and Content-Length.
        Lines names;
        for (const auto& h : r.headers) names.push_back(h.first);
        Lines expected = {"Host", "User-Agent", "Accept", "Referer", "Accept-Language",
                          "Content-Type"};
        if (!r.Header("Content-Length").empty()) expected.push_back("Content-Length");
        EXPECT_EQ(names, expected);
    }
}

TEST(HttpRequest, BodySpanningManyReadsArrivesWhole) {
    std::string page;
    for (int i = 0; page.size() < 3 * 1024 * 1024; ++i) page += static_cast<char>(i * 7 % 256);
    fake::FakeSite site;
    site.Page("/big", page, "application/octet-stream");
    Bytes body = HttpRequest(site.Url("/big"));
    EXPECT_EQ(body.size(), page.size());
    EXPECT_TRUE(body == page);
}

TEST(HttpRequest, ResponseHeadersKeepTheWholeBlock) {
    fake::FakeSite site;
    std::string longValue(9000, 'v');  // beyond the old 5000-byte buffer
    site.Handle("/h", [&](const httplib::Request&, httplib::Response& res) {
        res.set_header("X-Long", longValue);
        res.set_content("body", "text/plain");
    });
    HttpArgs args;
    EXPECT_EQ(HttpRequest(site.Url("/h"), args), "body");
    EXPECT_EQ(args.ResponseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_NE(args.ResponseHeaders.find("\r\nX-Long: " + longValue + "\r\n"), std::string::npos);
    EXPECT_NE(args.ResponseHeaders.find("\r\nContent-Length: 4\r\n"), std::string::npos);
    EXPECT_EQ(args.ResponseHeaders.substr(args.ResponseHeaders.size() - 4), "\r\n\r\n");
    EXPECT_EQ(args.ReceivedCookies, "");
}

TEST(HttpRequest, RedirectsFollowedWithTheSameHeaderBlock) {
    fake::FakeSite site;
    site.Redirect("/r1", "/r2?k=v", 301);
    site.Redirect("/r2?k=v", site.Url("/final"), 302);
    site.Page("/final", "arrived");
    const std::string url = site.Url("/r1");
    HttpArgs args;
    EXPECT_EQ(HttpRequest(url, args), "arrived");
    EXPECT_EQ(args.ResponseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
    EXPECT_EQ(site.Targets(), (Lines{"/r1", "/r2?k=v", "/final"}));
    for (const auto& r : site.Requests()) {
        SCOPED_TRACE(r.target);
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(Wire(r), (Lines{"Host: 127.0.0.1:" + std::to_string(site.Port()),
                                  "User-Agent: " + kAgent, "Accept: */*", "Referer: " + url,
                                  "Accept-Language: zh-cn", kFormType}));
    }
}

TEST(HttpRequest, NoRedirectReturnsTheRedirectItself) {
    fake::FakeSite site;
    site.Handle("/moved", [](const httplib::Request&, httplib::Response& res) {
        res.set_redirect("/elsewhere", 302);
        res.set_content("see elsewhere", "text/plain");
    });
    site.Page("/elsewhere", "should not be fetched");
    HttpArgs args;
    args.NoRedirect = true;
    EXPECT_EQ(HttpRequest(site.Url("/moved"), args), "see elsewhere");
    EXPECT_EQ(args.ResponseHeaders.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);
    EXPECT_NE(args.ResponseHeaders.find("\r\nLocation: /elsewhere\r\n"), std::string::npos);
    EXPECT_EQ(site.Targets(), (Lines{"/moved"}));
}

TEST(HttpRequest, PostAnsweredWithSeeOtherContinuesAsGet) {
    fake::FakeSite site;
    site.Redirect("/form", "/done", 303);
    site.Redirect("/keep", "/done", 307);
    site.Handle("/done", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.method + ":" + req.body, "text/plain");
    });
    HttpArgs post;
    post.Method = 1;
    post.PostText = "a=1";
    EXPECT_EQ(HttpRequest(site.Url("/form"), post), "GET:");
    HttpArgs keep;
    keep.Method = 1;
    keep.PostText = "a=1";
    EXPECT_EQ(HttpRequest(site.Url("/keep"), keep), "POST:a=1");
}

TEST(HttpRequest, RedirectBetweenSchemes) {
    TrustTestCa trust;
    fake::FakeSite plain;
    fake::FakeSite secure(true);
    ASSERT_TRUE(secure.Ok());
    plain.Redirect("/up", secure.Url("/page"));
    secure.Page("/page", "secure page");
    secure.Redirect("/down", plain.Url("/page"));
    plain.Page("/page", "plain page");

    HttpArgs up;
    EXPECT_EQ(HttpRequest(plain.Url("/up"), up), "secure page");
    EXPECT_EQ(up.Error, HttpError::None) << up.ErrorMessage;
    EXPECT_EQ(secure.Targets(), (Lines{"/page"}));

    HttpArgs down;
    down.ResponseHeaders = "untouched";
    EXPECT_EQ(HttpRequest(secure.Url("/down"), down), "");
    EXPECT_EQ(down.Error, HttpError::RedirectRefused);
    EXPECT_EQ(HttpLastError(), HttpError::RedirectRefused);
    EXPECT_EQ(down.ResponseHeaders, "untouched");
    EXPECT_EQ(plain.Targets(), (Lines{"/up"}));  // the plain page was never asked for
}

TEST(HttpRequest, RedirectLoopAndForeignSchemesStop) {
    fake::FakeSite site;
    site.Redirect("/loop", "/loop");
    site.Redirect("/to-file", "file:///etc/passwd");
    site.Redirect("/to-ftp", "ftp://127.0.0.1/x");

    HttpArgs loop;
    EXPECT_EQ(HttpRequest(site.Url("/loop"), loop), "");
    EXPECT_EQ(loop.Error, HttpError::RedirectRefused);
    EXPECT_EQ(site.Requests().size(), 11u);  // the first request and ten redirects

    for (const char* target : {"/to-file", "/to-ftp"}) {
        SCOPED_TRACE(target);
        HttpArgs args;
        EXPECT_EQ(HttpRequest(site.Url(target), args), "");
        EXPECT_EQ(args.Error, HttpError::RedirectRefused);
    }
}

TEST(HttpRequest, ExactlyTenRedirectsAreFollowed) {
    fake::FakeSite site;
    for (int i = 0; i < 10; ++i)
        site.Redirect("/hop" + std::to_string(i), "/hop" + std::to_string(i + 1));
    site.Page("/hop10", "end");
    EXPECT_EQ(HttpRequest(site.Url("/hop0")), "end");
}

TEST(HttpRequest, CookieSetOnOneThreadIsSentFromAnother) {
    fake::FakeSite site;
    site.SetCookies("/jar1/login", {"sid=abc123; Path=/jar1; HttpOnly"});
    site.Handle("/jar1/read", [](const httplib::Request& req, httplib::Response& res) {
        res.set_content(req.get_header_value("Cookie"), "text/plain");
    });
    HttpArgs login;
    std::thread first([&] { HttpRequest(site.Url("/jar1/login"), login); });
    first.join();
    EXPECT_EQ(login.ReceivedCookies, "sid=abc123");

    Bytes seen;
    std::thread second([&] { seen = HttpRequest(site.Url("/jar1/read")); });
    second.join();
    EXPECT_EQ(seen, "sid=abc123");
    auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[1].Header("Cookie"), "sid=abc123");
}

TEST(HttpRequest, ReceivedCookiesFromSetCookieLines) {
    fake::FakeSite site;
    site.SetCookies("/jar2/two", {"a=1; Path=/jar2; Max-Age=60", "b=2"});
    site.Handle("/jar2/shout", [](const httplib::Request&, httplib::Response& res) {
        res.headers.emplace("SET-COOKIE", "c=3; Path=/jar2");
        res.set_content("ok", "text/plain");
    });
    HttpArgs two;
    HttpRequest(site.Url("/jar2/two"), two);
    EXPECT_EQ(two.ReceivedCookies, "a=1; b=2");

    HttpArgs shout;
    HttpRequest(site.Url("/jar2/shout"), shout);
    EXPECT_NE(shout.ResponseHeaders.find("\r\nSet-Cookie: c=3; Path=/jar2\r\n"),
              std::string::npos);
    EXPECT_EQ(shout.ReceivedCookies, "c=3");
}

// Header lines end at every CR LF: a cookie value whose last byte is above 0x7F must not take
// the next header line with it.
TEST(HttpRequest, ReceivedCookiesEndAtEveryLineBreak) {
    struct Case {
        const char* name;
        Text headers;
        Text cookies;
    } cases[] = {
        {"high byte before the line break",
         "HTTP/1.1 200 OK\r\nSet-Cookie: b=\xb2\r\nContent-Length: 0\r\nSet-Cookie: a=1; Path=/",
         "b=\xb2; a=1"},
        {"second line without attributes", "HTTP/1.1 200 OK\r\nset-cookie: x=\xd6\xd0\r\nX: y",
         "x=\xd6\xd0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HttpReceivedCookies(HttpResponseHeaders(c.headers)), c.cookies);
    }
}

TEST(HttpRequest, SendCookiesSwitchesTheStoreOff) {
    fake::FakeSite site;
    site.SetCookies("/jar3/set", {"stored=1; Path=/jar3"});
    site.SetCookies("/jar3/set-private", {"private=2; Path=/jar3"});
    site.Page("/jar3/read", "ok");

    HttpRequest(site.Url("/jar3/set"));
    HttpArgs own;
    own.SendCookies = "mine=7";
    HttpRequest(site.Url("/jar3/set-private"), own);
    EXPECT_EQ(own.ReceivedCookies, "private=2");  // reported, but not kept
    HttpRequest(site.Url("/jar3/read"));

    auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[1].HeaderLines().back(), "Cookie: mine=7");
    int cookieLines = 0;
    for (const auto& h : requests[1].headers) cookieLines += h.first == "Cookie";
    EXPECT_EQ(cookieLines, 1);
    EXPECT_EQ(requests[2].Header("Cookie"), "stored=1");
}

TEST(HttpRequest, ConcurrentCallsShareOneCookieStore) {
    fake::FakeSite site;
    constexpr int kThreads = 6, kRounds = 20;
    site.HandlePrefix("/jar4/", [](const httplib::Request& req, httplib::Response& res) {
        // "/jar4/set/N/R" sets cookie tN=R; "/jar4/get" echoes what was sent.
        if (req.target.rfind("/jar4/set/", 0) == 0) {
            std::string rest = req.target.substr(10);
            std::string n = rest.substr(0, rest.find('/'));
            std::string r = rest.substr(rest.find('/') + 1);
            res.set_header("Set-Cookie", "t" + n + "=" + r + "; Path=/jar4");
        }
        res.set_content(req.get_header_value("Cookie"), "text/plain");
    });
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int n = 0; n < kThreads; ++n) {
        threads.emplace_back([&, n] {
            for (int r = 0; r < kRounds; ++r) {
                std::string set = "/jar4/set/" + std::to_string(n) + "/" + std::to_string(r);
                HttpRequest(site.Url(set));
                Bytes sent = HttpRequest(site.Url("/jar4/get"));
                std::string mine = "t" + std::to_string(n) + "=" + std::to_string(r);
                if (sent.find(mine) == std::string::npos) failures.fetch_add(1);
            }
        });
    }
    for (auto& t : threads) t.join();
    EXPECT_EQ(failures.load(), 0);
    Bytes all = HttpRequest(site.Url("/jar4/get"));
    for (int n = 0; n < kThreads; ++n)
        EXPECT_NE(all.find("t" + std::to_string(n) + "=" + std::to_string(kRounds - 1)),
                  std::string::npos)
            << all;
}

TEST(HttpRequest, ConnectionIsReusedWithinAThread) {
    fake::FakeSite site;
    site.Page("/a", "a");
    for (int i = 0; i < 5; ++i) EXPECT_EQ(HttpRequest(site.Url("/a")), "a");
    EXPECT_EQ(site.Connections(), 1);
    std::thread other([&] { EXPECT_EQ(HttpRequest(site.Url("/a")), "a"); });
    other.join();
    EXPECT_EQ(site.Connections(), 2);
}

TEST(HttpRequest, ProxyReceivesTheWholeAddress) {
    fake::FakeSite proxy;
    // Port 9 is never contacted: the proxy is asked for the page instead.
    proxy.Page("http://127.0.0.1:9/via/proxy.html", "from the proxy");
    HttpArgs args;
    args.Proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    EXPECT_EQ(HttpRequest("http://127.0.0.1:9/via/proxy.html", args), "from the proxy");
    EXPECT_EQ(args.Error, HttpError::None) << args.ErrorMessage;
    EXPECT_EQ(proxy.Targets(), (Lines{"http://127.0.0.1:9/via/proxy.html"}));
}

TEST(HttpRequest, StatusOfAnErrorPageIsIgnored) {
    fake::FakeSite site;
    site.Status("/broken", 500, "<h1>oops</h1>");
    HttpArgs args;
    EXPECT_EQ(HttpRequest(site.Url("/broken"), args), "<h1>oops</h1>");
    EXPECT_EQ(args.Error, HttpError::None);
    EXPECT_EQ(args.ResponseHeaders.rfind("HTTP/1.1 500 Internal Server Error\r\n", 0), 0u);
    EXPECT_EQ(HttpRequest(site.Url("/missing")), "");  // 404 with an empty body
}

TEST(HttpRequest, HttpsWithTheTestCa) {
    TrustTestCa trust;
    fake::FakeSite site(true);
    ASSERT_TRUE(site.Ok());
    site.Page("/secure/page", "over tls");
    const std::string url = site.Url("/secure/page");
    HttpArgs args;
    EXPECT_EQ(HttpRequest(url, args), "over tls");
    EXPECT_EQ(args.Error, HttpError::None) << args.ErrorMessage;
    auto requests = site.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].version, "HTTP/1.1");
    EXPECT_EQ(Wire(requests[0]), (Lines{"Host: 127.0.0.1:" + std::to_string(site.Port()),
                                        "User-Agent: " + kAgent, "Accept: */*",
                                        "Referer: " + url, "Accept-Language: zh-cn", kFormType}));
    // Upper-case scheme letters still mean TLS.
    EXPECT_EQ(HttpRequest("HTTPS://127.0.0.1:" + std::to_string(site.Port()) + "/secure/page"),
              "over tls");
}

TEST(HttpRequest, UntrustedCertificateGivesAnEmptyBody) {
    fake::FakeSite site(true);
    ASSERT_TRUE(site.Ok());
    site.Page("/p", "secret");
    unsetenv("CURL_CA_BUNDLE");
    HttpArgs args;
    EXPECT_EQ(HttpRequest(site.Url("/p"), args), "");
    EXPECT_EQ(args.Error, HttpError::Tls) << args.ErrorMessage;
    EXPECT_TRUE(site.Requests().empty());
}

}  // namespace
