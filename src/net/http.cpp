#include "net/http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

#include "net/extract.h"

namespace {

const char kDefaultUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// A stalled transfer is looked at this often, so a shutdown request ends it within a fraction
// of a second (libcurl itself would only call back about once a second).
constexpr int kStopPollMs = 50;

// ---- Limits ----

std::mutex gLimitsMutex;
HttpLimits gLimits;

// ---- The process-wide cookie store ----
//
// One libcurl share holding cookies only; libcurl 7.88 cannot share a connection cache between
// threads. It lives for the process: handles cached by threads may outlive any static object.

struct CookieStore {
    CURLSH* share = nullptr;
    std::mutex locks[CURL_LOCK_DATA_LAST];
};

void LockShare(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CookieStore*>(user)->locks[data].lock();
}

void UnlockShare(CURL*, curl_lock_data data, void* user) {
    static_cast<CookieStore*>(user)->locks[data].unlock();
}

CookieStore& Store() {
    static CookieStore* store = [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        auto* s = new CookieStore;
        s->share = curl_share_init();
        curl_share_setopt(s->share, CURLSHOPT_LOCKFUNC, LockShare);
        curl_share_setopt(s->share, CURLSHOPT_UNLOCKFUNC, UnlockShare);
        curl_share_setopt(s->share, CURLSHOPT_USERDATA, s);
        curl_share_setopt(s->share, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
        return s;
    }();
    return *store;
}

// libcurl 7.88 keeps the names given with CURLOPT_COOKIEFILE in a list that neither
// curl_easy_reset nor curl_easy_cleanup frees; clearing the option frees it. With the shared
// store attached this leaves the stored cookies alone.
void ForgetCookieFiles(CURL* easy) { curl_easy_setopt(easy, CURLOPT_COOKIEFILE, nullptr); }

// ---- Per-thread handles ----
//
// Each thread keeps one easy handle inside its own multi handle, so connections are kept
// between the calls of that thread and never used by two threads.

struct ThreadHandles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    ~ThreadHandles() {
        if (easy) {
            ForgetCookieFiles(easy);
            curl_easy_cleanup(easy);
        }
        if (multi) curl_multi_cleanup(multi);
    }
    bool Ready() {
        if (!easy) {
            Store();
            multi = curl_multi_init();
            easy = curl_easy_init();
        }
        return multi && easy;
    }
};

thread_local ThreadHandles tHandles;
thread_local HttpError tLastError = HttpError::None;

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

// What one hop of an exchange gathers.
struct Hop {
    std::string body;
    std::string headers;  // raw header block of the latest response seen
    long long maxBody = 0;
    bool tooLarge = false;
    bool headOnly = false;  // a HEAD with a body: stop once the response head is in
    bool headDone = false;
    char error[CURL_ERROR_SIZE] = {};
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* hop = static_cast<Hop*>(user);
    size_t n = size * count;
    if (static_cast<long long>(hop->body.size() + n) > hop->maxBody) {
        hop->tooLarge = true;
        return 0;  // abandons the transfer
    }
    hop->body.append(data, n);
    return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* hop = static_cast<Hop*>(user);
    size_t n = size * count;
    std::string_view line(data, n);
    // Interim responses (100 Continue) come first; only the final response's block is kept.
    if (line.substr(0, 5) == "HTTP/") hop->headers.clear();
    hop->headers.append(line);
    const bool interim = hop->headers.size() > 9 && hop->headers[9] == '1';  // "HTTP/1.1 1xx"
    if (hop->headOnly && !interim && (line == "\r\n" || line == "\n")) {
        hop->headDone = true;
        return 0;
    }
    return n;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && rt::ToLower(text.substr(0, prefix.size())) == prefix;
}

// An address with a scheme other than http and https ("file://", "ftp://" ...).
bool HasForeignScheme(std::string_view url) {
    size_t p = url.find("://");
    if (p == std::string_view::npos) return false;
    std::string_view scheme = url.substr(0, p);
    if (scheme.empty()) return true;
    if (!std::isalpha(static_cast<unsigned char>(scheme[0]))) return false;
    for (char c : scheme) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;  // not a scheme, e.g. "host/page?to=http://..."
    }
    Text lower = rt::ToLower(scheme);
    return lower != "http" && lower != "https";
}

bool HasControlBytes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

// Spaces and bytes outside ASCII may stand in links taken from pages; send them escaped.
std::string EscapePath(std::string_view path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : path) {
        auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7f) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

