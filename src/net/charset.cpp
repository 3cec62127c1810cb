#include "net/charset.h"

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

void AppendPercent(Text& out, unsigned char byte) {
    out.push_back('%');
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0x0F]);
}

bool IsUnreserved(unsigned char c) {
    return c == '-' || c == '.' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
           (c >= 'a' && c <= 'z');
}

}  // namespace

Text Utf8ToAnsi(std::string_view utf8) {
    return rt::ConvertEncoding(rt::BytesToText(utf8), "UTF-8", "GBK");
}

Text AnsiToUtf8(std::string_view gbk) {
    return rt::ConvertEncoding(rt::BytesToText(gbk), "GBK", "UTF-8");
}

Text UrlEncode(std::string_view gbk) {
    bool clean = false;
    const Text utf8 = rt::ConvertEncoding(rt::BytesToText(gbk), "GBK", "UTF-8", &clean);
    if (!clean) return {};  // a title the converter rejects is sent as no title at all
    Text out;
    out.reserve(utf8.size() * 3);
    for (unsigned char c : utf8) AppendPercent(out, c);
    return out;
}

Text PercentEncode(std::string_view gbk, bool keepUnreserved, bool asUtf8) {
    const Text text = rt::BytesToText(gbk);
    if (text.empty()) return {};
    const Text bytes = asUtf8 ? AnsiToUtf8(text) : text;
    Text out;
    out.reserve(bytes.size() * 3);
    for (unsigned char c : bytes) {
        if (keepUnreserved && IsUnreserved(c))
            out.push_back(static_cast<char>(c));
        else
            AppendPercent(out, c);
    }
    return out;
}
