// Texts and numbers. Every search here knows that GBK text is a mix of one-byte ASCII
// characters and two-byte characters whose first byte is 0x80 or more, and that the second byte
// may look like ASCII (0x40..0x7E). A match may only begin where a character begins.

#include <string.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "app/runtime.h"

namespace {

bool IsHigh(unsigned char c) { return c >= 0x80; }
bool IsAsciiLetter(unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; }
unsigned char FoldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c | 0x20 : c; }

// Tells, for positions visited in increasing order, whether each begins a character.
// A byte below 0x80 always ends a character (it is either one by itself or a second byte), so
// the character structure before position c is settled by the run of high bytes just before c:
// they pair up from the last such low byte (or from a known character start), and c begins a
// character exactly when that run has even length. Counting back stops at the last known start,
// so walking a whole text costs each byte at most once.
class BoundaryCursor {
public:
    explicit BoundaryCursor(std::string_view text)
        : p_(reinterpret_cast<const unsigned char*>(text.data())) {}

    // c must not be below any position asked before.
    bool IsStart(size_t c) {
        if (c <= known_) return c == known_;
        size_t q = c;
        // Chinese text is long runs of high bytes: step over them eight at a time.
        while (q >= known_ + 8) {
            std::uint64_t w;
            memcpy(&w, p_ + q - 8, 8);
            if ((w & 0x8080808080808080ULL) != 0x8080808080808080ULL) break;
            q -= 8;
        }
        while (q > known_ && IsHigh(p_[q - 1])) --q;
        const bool start = ((c - q) & 1) == 0;
        known_ = start ? c : c + 1;
        return start;
    }

private:
    const unsigned char* p_;
    size_t known_ = 0;
};

// How common a byte is in the pages this program reads (GBK text in HTML); lower is rarer.
// Exact searches look for the sought text's rarest byte with memchr, which skips long stretches
// of Chinese text at memory speed.
int Commonness(unsigned char c) {
    if (c >= 0x80) return 255;
    if (c == ' ') return 250;
    if (c == '<' || c == '>') return 240;
    if (c == '/' || c == '"' || c == '=') return 230;
    if (c == '\r' || c == '\n') return 200;
    if (c >= 'a' && c <= 'z') {
        static const char kByFrequency[] = "etaoinsrhldcumfpgwybvkxjqz";
        return 225 - static_cast<int>(strchr(kByFrequency, c) - kByFrequency) * 4;
    }
    if (c >= '0' && c <= '9') return 150;
    if (c == '&' || c == ';' || c == '.' || c == ',' || c == '-' || c == '_') return 160;
    if (c >= 'A' && c <= 'Z') return 110;
    if (c < 0x20) return 50;
    return 90;
}

class ExactFinder {
public:
    ExactFinder() = default;
    explicit ExactFinder(std::string_view needle) : n_(needle) {
        for (size_t i = 0; i < n_.size(); ++i)
            if (Commonness(static_cast<unsigned char>(n_[i])) <
                Commonness(static_cast<unsigned char>(n_[anchor_])))
                anchor_ = i;
    }

    // First occurrence starting in [from, limit - size], or npos.
    size_t Next(const char* base, size_t from, size_t limit) {
        const size_t m = n_.size();
        if (m == 0 || m > limit || from > limit - m) return std::string_view::npos;
        const size_t end = limit - m + 1;  // candidates lie in [from, end)
        if (m == 1) {
            const void* hit = memchr(base + from, n_[0], end - from);
            return hit ? static_cast<const char*>(hit) - base : std::string_view::npos;
        }
        size_t at = from;
        if (!useMemmem_) {
            const char a = n_[anchor_];
            while (at < end) {
                const void* hit = memchr(base + at + anchor_, a, end - at);
                if (!hit) return std::string_view::npos;
                const size_t c = static_cast<size_t>(static_cast<const char*>(hit) - base) - anchor_;
                if (memcmp(base + c, n_.data(), m) == 0) return c;
                at = c + 1;
                // Where the anchor byte turns out to be common, memmem's own scan is cheaper.
                if (misses_++ == 0) windowStart_ = c;
                if (misses_ == 64) {
                    if (at - windowStart_ < 64 * 256) {
                        useMemmem_ = true;
                        break;
                    }
                    misses_ = 0;
                }
            }
            if (!useMemmem_) return std::string_view::npos;
        }
        if (at >= end) return std::string_view::npos;
        const void* hit = memmem(base + at, limit - at, n_.data(), m);
        return hit ? static_cast<const char*>(hit) - base : std::string_view::npos;
    }

private:
    std::string_view n_;
    size_t anchor_ = 0;
    size_t misses_ = 0;
    size_t windowStart_ = 0;
    bool useMemmem_ = false;
};