Text HttpUserAgent(const Text& extraHeaders) {
    int at = rt::Find(extraHeaders, "User-Agent:", 1, true);
    if (at < 0) return kDefaultUserAgent;
    Text agent = rt::Trim(TextBetween(extraHeaders + "\r\n", "User-Agent:", "\r\n"));
    if (!agent.empty()) return agent;
    // The name is written in another letter case: take the value of that line alone, so the
    // agent never swallows the lines after it.
    int valueStart = at + 11;
    int end = rt::Find(extraHeaders, "\r\n", valueStart);
    int length = (end < 0 ? static_cast<int>(extraHeaders.size()) + 1 : end) - valueStart;
    return rt::Trim(rt::Mid(extraHeaders, valueStart, length));
}

// The header block sent with every hop; tests are exact-case searches of the growing block.
Text HttpHeaderBlock(const Text& url, const Text& extraHeaders, const Text& sendCookies) {
    Text block = extraHeaders;
    if (block.empty()) {
        block = "Accept: */*";
    } else if (rt::Find(block, "Accept:") < 0) {
        block += "\r\nAccept: */*";
    }
    if (rt::Find(block, "Referer:") < 0) block += "\r\nReferer: " + url;
    if (rt::Find(block, "Accept-Language:") < 0) block += "\r\nAccept-Language: zh-cn";
    if (rt::Find(block, "Content-Type:") < 0)
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    if (!sendCookies.empty()) {
        if (rt::Find(sendCookies, "Cookie:") > 0) {
            block += "\r\n" + sendCookies;
        } else {
            block += "\r\nCookie: " + sendCookies;
        }
    }
    return block;
}

Text HttpResponseHeaders(const Text& rawHeaders) {
    return rt::Replace(rawHeaders, "Set-Cookie", "Set-Cookie", 1, -1, false);
}

// Header lines end at every CR LF, whatever byte stands before it: a header value is no GBK
// text, and a high byte just before the line break must not glue the next line onto it.
static std::vector<Text> HeaderLines(const Text& block) {
    std::vector<Text> lines;
    std::string_view rest(block);
    for (size_t at; (at = rest.find("\r\n")) != std::string_view::npos; rest.remove_prefix(at + 2))
        lines.emplace_back(rest.substr(0, at));
    if (!rest.empty()) lines.emplace_back(rest);
    return lines;
}

Text HttpReceivedCookies(const Text& responseHeaders) {
    Text cookies;
    for (const Text& line : HeaderLines(responseHeaders)) {
        if (rt::Find(line, "Set-Cookie") < 0) continue;
        Text piece = rt::Find(line, ";") > 0 ? TextBetween(line, "Set-Cookie:", ";")
                                             : rt::Replace(line, "Set-Cookie:", "", 1, -1, false);
        cookies += rt::Trim(piece) + "; ";
    }
    return rt::Left(cookies, static_cast<int>(cookies.size()) - 2);
}

