// sorvane-demo-sites: serves sources A, B and C with the demo library on 127.0.0.1:18081,
// 18082 and 18083 until it is interrupted or terminated.

#include <csignal>
#include <cstdio>
#include <cstring>
#include <memory>

#include <pthread.h>

#include "support/chapter_pages.h"
#include "support/demo_library.h"
#include "support/fake_site.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0;
        std::fprintf(help ? stdout : stderr,
                     "usage: sorvane-demo-sites\n"
                     "Serves the demo novel sites on 127.0.0.1: source A on port 18081, source B on\n"
                     "18082 and source C on 18083, until interrupted (Ctrl-C) or terminated.\n");
        return help ? 0 : 2;
    }

    // Block the stop signals before the server threads start, so that they all stay with the
    // main thread's sigwait below.
    sigset_t stop;
    sigemptyset(&stop);
    sigaddset(&stop, SIGINT);
    sigaddset(&stop, SIGTERM);
    sigaddset(&stop, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stop, nullptr);

    auto a = std::make_unique<fake::FakeSite>(false, 18081);
    auto b = std::make_unique<fake::FakeSite>(false, 18082);
    auto c = std::make_unique<fake::FakeSite>(false, 18083);
    for (const auto* site : {a.get(), b.get(), c.get()}) {
        if (!site->Ok()) {
            std::fprintf(stderr,
                         "sorvane-demo-sites: cannot listen on 127.0.0.1 ports 18081-18083 "
                         "(already in use?)\n");
            return 1;
        }
    }
    fake::SetChapterPageDelayMs(15);  // slow enough to watch the progress bar fill
    fake::InstallDemoLibrary(*a, *b, *c);
    std::printf("source A %s\nsource B %s\nsource C %s\n", a->Base().c_str(), b->Base().c_str(),
                c->Base().c_str());
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stop, &signal);
    std::fprintf(stderr, "sorvane-demo-sites: stopping\n");
    return 0;
}