// Finds candidate occurrences of a sought text, byte-exact or ignoring ASCII case. Ignoring
// case, only bytes that are ASCII letters standing as characters of their own fold; high bytes
// and the second bytes of two-byte characters always compare exactly.
class Matcher {
public:
    Matcher(std::string_view sought, bool ignoreCase) : s_(sought) {
        const auto* p = reinterpret_cast<const unsigned char*>(sought.data());
        const size_t m = sought.size();
        if (!ignoreCase) {
            runLen_ = m;
            exact_ = ExactFinder(sought);
            return;
        }
        fold_.assign(m, false);
        for (size_t i = 0; i < m;) {
            if (IsHigh(p[i])) {
                i += 2;
            } else {
                if (IsAsciiLetter(p[i])) {
                    fold_[i] = true;
                    anyFold_ = true;
                }
                ++i;
            }
        }
        if (!anyFold_) {
            runLen_ = m;
            exact_ = ExactFinder(sought);
            return;
        }
        // Anchor on the longest run of bytes that must match exactly; with none, on the first
        // letter in both cases.
        for (size_t i = 0; i < m;) {
            if (fold_[i]) {
                ++i;
                continue;
            }
            size_t j = i;
            while (j < m && !fold_[j]) ++j;
            if (j - i > runLen_) {
                runOff_ = i;
                runLen_ = j - i;
            }
            i = j;
        }
        exact_ = ExactFinder(sought.substr(runOff_, runLen_));
    }

    // First candidate position at or after `from` whose match ends at or before `limit`,
    // or npos. The candidate is fully verified but not checked for a character start.
    size_t Next(std::string_view text, size_t from, size_t limit) {
        const size_t m = s_.size();
        if (limit > text.size()) limit = text.size();
        if (m > limit || from > limit - m) return std::string_view::npos;
        const char* base = text.data();
        if (runLen_ == m) return exact_.Next(base, from, limit);
        if (runLen_ > 0) {
            const size_t tail = m - runOff_ - runLen_;
            for (size_t at = from + runOff_;;) {
                const size_t r = exact_.Next(base, at, limit - tail);
                if (r == std::string_view::npos) return r;
                if (Verify(base + r - runOff_)) return r - runOff_;
                at = r + 1;
            }
        }
        // Only letters: look for the first letter in either case.
        const unsigned char first = static_cast<unsigned char>(s_[0]);
        const char lower = static_cast<char>(first | 0x20), upper = static_cast<char>(first & ~0x20);
        const size_t end = limit - m + 1;  // candidates lie in [from, end)
        auto scan = [&](char c, size_t at) {
            const void* hit = at < end ? memchr(base + at, c, end - at) : nullptr;
            return hit ? static_cast<size_t>(static_cast<const char*>(hit) - base) : end;
        };
        // Each case's next position is kept, so neither is scanned twice.
        size_t nextLower = scan(lower, from), nextUpper = scan(upper, from);
        while (nextLower < end || nextUpper < end) {
            const size_t at = std::min(nextLower, nextUpper);
            if (Verify(base + at)) return at;
            if (at == nextLower) nextLower = scan(lower, at + 1);
            if (at == nextUpper) nextUpper = scan(upper, at + 1);
        }
        return std::string_view::npos;
    }

private:
    bool Verify(const char* at) const {
        const size_t m = s_.size();
        for (size_t i = 0; i < m; ++i) {
            const auto a = static_cast<unsigned char>(at[i]);
            const auto b = static_cast<unsigned char>(s_[i]);
            if (fold_[i] ? FoldAscii(a) != FoldAscii(b) : a != b) return false;
        }
        return true;
    }

    std::string_view s_;
    std::vector<bool> fold_;
    bool anyFold_ = false;
    size_t runOff_ = 0;
    size_t runLen_ = 0;
    ExactFinder exact_;
};

// Occurrences that begin characters, left to right. Overlapping ones are found unless the
// caller resumes after the previous match.
class Occurrences {
public:
    Occurrences(std::string_view text, std::string_view sought, bool ignoreCase,
                size_t limit = std::string_view::npos)
        : text_(text), matcher_(sought, ignoreCase), cursor_(text),
          limit_(std::min(limit, text.size())) {}

    size_t Next(size_t from) {
        for (;;) {
            const size_t c = matcher_.Next(text_, from, limit_);
            if (c == std::string_view::npos || cursor_.IsStart(c)) return c;
            from = c + 1;
        }
    }

private:
    std::string_view text_;
    Matcher matcher_;
    BoundaryCursor cursor_;
    size_t limit_;
};

constexpr size_t npos = std::string_view::npos;

int ToPos(size_t offset) { return static_cast<int>(offset) + 1; }

// A real within 1e-12 of a whole number counts as that number.
double Nudge(double v) {
    const double r = std::round(v);
    return std::fabs(v - r) < 1e-12 ? r : v;
}

