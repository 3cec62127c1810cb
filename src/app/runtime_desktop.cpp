// Opening an address in the user's web browser.

#include <errno.h>
#include <spawn.h>
#include <strings.h>
#include <sys/wait.h>

#include <string>
#include <system_error>
#include <thread>

#include "app/runtime.h"

extern char** environ;

namespace {

// Addresses come from web pages, so only web addresses reach the desktop: no file:, no
// javascript:, no options for the opener, nothing that could end the argument early.
bool IsWebAddress(const Text& url) {
    const bool http = url.size() > 7 && strncasecmp(url.c_str(), "http://", 7) == 0;
    const bool https = url.size() > 8 && strncasecmp(url.c_str(), "https://", 8) == 0;
    if (!http && !https) return false;
    for (unsigned char c : url)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

}  // namespace

namespace rt {

bool OpenAddress(const Text& url) {
    if (!IsWebAddress(url)) return false;
    bool clean = false;
    std::string arg = ConvertEncoding(url, "GBK", "UTF-8", &clean);
    if (!clean) return false;
    std::string program = "xdg-open";
    char* argv[] = {program.data(), arg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
    // Reap the opener whenever it finishes so that it never lingers as a zombie; the caller
    // does not wait for the browser.
    try {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        // Without a thread, reap it now: xdg-open hands the address over and returns quickly.
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return true;
}

}  // namespace rt
