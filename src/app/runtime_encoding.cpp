// Character-set conversion on iconv, and the GBK helpers built on it.

#include <errno.h>
#include <iconv.h>
#include <strings.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/runtime.h"

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// iconv's name for code page 936. glibc's "GBK" and "CP936" may differ in the single byte 0x80,
// which code page 936 uses for the euro sign; take whichever converter writes it that way.
const char* Cp936Name() {
    static const char* const name = [] {
        for (const char* candidate : {"CP936", "GBK"}) {
            iconv_t cd = iconv_open(candidate, "UTF-8");
            if (cd == kNoConverter) continue;
            char in[] = "\xE2\x82\xAC";
            char out[8] = {};
            char* ip = in;
            char* op = out;
            size_t il = 3, ol = sizeof out;
            const bool euroIs80 = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) &&
                                  op - out == 1 && out[0] == '\x80';
            iconv_close(cd);
            if (euroIs80) return candidate;
        }
        return "GBK";
    }();
    return name;
}

bool IsCp936Alias(const char* name) {
    return strcasecmp(name, "GBK") == 0 || strcasecmp(name, "CP936") == 0 ||
           strcasecmp(name, "936") == 0;
}

bool IsUtf8Name(const char* name) {
    return strcasecmp(name, "UTF-8") == 0 || strcasecmp(name, "UTF8") == 0;
}

// iconv descriptors carry conversion state, so each thread keeps its own, opened on first use.
class ConverterCache {
public:
    ~ConverterCache() {
        for (auto& e : entries_) iconv_close(e.cd);
    }
    iconv_t Get(const char* from, const char* to) {
        for (auto& e : entries_)
            if (e.from == from && e.to == to) return e.cd;
        iconv_t cd = iconv_open(to, from);
        if (cd == kNoConverter) return cd;
        entries_.push_back({from, to, cd});
        return cd;
    }

private:
    struct Entry {
        std::string from, to;
        iconv_t cd;
    };
    std::vector<Entry> entries_;
};

// How many input bytes one "?" stands for when iconv stops at `p`. A character that is valid
// but has no place in the target is replaced whole; a broken sequence is replaced by its longest
// valid beginning (at least one byte), so the bytes after it are read afresh.
size_t Utf8BadLength(const unsigned char* p, size_t n) {
    const unsigned char b = p[0];
    size_t need;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b < 0x80) return 1;
    if (b >= 0xC2 && b <= 0xDF) {
        need = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        need = 2;
        if (b == 0xE0) lo = 0xA0;
        if (b == 0xED) hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        need = 3;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F;
    } else {
        return 1;
    }
    size_t len = 1;
    for (size_t i = 0; i < need; ++i) {
        if (len >= n || p[len] < lo || p[len] > hi) return len;
        ++len;
        lo = 0x80;
        hi = 0xBF;
    }
    return len;
}

size_t GbkBadLength(const unsigned char* p, size_t n) {
    const unsigned char b = p[0];
    if (b <= 0x80 || b == 0xFF || n < 2) return 1;
    const unsigned char t = p[1];
    return ((t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFE)) ? 2 : 1;
}

}  // namespace

namespace rt {

// The replacement "?" is written as one ASCII byte, so targets must be ASCII-compatible
// (every character set this program uses is).
Bytes ConvertEncoding(std::string_view bytes, const char* from, const char* to, bool* ok) {
    if (ok) *ok = true;
    if (!from || !to) {
        if (ok) *ok = false;
        return {};
    }
    const bool fromUtf8 = IsUtf8Name(from);
    const bool fromGbk = IsCp936Alias(from);
    if (fromGbk) from = Cp936Name();
    if (IsCp936Alias(to)) to = Cp936Name();
    if (bytes.empty()) return {};

    static thread_local ConverterCache cache;
    iconv_t cd = cache.Get(from, to);
    if (cd == kNoConverter) {
        if (ok) *ok = false;
        return {};
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh start for each call

    Bytes out;
    out.resize(bytes.size() + bytes.size() / 2 + 16);
    size_t used = 0;
    char* ip = const_cast<char*>(bytes.data());
    size_t il = bytes.size();
    bool clean = true;

    auto grow = [&] { out.resize(out.size() * 2 + 16); };
    while (il > 0) {
        char* op = out.data() + used;
        size_t ol = out.size() - used;
        const size_t r = iconv(cd, &ip, &il, &op, &ol);
        const int err = errno;
        used = static_cast<size_t>(op - out.data());
        if (r != static_cast<size_t>(-1)) break;
        if (err == E2BIG) {
            grow();
            continue;
        }
        clean = false;
        if (used == out.size()) grow();
        out[used++] = '?';
        if (err != EILSEQ) break;  // EINVAL: the input ends inside a character
        const auto* p = reinterpret_cast<const unsigned char*>(ip);
        const size_t skip = fromUtf8 ? Utf8BadLength(p, il) : fromGbk ? GbkBadLength(p, il) : 1;
        ip += skip;
        il -= skip;
    }
    for (;;) {  // flush any shift state (a no-op for the sets used here)
        char* op = out.data() + used;
        size_t ol = out.size() - used;
        const size_t r = iconv(cd, nullptr, nullptr, &op, &ol);
        used = static_cast<size_t>(op - out.data());
        if (r != static_cast<size_t>(-1) || errno != E2BIG) break;
        grow();
    }
    out.resize(used);
    if (ok) *ok = clean;
    return out;
}

}  // namespace rt

Text Gbk(std::u8string_view utf8) {
    return rt::ConvertEncoding(
        std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()), "UTF-8", "GBK");
}

std::string GbkToUtf8(std::string_view gbk) { return rt::ConvertEncoding(gbk, "GBK", "UTF-8"); }
