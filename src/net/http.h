#pragma once
// The HTTP request engine: one self-contained exchange per call, callable from any thread.
// Built on libcurl with one process-wide cookie store, a per-thread connection cache, time-outs,
// a body limit and http/https only. A failed exchange gives an empty body.

#include <string>

#include "app/runtime.h"

enum class HttpError {
    None,
    BadUrl,            // not http or https
    Connect,           // could not connect (refused, unreachable, DNS)
    Timeout,           // connect time-out or a transfer too slow for too long
    TooLarge,          // body over the limit
    Tls,               // certificate or handshake failure
    RedirectRefused,   // https -> http, or too many redirects
    Aborted,           // shutdown requested
    Transfer,          // any other transfer failure
};

struct HttpArgs {
    int Method = 0;          // 0 GET, 1 POST, 2 HEAD; anything else GET
    Text PostText;
    Text SendCookies;        // "a=1; b=2" or a whole "Cookie: ..." line; switches the store off
    Text ReceivedCookies;    // out
    Text ExtraHeaders;       // in and out: on return the whole header block that was sent
    Text ResponseHeaders;    // out: raw header block of the last response
    bool NoRedirect = false;
    Bytes PostBytes;         // in and out
    Text Proxy;
    // Why the body is empty (out).
    HttpError Error = HttpError::None;
    std::string ErrorMessage;
};

Bytes HttpRequest(const Text& url);
Bytes HttpRequest(const Text& url, HttpArgs& args);

// Why the last HttpRequest on this thread failed (None on success).
HttpError HttpLastError();

Text UrlHost(const Text& url, bool keepPort = false);
int UrlPort(const Text& url);
Text UrlPath(const Text& url);
Text TextAfterColon(const Text& text);
// The user agent a request with these caller header lines announces: the value of the caller's
// "User-Agent:" line (any letter case), else the default.
Text HttpUserAgent(const Text& extraHeaders);
// The header block a request sends: the caller's lines completed with Accept, Referer,
// Accept-Language, Content-Type and the caller's cookies, each added only when missing.
Text HttpHeaderBlock(const Text& url, const Text& extraHeaders, const Text& sendCookies);
// The raw response header block as handed back: "Set-Cookie" in any letter case written so.
Text HttpResponseHeaders(const Text& rawHeaders);
// The name=value pairs that the Set-Cookie lines of a response header block set, joined by "; ".
Text HttpReceivedCookies(const Text& responseHeaders);

// Limits; tests shorten them.
struct HttpLimits {
    long connectTimeoutMs = 15000;
    long lowSpeedBytesPerSec = 1;   // a transfer slower than this ...
    long lowSpeedTimeSec = 30;      // ... for this long is aborted
    long long maxBodyBytes = 64LL * 1024 * 1024;
    long maxRedirects = 10;
};
void SetHttpLimits(const HttpLimits& limits);
HttpLimits GetHttpLimits();