namespace {

// The block as libcurl's list. libcurl would drop a line with an empty value and would add an
// "Expect:" line of its own for larger bodies; neither may change what is sent.
Slist HeaderList(const Text& block) {
    curl_slist* list = nullptr;
    bool hasExpect = false;
    for (const Text& line : rt::Split(block, "\r\n")) {
        if (line.empty()) continue;
        Text entry = line;
        int colon = rt::Find(line, ":");
        if (colon > 0 && rt::Trim(rt::Mid(line, colon + 1, static_cast<int>(line.size()))).empty())
            entry = rt::Left(line, colon - 1) + ";";
        if (StartsWithNoCase(line, "expect:")) hasExpect = true;
        if (curl_slist* grown = curl_slist_append(list, entry.c_str())) list = grown;
    }
    if (!hasExpect) {
        if (curl_slist* grown = curl_slist_append(list, "Expect:")) list = grown;
    }
    return Slist(list);
}

HttpError ErrorOf(CURLcode code, const Hop& hop) {
    if (hop.tooLarge) return HttpError::TooLarge;
    switch (code) {
        case CURLE_OK: return HttpError::None;
        case CURLE_UNSUPPORTED_PROTOCOL:
        case CURLE_URL_MALFORMAT: return HttpError::BadUrl;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_CONNECT: return HttpError::Connect;
        case CURLE_OPERATION_TIMEDOUT: return HttpError::Timeout;
        case CURLE_FILESIZE_EXCEEDED: return HttpError::TooLarge;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
        case CURLE_SSL_INVALIDCERTSTATUS: return HttpError::Tls;
        case CURLE_TOO_MANY_REDIRECTS: return HttpError::RedirectRefused;
        case CURLE_ABORTED_BY_CALLBACK: return HttpError::Aborted;
        default: return HttpError::Transfer;
    }
}

// Runs the configured easy handle to its end inside this thread's multi handle, looking at
// the shutdown flag between waits.
CURLcode Perform(ThreadHandles& h, bool& stopped) {
    CURLcode result = CURLE_OK;
    if (curl_multi_add_handle(h.multi, h.easy) != CURLM_OK) return CURLE_FAILED_INIT;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(h.multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        bool done = false;
        int queued = 0;
        while (CURLMsg* msg = curl_multi_info_read(h.multi, &queued)) {
            if (msg->msg == CURLMSG_DONE && msg->easy_handle == h.easy) {
                result = msg->data.result;
                done = true;
            }
        }
        if (done) break;
        if (rt::StopRequested()) {
            stopped = true;
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        curl_multi_poll(h.multi, nullptr, 0, kStopPollMs, nullptr);
    }
    // An unfinished transfer's connection is closed here rather than kept.
    curl_multi_remove_handle(h.multi, h.easy);
    return result;
}

enum class Verb { Get, Post, Head };

// Sets every option of one hop on a handle that curl_easy_reset has left clean.
void Configure(CURL* easy, const std::string& address, Verb verb, const Bytes& body,
               const Text& userAgent, curl_slist* headers, bool useStore, const Text& proxy,
               const HttpLimits& limits, Hop& hop) {
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);  // followed here, hop by hop
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str());
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(easy, CURLOPT_SHARE, useStore ? Store().share : nullptr);
    if (useStore) curl_easy_setopt(easy, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str());  // "" also ignores *_proxy variables
    if (const char* ca = std::getenv("CURL_CA_BUNDLE"); ca && *ca)
        curl_easy_setopt(easy, CURLOPT_CAINFO, ca);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs);
    if (limits.lowSpeedTimeSec > 0) {
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSec);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, limits.lowSpeedTimeSec);
    }
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(limits.maxBodyBytes));
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &hop);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &hop);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, hop.error);
    switch (verb) {
        case Verb::Get: curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L); break;
        case Verb::Post:
            curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body.size()));
            curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
            break;
        case Verb::Head:
            if (body.empty()) {
                curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
            } else {
                // libcurl sends no body with its own HEAD; send it as a POST named HEAD and
                // stop reading once the response head is complete.
                curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE,
                                 static_cast<curl_off_t>(body.size()));
                curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data());
                curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "HEAD");
                hop.headOnly = true;
            }
            break;
    }
}

bool IsRedirect(long status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

Bytes Fail(HttpArgs& args, HttpError error, std::string message) {
    args.Error = error;
    args.ErrorMessage = std::move(message);
    tLastError = error;
    return {};
}

}  // namespace

Bytes HttpRequest(const Text& url) {
    HttpArgs args;
    return HttpRequest(url, args);
}

