// sorvane-fetch: fetches one address with the program's own request and writes the body to
// standard output, so a person can look at a site's markup exactly as the program sees it.

#include <cstdio>
#include <string>
#include <string_view>

#include "net/http.h"

namespace {

const char kUsage[] =
    "usage: sorvane-fetch URL [-i]\n"
    "  Fetches URL as Sorvane does and writes the body to standard output.\n"
    "  -i  print the raw response headers before the body\n"
    "Exit status: 0 when a body arrived, 1 when it is empty, 2 on wrong usage.\n";

bool WriteAll(std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size();
}

const char* ErrorName(HttpError error) {
    switch (error) {
        case HttpError::None: return "none";
        case HttpError::BadUrl: return "bad address";
        case HttpError::Connect: return "could not connect";
        case HttpError::Timeout: return "timed out";
        case HttpError::TooLarge: return "body too large";
        case HttpError::Tls: return "TLS failure";
        case HttpError::RedirectRefused: return "redirect refused";
        case HttpError::Aborted: return "aborted";
        case HttpError::Transfer: return "transfer failed";
    }
    return "unknown";
}

}  // namespace

int main(int argc, char** argv) {
    std::string url;
    bool showHeaders = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (arg == "-i") {
            showHeaders = true;
        } else if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (url.empty() && !arg.empty() && arg[0] != '-') {
            url = arg;
        } else {
            std::fputs(kUsage, stderr);
            return 2;
        }
    }
    if (url.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    HttpArgs args;
    Bytes body = HttpRequest(url, args);
    bool written = (!showHeaders || WriteAll(args.ResponseHeaders)) && WriteAll(body);
    written = std::fflush(stdout) == 0 && written;
    if (args.Error != HttpError::None) {
        std::fprintf(stderr, "sorvane-fetch: %s: %s\n", ErrorName(args.Error),
                     args.ErrorMessage.c_str());
    } else if (body.empty()) {
        std::fputs("sorvane-fetch: the body is empty\n", stderr);
    }
    if (!written) {
        std::fputs("sorvane-fetch: could not write to standard output\n", stderr);
        return 1;
    }
    return body.empty() ? 1 : 0;
}
