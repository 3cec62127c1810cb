// Utf8ToAnsi and AnsiToUtf8 on any bytes: no crash, and GBK text that decodes cleanly comes
// back unchanged from UTF-8.
#include "fuzz_common.h"
#include "net/charset.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    (void)Utf8ToAnsi(bytes);
    (void)UrlEncode(bytes);
    (void)PercentEncode(bytes, true, true);

    const std::string gbk = bytes.substr(0, bytes.find('\0'));
    bool clean = false;
    (void)rt::ConvertEncoding(gbk, "GBK", "UTF-8", &clean);
    if (!clean) return 0;
    const Text utf8 = AnsiToUtf8(gbk);
    if (Utf8ToAnsi(utf8) != gbk) fuzz::Fail("GBK -> UTF-8 -> GBK changed the text");
    return 0;
}
