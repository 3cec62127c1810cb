// ReplaceMany on GBK text against a reference that replaces left to right at character
// boundaries, pair after pair.
#include "fuzz_common.h"
#include "net/extract.h"

namespace {

std::string RefReplace(const std::string& text, const std::string& find, const std::string& repl,
                       bool ignoreCase) {
    if (text.empty() || find.empty()) return text;
    std::string out;
    int pos = 1;
    for (;;) {
        const int at = fuzz::RefFind(text, find, pos, ignoreCase);
        if (at < 0) break;
        out.append(text, static_cast<size_t>(pos - 1), static_cast<size_t>(at - pos));
        out += repl;
        pos = at + static_cast<int>(find.size());
        if (static_cast<size_t>(pos) > text.size()) break;
    }
    if (static_cast<size_t>(pos) <= text.size()) out.append(text, static_cast<size_t>(pos - 1));
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = fuzz::Parts(data, size, 5);
    const bool caseSensitive = size > 0 && (data[0] & 1);
    const Text got = ReplaceMany(p[0], {{p[1], p[2]}, {p[3], p[4]}}, -1, 1, caseSensitive);
    std::string want = RefReplace(p[0], p[1], p[2], !caseSensitive);
    want = RefReplace(want, p[3], p[4], !caseSensitive);
    if (got != want) fuzz::Fail("ReplaceMany differs from the reference");
    return 0;
}
