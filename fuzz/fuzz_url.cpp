// The address routines on any text: no crash, a lower-case host, a path that begins with "/".
#include "fuzz_common.h"
#include "net/http.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string url(reinterpret_cast<const char*>(data), size);
    const Text host = UrlHost(url, size > 0 && (data[0] & 1));
    if (host != rt::ToLower(host)) fuzz::Fail("host not lower case");
    (void)UrlPort(url);
    const Text path = UrlPath(url);
    if (path.empty() || path[0] != '/') fuzz::Fail("path does not begin with /");
    (void)TextAfterColon(url);
    return 0;
}