int ClampToInt(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<int>::max();
    if (v <= -2147483648.0) return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

}  // namespace

namespace rt {

int Find(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    if (start < 1) start = 1;
    if (static_cast<size_t>(start) > text.size()) return -1;
    if (sought.empty()) return start;
    Occurrences occ(text, sought, ignoreCase);
    const size_t c = occ.Next(static_cast<size_t>(start - 1));
    return c == npos ? -1 : ToPos(c);
}

int FindBack(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    size_t limit = text.size();
    if (start > 0 && static_cast<size_t>(start) <= text.size()) limit = start - 1;
    if (sought.empty()) return limit > 0 ? 1 : -1;
    Occurrences occ(text, sought, ignoreCase, limit);
    size_t last = npos;
    for (size_t c = occ.Next(0); c != npos; c = occ.Next(c + 1)) last = c;
    return last == npos ? -1 : ToPos(last);
}

Text Left(std::string_view text, int n) {
    if (n <= 0) return {};
    return Text(text.substr(0, static_cast<size_t>(n)));
}

Text Right(std::string_view text, int n) {
    if (n <= 0) return {};
    const size_t k = std::min(static_cast<size_t>(n), text.size());
    return Text(text.substr(text.size() - k));
}

Text Mid(std::string_view text, int start, int n) {
    if (start < 1 || static_cast<size_t>(start) > text.size() || n <= 0) return {};
    return Text(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n)));
}

std::vector<Text> Split(std::string_view text, std::string_view delimiter) {
    std::vector<Text> pieces;
    if (text.empty()) return pieces;
    if (delimiter.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    Occurrences occ(text, delimiter, false);
    size_t prev = 0;
    for (size_t c = occ.Next(0); c != npos; c = occ.Next(prev)) {
        pieces.emplace_back(text.substr(prev, c - prev));
        prev = c + delimiter.size();
    }
    if (prev < text.size()) pieces.emplace_back(text.substr(prev));
    return pieces;
}

bool ReplaceInto(std::string_view text, std::string_view sought, std::string_view replacement,
                 int start, int count, bool matchCase, Text& out) {
    if (start < 1) start = 1;
    if (text.empty() || sought.empty() || static_cast<size_t>(start) > text.size() || count == 0)
        return false;
    Occurrences occ(text, sought, !matchCase);
    size_t c = occ.Next(static_cast<size_t>(start - 1));
    if (c == npos) return false;
    out.clear();
    out.reserve(text.size() + (replacement.size() > sought.size() ? text.size() / 8 : 0));
    size_t prev = 0;
    int done = 0;
    while (c != npos) {
        out.append(text.data() + prev, c - prev);
        out.append(replacement);
        prev = c + sought.size();
        if (count > 0 && ++done == count) break;
        c = occ.Next(prev);
    }
    out.append(text.data() + prev, text.size() - prev);
    return true;
}

Text Replace(std::string_view text, std::string_view sought, std::string_view replacement,
             int start, int count, bool matchCase) {
    Text out;
    if (!ReplaceInto(text, sought, replacement, start, count, matchCase, out)) return Text(text);
    return out;
}

Text Trim(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t b = 0, e = text.size();
    // Leading blanks: the text's first byte begins a character, so step by characters.
    while (b < e) {
        if (p[b] == ' ') {
            ++b;
        } else if (p[b] == 0xA1 && b + 1 < e && p[b + 1] == 0xA1) {
            b += 2;
        } else {
            break;
        }
    }
    // Trailing blanks: only spaces and A1 bytes can be part of them. Find where that tail
    // region starts, settle its character structure once, then walk it forwards.
    size_t r = e;
    while (r > b && (p[r - 1] == ' ' || p[r - 1] == 0xA1)) --r;
    if (r == e) return Text(text.substr(b, e - b));
    BoundaryCursor cursor(text.substr(b));
    size_t i = cursor.IsStart(r - b) ? r : r + 1;  // r may be the second byte of a character
    size_t keepEnd = i;
    while (i < e) {
        if (p[i] == ' ') {
            ++i;
        } else if (p[i] == 0xA1 && i + 1 < e && p[i + 1] == 0xA1) {
            i += 2;
        } else {  // a lone A1 at the end, or A1 followed by a space: a character, not a blank
            i += IsHigh(p[i]) ? 2 : 1;
            keepEnd = std::min(i, e);
        }
    }
    return Text(text.substr(b, keepEnd - b));
}

namespace {
template <class F>
Text MapAsciiCharacters(std::string_view text, F f) {
    Text out(text);
    for (size_t i = 0; i < out.size();) {
        const auto c = static_cast<unsigned char>(out[i]);
        if (IsHigh(c)) {
            i += 2;  // a second byte is never a letter of its own
        } else {
            out[i] = static_cast<char>(f(c));
            ++i;
        }
    }
    return out;
}
}  // namespace

Text ToLower(std::string_view text) {
    return MapAsciiCharacters(text, [](unsigned char c) { return FoldAscii(c); });
}

Text ToUpper(std::string_view text) {
    return MapAsciiCharacters(text, [](unsigned char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c & ~0x20) : c;
    });
}

