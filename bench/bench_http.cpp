// Three threads fetching 3000 pages of about 8 KB from a loopback site with HttpRequest, beside
// the curl tool fetching the same 3000 addresses with three parallel transfers. Connection reuse
// within each thread is what keeps HttpRequest close to curl.
//
//   build-*/bench/bench_http --benchmark_min_time=1
//
// "vs_curl" on the HttpRequest line is its wall time over curl's from the same run.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "net/http.h"
#include "support/fake_site.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kPages = 3000;
constexpr int kThreads = 3;
constexpr std::size_t kPageSize = 8 * 1024;

std::string PageBody(int i) {
    std::string body = "<html><body><div id=\"content\">chapter " + std::to_string(i) + "<br/>";
    while (body.size() < kPageSize - 20) body += "line of chapter text<br/>";
    return body + "</div></body></html>";
}

struct Fixture {
    fake::FakeSite site;
    std::vector<std::string> urls;
    TempDir dir;
    std::string curlConfig;
    Fixture() {
        for (int i = 0; i < kPages; ++i) {
            std::string target = "/book/1/" + std::to_string(i) + ".html";
            site.Page(target, PageBody(i));
            urls.push_back(site.Url(target));
        }
        std::string config;
        for (const auto& u : urls) config += "url = \"" + u + "\"\noutput = \"/dev/null\"\n";
        dir.Put("urls.conf", config);
        curlConfig = dir.File("urls.conf");
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

double gCurlSeconds = 0;

void BM_CurlParallel3(benchmark::State& state) {
    Fixture& f = Shared();
    std::vector<std::string> args = {"curl",       "--silent", "--parallel", "--parallel-max",
                                     "3",          "--config", f.curlConfig};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        pid_t pid = 0;
        posix_spawn_file_actions_t quiet;  // its parallel progress meter ignores --silent
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        int rc = posix_spawnp(&pid, "curl", &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        if (rc != 0) {
            state.SkipWithError("curl could not be started");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    gCurlSeconds = total / runs;
    state.counters["pages"] = kPages;
}

void BM_HttpRequest3Threads(benchmark::State& state) {
    Fixture& f = Shared();
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        std::vector<std::size_t> bytes(kThreads, 0);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = t; i < kPages; i += kThreads) bytes[t] += HttpRequest(f.urls[i]).size();
            });
        }
        for (auto& th : threads) th.join();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
        std::size_t all = 0;
        for (auto b : bytes) all += b;
        if (all < kPages * (kPageSize - 100)) {
            state.SkipWithError("pages missing");
            return;
        }
    }
    state.counters["pages"] = kPages;
    if (gCurlSeconds > 0) state.counters["vs_curl"] = (total / runs) / gCurlSeconds;
}

}  // namespace

BENCHMARK(BM_CurlParallel3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_HttpRequest3Threads)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