Bytes HttpRequest(const Text& url, HttpArgs& args) {
    args.Error = HttpError::None;
    args.ErrorMessage.clear();
    tLastError = HttpError::None;

    const int method = args.Method < 0 || args.Method > 2 ? 0 : args.Method;
    Verb verb = method == 1 ? Verb::Post : method == 2 ? Verb::Head : Verb::Get;
    if (HasForeignScheme(url))
        return Fail(args, HttpError::BadUrl, "only http and https addresses are fetched: " + url);
    if (HasControlBytes(url))
        return Fail(args, HttpError::BadUrl, "the address holds control characters");

    const bool secure = StartsWithNoCase(url, "https://");
    const Text userAgent = HttpUserAgent(args.ExtraHeaders);
    std::string address = std::string(secure ? "https://" : "http://") + UrlHost(url, false) +
                          ":" + std::to_string(UrlPort(url)) + EscapePath(UrlPath(url));

    args.ExtraHeaders = HttpHeaderBlock(url, args.ExtraHeaders, args.SendCookies);
    Slist headers = HeaderList(args.ExtraHeaders);
    if (verb != Verb::Get && args.PostBytes.empty()) args.PostBytes = rt::BytesToText(args.PostText);

    HttpLimits limits = GetHttpLimits();
    ThreadHandles& h = tHandles;
    if (!h.Ready()) return Fail(args, HttpError::Transfer, "libcurl could not be set up");

    for (long redirects = 0;; ++redirects) {
        Hop hop;
        hop.maxBody = limits.maxBodyBytes;
        Configure(h.easy, address, verb, args.PostBytes, userAgent, headers.get(),
                  args.SendCookies.empty(), args.Proxy, limits, hop);
        bool stopped = false;
        CURLcode code = Perform(h, stopped);
        long status = 0;
        curl_easy_getinfo(h.easy, CURLINFO_RESPONSE_CODE, &status);
        char* location = nullptr;
        curl_easy_getinfo(h.easy, CURLINFO_REDIRECT_URL, &location);
        std::string next = location ? location : "";
        // The handle points into this hop's buffers; leave it clean for the next call.
        ForgetCookieFiles(h.easy);
        curl_easy_reset(h.easy);

        if (code != CURLE_OK && !(hop.headDone && code == CURLE_WRITE_ERROR)) {
            HttpError error = stopped ? HttpError::Aborted : ErrorOf(code, hop);
            std::string why = stopped        ? std::string("stopped for shutdown")
                              : hop.tooLarge ? "body larger than " +
                                                   std::to_string(limits.maxBodyBytes) + " bytes"
                              : hop.error[0] ? std::string(hop.error)
                                             : std::string(curl_easy_strerror(code));
            return Fail(args, error, why + " (" + address + ")");
        }

        if (!args.NoRedirect && IsRedirect(status) && !next.empty()) {
            if (!StartsWithNoCase(next, "http://") && !StartsWithNoCase(next, "https://"))
                return Fail(args, HttpError::RedirectRefused, "redirect to " + next + " refused");
            // As browsers do, a secure page never hands the reader on to a plain one.
            if (StartsWithNoCase(address, "https://") && !StartsWithNoCase(next, "https://"))
                return Fail(args, HttpError::RedirectRefused,
                            "redirect from https to http refused: " + next);
            if (redirects >= limits.maxRedirects)
                return Fail(args, HttpError::RedirectRefused,
                            "more than " + std::to_string(limits.maxRedirects) + " redirects");
            // A POST answered with 301, 302 or 303 continues as a GET, as browsers do.
            if (verb == Verb::Post && status != 307 && status != 308) verb = Verb::Get;
            address = next;
            continue;
        }

        args.ResponseHeaders = HttpResponseHeaders(hop.headers);
        args.ReceivedCookies = HttpReceivedCookies(args.ResponseHeaders);
        return std::move(hop.body);
    }
}

HttpError HttpLastError() { return tLastError; }

Text UrlHost(const Text& url, bool keepPort) {
    Text copy = rt::ToLower(url);
    if (copy.empty() || copy.back() != '/') copy += '/';
    Text scheme = "https://";
    if (copy.rfind(scheme, 0) != 0) {
        scheme = "http://";
        // Only a leading scheme counts: an address without one may still carry "http://" in
        // its query, and that must not become the host.
        if (copy.rfind(scheme, 0) != 0) copy = scheme + copy;
    }
    Text hostAndPort = TextBetween(copy, scheme, "/");
    if (keepPort) return hostAndPort;
    int colon = rt::Find(hostAndPort, ":");
    return colon > 0 ? rt::Left(hostAndPort, colon - 1) : hostAndPort;
}

int UrlPort(const Text& url) {
    Text hostAndPort = UrlHost(url, true);
    int colon = rt::FindBack(hostAndPort, ":");
    if (colon > 0) return rt::ToInt(rt::Mid(hostAndPort, colon + 1, static_cast<int>(hostAndPort.size())));
    return rt::ToLower(rt::Left(url, 5)) == "https" ? 443 : 80;
}

Text UrlPath(const Text& url) {
    int hostAt = rt::Find(url, UrlHost(url, false), 1, true);
    int slash = rt::Find(url, "/", hostAt, true);
    if (slash < 0) return "/";
    return rt::Mid(url, slash, static_cast<int>(url.size()));
}

Text TextAfterColon(const Text& text) {
    int colon = rt::Find(text, ":");
    if (colon < 0) return {};
    return rt::Trim(rt::Mid(text, colon + 1, static_cast<int>(text.size())));
}

void SetHttpLimits(const HttpLimits& limits) {
    std::lock_guard lock(gLimitsMutex);
    gLimits = limits;
}

HttpLimits GetHttpLimits() {
    std::lock_guard lock(gLimitsMutex);
    return gLimits;
}