Text Blank(int n) { return n < 1 ? Text() : Text(static_cast<size_t>(n), ' '); }

Text Char(int code) {
    const char c = static_cast<char>(code & 0xFF);
    return c == '\0' ? Text() : Text(1, c);
}

// ---- Numbers and conversions ----

int ToInt(std::string_view text) {
    // Full-width digits and signs (A3 B0..A3 B9, A3 AB, A3 AD) are read as their ASCII selves.
    std::string s;
    s.reserve(text.size());
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t i = 0; i < text.size();) {
        if (p[i] == 0) break;
        if (!IsHigh(p[i])) {
            s.push_back(static_cast<char>(p[i++]));
            continue;
        }
        if (p[i] == 0xA3 && i + 1 < text.size()) {
            const unsigned char t = p[i + 1];
            if (t >= 0xB0 && t <= 0xB9) {
                s.push_back(static_cast<char>('0' + (t - 0xB0)));
                i += 2;
                continue;
            }
            if (t == 0xAB || t == 0xAD) {
                s.push_back(t == 0xAB ? '+' : '-');
                i += 2;
                continue;
            }
        }
        break;  // any other character ends the number (or the white space before it)
    }
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        v = v * 10 + (s[i] - '0');
        if (v > 2147483648LL) v = 2147483648LL;  // saturate rather than wrap
    }
    if (negative) v = -v;
    return static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                  std::numeric_limits<int>::max()));
}

int ToInt(double value) { return ClampToInt(std::trunc(Nudge(value))); }
int Truncate(double value) { return ClampToInt(std::trunc(Nudge(value))); }
int Floor(double value) { return ClampToInt(std::floor(Nudge(value))); }

Text NumToText(int value) { return std::to_string(value); }

Text NumToText(double value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
    if (value == 0) return "0";
    // 13 significant digits, written out in plain decimal notation without trailing zeros.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.12e", value);
    std::string_view sv(buf);
    const bool negative = sv[0] == '-';
    if (negative) sv.remove_prefix(1);
    const size_t ePos = sv.find('e');
    std::string digits;
    for (char c : sv.substr(0, ePos))
        if (c != '.') digits.push_back(c);
    const int exponent = std::atoi(std::string(sv.substr(ePos + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
    std::string out;
    const int intDigits = exponent + 1;  // digits before the point
    if (intDigits <= 0) {
        out = "0." + std::string(static_cast<size_t>(-intDigits), '0') + digits;
    } else if (static_cast<size_t>(intDigits) >= digits.size()) {
        out = digits + std::string(static_cast<size_t>(intDigits) - digits.size(), '0');
    } else {
        out = digits.substr(0, static_cast<size_t>(intDigits)) + "." +
              digits.substr(static_cast<size_t>(intDigits));
    }
    return negative ? "-" + out : out;
}

Text FormatNumber(double value, int decimals, bool thousands) {
    if (decimals < 0) decimals = 0;
    if (std::isnan(value) || std::isinf(value)) return NumToText(value);
    // Half away from zero; the small nudge makes 12.775 (stored as 12.77499...) round up.
    const double scale = std::pow(10.0, decimals);
    const double magnitude = std::floor((std::fabs(value) + 1e-12) * scale + 0.5) / scale;
    Text body = NumToText(magnitude);
    const size_t point = body.find('.');
    Text intPart = body.substr(0, point);
    Text fraction = point == Text::npos ? Text() : body.substr(point + 1);
    if (fraction.size() < static_cast<size_t>(decimals))
        fraction.append(static_cast<size_t>(decimals) - fraction.size(), '0');
    if (thousands && intPart.size() > 3) {
        Text grouped;
        const size_t lead = intPart.size() % 3;
        for (size_t i = 0; i < intPart.size(); ++i) {
            if (i > 0 && (i + 3 - lead) % 3 == 0) grouped.push_back(',');
            grouped.push_back(intPart[i]);
        }
        intPart = grouped;
    }
    Text out = intPart;
    if (decimals > 0) out += "." + fraction;
    if (value < 0 && magnitude != 0) out.insert(out.begin(), '-');
    return out;
}

Text ToHex(std::int32_t value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%X", static_cast<std::uint32_t>(value));
    return buf;
}

Text BytesToText(std::string_view bytes) {
    const size_t zero = bytes.find('\0');
    return Text(bytes.substr(0, zero));
}

}  // namespace rt
