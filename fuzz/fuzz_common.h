#pragma once
// Shared helpers of the fuzz targets: cutting one input into several texts, and a plain
// reference search that walks character boundaries one by one.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Splits the input at 0xFF 0x00 pairs into up to `n` parts; missing parts are empty.
inline std::vector<std::string> Parts(const uint8_t* data, size_t size, size_t n) {
    std::vector<std::string> parts(n);
    size_t k = 0;
    for (size_t i = 0; i < size; ++i) {
        if (k + 1 < n && i + 1 < size && data[i] == 0xFF && data[i + 1] == 0x00) {
            ++k;
            ++i;
            continue;
        }
        parts[k].push_back(static_cast<char>(data[i]));
    }
    return parts;
}

// Offsets (0-based) where a character begins: a byte of 0x80 or more starts a two-byte one.
inline std::vector<bool> Boundaries(std::string_view text) {
    std::vector<bool> b(text.size() + 1, false);
    size_t i = 0;
    while (i < text.size()) {
        b[i] = true;
        i += static_cast<unsigned char>(text[i]) >= 0x80 ? 2 : 1;
    }
    b[text.size()] = (i == text.size());
    return b;
}

inline char Fold(char c, bool ignoreCase) {
    return (ignoreCase && c >= 'A' && c <= 'Z') ? static_cast<char>(c | 0x20) : c;
}

// Reference find: 1-based position of the first match at or after `start` that begins on a
// character boundary; -1 if none. An empty sought text is found where the search starts.
inline int RefFind(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    if (start < 1) start = 1;
    if (static_cast<size_t>(start) > text.size()) return -1;
    if (sought.empty()) return start;
    auto b = Boundaries(text);
    // Only ASCII letters that stand as characters of their own fold; the second byte of a
    // two-byte character always compares exactly.
    auto own = Boundaries(sought);
    for (size_t i = static_cast<size_t>(start - 1); i + sought.size() <= text.size(); ++i) {
        if (!b[i]) continue;
        bool same = true;
        for (size_t j = 0; j < sought.size() && same; ++j) {
            const bool fold = ignoreCase && own[j] && static_cast<unsigned char>(sought[j]) < 0x80;
            same = Fold(text[i + j], fold) == Fold(sought[j], fold);
        }
        if (same) return static_cast<int>(i) + 1;
    }
    return -1;
}

[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "property violated: %s\n", what);
    std::abort();
}

}  // namespace fuzz
