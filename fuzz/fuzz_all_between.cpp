// AllBetween: every piece is non-empty, trimmed and found in the text; the walk ends.
#include "fuzz_common.h"
#include "net/extract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = fuzz::Parts(data, size, 3);
    std::vector<Text> results{"stale"};
    AllBetweenOptions options;
    options.caseSensitive = size > 0 && (data[0] & 1);
    const int n = AllBetween(p[0], p[1], p[2], results, options);
    if (n != static_cast<int>(results.size())) fuzz::Fail("count differs from the results");
    for (const Text& piece : results) {
        if (piece.empty()) fuzz::Fail("empty piece");
        if (piece != rt::Trim(piece)) fuzz::Fail("piece not trimmed");
        if (p[0].find(piece) == std::string::npos) fuzz::Fail("piece not in the text");
    }
    return 0;
}
