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

bool IsWebBase(const std::string& v) {
    auto starts = [&](const char* p) { return v.rfind(p, 0) == 0 && v.size() > std::char_traits<char>::length(p); };
    return starts("http://") || starts("https://");
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
