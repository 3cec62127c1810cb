// The request's header block and the parsing of response headers and cookies, on any text:
// no crash; the block keeps the caller's lines in front and always names the four defaults;
// the cookies never hold a line break, and "Set-Cookie" reads the same in any letter case.
#include "fuzz_common.h"
#include "net/http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = fuzz::Parts(data, size, 3);
    const Text block = HttpHeaderBlock(p[0], p[1], p[2]);
    if (block.compare(0, p[1].size(), p[1]) != 0) fuzz::Fail("caller's lines not kept in front");
    for (const char* name : {"Accept:", "Referer:", "Accept-Language:", "Content-Type:"})
        if (rt::Find(block, name) < 0) fuzz::Fail("a default header is missing");
    (void)HttpUserAgent(p[1]);

    const Text headers = HttpResponseHeaders(p[0]);
    if (headers.size() != p[0].size()) fuzz::Fail("normalising changed the length");
    const Text cookies = HttpReceivedCookies(headers);
    // A well-formed block has no CR or LF but in its line breaks; with a stray one, removing
    // "Set-Cookie:" from between a CR and an LF could make a line break of them.
    bool stray = false;
    for (size_t i = 0; i < p[0].size(); ++i) {
        const bool pairCr = p[0][i] == '\r' && i + 1 < p[0].size() && p[0][i + 1] == '\n';
        const bool pairLf = p[0][i] == '\n' && i > 0 && p[0][i - 1] == '\r';
        if ((p[0][i] == '\r' && !pairCr) || (p[0][i] == '\n' && !pairLf)) stray = true;
    }
    if (!stray && cookies.find("\r\n") != Text::npos) fuzz::Fail("a cookie holds a line break");
    if (HttpReceivedCookies(HttpResponseHeaders(rt::ToUpper(p[0]))) !=
        HttpReceivedCookies(HttpResponseHeaders(rt::ToUpper(headers))))
        fuzz::Fail("letter case of Set-Cookie changed the cookies");
    return 0;
}
