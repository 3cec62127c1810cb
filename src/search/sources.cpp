#include "search/sources.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

// The demo sites (tools/demo_sites) listen on these loopback ports, so a fresh build searches
// something real out of the box.
constexpr const char* kDefaultA = "http://127.0.0.1:18081";
constexpr const char* kDefaultB = "http://127.0.0.1:18082";
constexpr const char* kDefaultC = "http://127.0.0.1:18083";

std::mutex gLock;
Text gA = kDefaultA, gB = kDefaultB, gC = kDefaultC;

// Scheme (any letter case), a host, an optional port of digits and an optional path; nothing
// that would change the meaning of the paths appended to it (blanks, a query, a fragment).
bool IsWebBase(const std::string& v) {
    std::string lower;
    for (char c : v) lower += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    std::size_t rest;
    if (lower.rfind("http://", 0) == 0) {
        rest = 7;
    } else if (lower.rfind("https://", 0) == 0) {
        rest = 8;
    } else {
        return false;
    }
    for (unsigned char c : v) {
        if (c <= ' ' || c >= 0x7F || c == '?' || c == '#' || c == '\\') return false;
    }
    const std::size_t slash = v.find('/', rest);
    const std::string authority = v.substr(rest, slash == std::string::npos ? std::string::npos : slash - rest);
    if (authority.empty() || authority.find('@') != std::string::npos) return false;
    std::size_t colon = authority.rfind(':');
    if (authority.front() == '[') {  // an IPv6 literal carries colons of its own
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) return false;
        if (close + 1 == authority.size()) return true;
        if (authority[close + 1] != ':') return false;
        colon = close + 1;
    }
    if (colon == std::string::npos) return true;
    const std::string port = authority.substr(colon + 1);
    if (colon == 0 || port.empty() || port.size() > 5) return false;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
    }
    const int number = std::stoi(port);
    return number >= 1 && number <= 65535;
}

Text StripSlash(Text v) {
    while (!v.empty() && v.back() == '/') v.pop_back();
    return v;
}

void TakeEnv(const char* name, Text& target) {
    const char* v = std::getenv(name);
    if (!v || !*v) return;
    std::string value = v;
    if (!IsWebBase(value)) {
        std::fprintf(stderr, "sorvane: ignoring %s=%s (not an http or https address)\n", name,
                     value.c_str());
        return;
    }
    target = StripSlash(value);
}

}  // namespace

Text SourceABase() {
    std::lock_guard lock(gLock);
    return gA;
}
Text SourceBBase() {
    std::lock_guard lock(gLock);
    return gB;
}
Text SourceCBase() {
    std::lock_guard lock(gLock);
    return gC;
}

void LoadSourceBases() {
    std::lock_guard lock(gLock);
    TakeEnv("SORVANE_SOURCE_A", gA);
    TakeEnv("SORVANE_SOURCE_B", gB);
    TakeEnv("SORVANE_SOURCE_C", gC);
}

void SetSourceBases(const Text& a, const Text& b, const Text& c) {
    std::lock_guard lock(gLock);
    gA = StripSlash(a);
    gB = StripSlash(b);
    gC = StripSlash(c);
}
