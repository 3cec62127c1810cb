// TextBetween against a plain boundary-walking reference: same piece, and the piece is a
// substring of the text that starts at a character boundary.
#include "fuzz_common.h"
#include "net/extract.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto p = fuzz::Parts(data, size, 3);
    const std::string& text = p[0];
    const std::string& start = p[1];
    const std::string& end = p[2];
    if (start.find("#") != std::string::npos || end.find("#") != std::string::npos)
        return 0;  // the quote placeholder is tested by the unit tests
    const bool ignoreCase = size > 0 && (data[0] & 1);
    const Text got = TextBetween(text, start, end, 0, ignoreCase);

    Text want;
    const int s = fuzz::RefFind(text, start, 1, ignoreCase);
    if (s > 0) {
        const int from = s + static_cast<int>(start.size());
        const int e = fuzz::RefFind(text, end, from, ignoreCase);
        if (e > from) want = text.substr(static_cast<size_t>(from - 1), static_cast<size_t>(e - from));
    }
    if (got != want) fuzz::Fail("TextBetween differs from the reference");
    // A marker that ends in the first byte of a character leaves the piece on a second byte.
    if (!got.empty() && fuzz::Boundaries(start)[start.size()]) {
        const size_t at = static_cast<size_t>(s - 1) + start.size();
        if (!fuzz::Boundaries(text)[at]) fuzz::Fail("piece does not start at a character boundary");
    }
    return 0;
}
