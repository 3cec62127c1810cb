// The address routines HttpRequest connects with, and the user agent it announces.

#include <string>

#include <gtest/gtest.h>

#include "net/http.h"

namespace {

TEST(HttpAddress, HostPortAndPath) {
    struct Case {
        const char* name;
        const char* url;
        const char* host;
        const char* hostWithPort;
        int port;
        const char* path;
    } cases[] = {
        {"capitals, port 8080, path and query", "http://WWW.Example.COM:8080/Book/12.html?A=B",
         "www.example.com", "www.example.com:8080", 8080, "/Book/12.html?A=B"},
        {"https without a path", "https://secure.example.com", "secure.example.com",
         "secure.example.com", 443, "/"},
        {"https with a trailing slash", "https://secure.example.com/", "secure.example.com",
         "secure.example.com", 443, "/"},
        {"upper-case https scheme", "HTTPS://Secure.Example.com/x", "secure.example.com",
         "secure.example.com", 443, "/x"},
        {"no scheme is http", "Example.com/list?page=2", "example.com", "example.com", 80,
         "/list?page=2"},
        {"no scheme, no path", "example.com", "example.com", "example.com", 80, "/"},
        {"no scheme, another address in the query", "example.com/go?to=http://other.net/x",
         "example.com", "example.com", 80, "/go?to=http://other.net/x"},
        {"http with another address in the query", "http://a.cn/go?to=http://b.cn/",
         "a.cn", "a.cn", 80, "/go?to=http://b.cn/"},
        {"port on https", "https://127.0.0.1:8443/p", "127.0.0.1", "127.0.0.1:8443", 8443, "/p"},
        {"host name repeated in the path", "http://abc.com/abc.com/x", "abc.com", "abc.com", 80,
         "/abc.com/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UrlHost(c.url), c.host);
        EXPECT_EQ(UrlHost(c.url, true), c.hostWithPort);
        EXPECT_EQ(UrlPort(c.url), c.port);
        EXPECT_EQ(UrlPath(c.url), c.path);
    }
}

TEST(HttpAddress, TextAfterColon) {
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"User-Agent:  Reader 1.0  ", "Reader 1.0"},
        {"a:b:c", "b:c"},
        {"no colon here", ""},
        {"ends with:", ""},
        {"", ""},
        {"tab:\tkept", "\tkept"},  // only blanks are trimmed
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TextAfterColon(c.text), c.expected);
    }
}

TEST(HttpAddress, UserAgentFromCallerLines) {
    const std::string kDefault = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
    struct Case {
        const char* name;
        std::string headers;
        std::string agent;
    } cases[] = {
        {"none given", "", kDefault},
        {"other lines only", "Accept: text/html\r\nReferer: x", kDefault},
        {"exact case", "Accept: a\r\nUser-Agent:  Reader/1 \r\nReferer: x", "Reader/1"},
        {"exact case, last line", "Accept: a\r\nUser-Agent: Reader/2", "Reader/2"},
        {"lower case, one line", "user-agent:  Reader/3 ", "Reader/3"},
        // The value of that line alone: never the lines after it.
        {"lower case among other lines", "Accept: a\r\nuser-agent: Reader/4\r\nReferer: x",
         "Reader/4"},
        {"lower case, first line", "USER-AGENT: Reader/5\r\nAccept: a", "Reader/5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(HttpUserAgent(c.headers), c.agent);
    }
}

}  // namespace
