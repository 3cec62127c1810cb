// A whole source A download of a 3000-chapter novel (pages of about 8 KB) from a loopback site,
// from DownloadCommand to the "保存" caption, beside the curl tool fetching the same 3000 pages
// with three parallel transfers in the same run.
//
//   build-*/bench/bench_download
//
// The site runs in a child process, so the memory figures are the program's own:
//   idle_rss_MB   resident size once the program is set up, before the first download
//   peak_rss_MB   the process's peak resident size (VmHWM) after the downloads
//   novel_MB      the downloaded novel's size (GBK, as it would be saved)
//   vs_curl       the download's wall time over curl's from the same run

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <benchmark/benchmark.h>

#include "app/controls.h"
#include "app/state.h"
#include "download/download.h"
#include "search/sources.h"
#include "support/chapter_pages.h"
#include "support/fake_site.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kChapters = 3000;
constexpr int kChapterBytes = 7600;  // paragraphs; the page around them brings it to ~8 KB
const char* const kKey = "bench3000";

int gPort = 0;
double gCurlSeconds = 0;
double gIdleRssMb = 0;
std::string gCurlConfig;

double StatusMb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field))) / 1024.0;
    return 0;
}

// Runs the site in a child process and returns its port; the child ends with the parent.
int StartSiteProcess() {
    int fds[2];
    if (pipe(fds) != 0) return 0;
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        close(fds[0]);
        fake::FakeSite site;
        const fake::Novel novel = fake::GeneratedNovel(kKey, "bench", kChapters, kChapterBytes);
        for (int n = 1; n <= kChapters; ++n)
            site.Page(fake::SourceAChapterPath(kKey, n), fake::SourceAChapterPage(novel, n));
        const int port = site.Port();
        if (write(fds[1], &port, sizeof port) != sizeof port) _exit(1);
        close(fds[1]);
        for (;;) pause();
    }
    close(fds[1]);
    int port = 0;
    if (read(fds[0], &port, sizeof port) != sizeof port) port = 0;
    close(fds[0]);
    return port;
}

std::string Base() { return "http://127.0.0.1:" + std::to_string(gPort); }

void BM_CurlParallel3(benchmark::State& state) {
    std::vector<std::string> args = {"curl", "--silent", "--parallel", "--parallel-max", "3",
                                     "--config", gCurlConfig};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        posix_spawn_file_actions_t quiet;  // the parallel progress meter ignores --silent
        posix_spawn_file_actions_init(&quiet);
        posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int rc = posix_spawnp(&pid, "curl", &quiet, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&quiet);
        int status = 0;
        if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("curl failed");
            return;
        }
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    gCurlSeconds = runs ? total / runs : 0;
}

void BM_DownloadSourceA(benchmark::State& state) {
    const Text save = Gbk(u8"保存");
    double total = 0;
    int runs = 0;
    std::size_t novelBytes = 0;
    for (auto _ : state) {
        ProgramState& s = State();
        {
            std::lock_guard lock(s.resultsLock);
            s.SourceAKeys[1] = kKey;
            s.ResultLinks[5] = std::to_string(kChapters);
        }
        s.SelectedSlot = 5;
        ui::SetText(ui::小说名称_编辑框, "bench");
        const auto start = std::chrono::steady_clock::now();
        DownloadCommand();
        while (ui::GetText(ui::搜索_超级按钮) != save)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
        state.PauseTiming();
        rt::WaitForThreads(-1);
        {
            std::lock_guard lock(s.partsLock);
            novelBytes = s.PartTexts[1].size() + s.PartTexts[2].size() + s.PartTexts[3].size();
        }
        if (s.ChaptersDone != kChapters) state.SkipWithError("not every chapter was counted");
        state.ResumeTiming();
    }
    const double seconds = runs ? total / runs : 0;
    state.counters["novel_MB"] = novelBytes / 1048576.0;
    state.counters["idle_rss_MB"] = gIdleRssMb;
    state.counters["peak_rss_MB"] = StatusMb("VmHWM:");
    state.counters["budget_MB"] = gIdleRssMb + 3 * novelBytes / 1048576.0;
    if (gCurlSeconds > 0) state.counters["vs_curl"] = seconds / gCurlSeconds;
}

BENCHMARK(BM_CurlParallel3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_DownloadSourceA)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    // Before any thread exists: the child process serves the pages.
    gPort = StartSiteProcess();
    if (gPort == 0) {
        std::fprintf(stderr, "bench_download: the loopback site did not start\n");
        return 1;
    }
    TempDir dir;
    std::string config;
    for (int n = 1; n <= kChapters; ++n)
        config += "url = \"" + Base() + fake::SourceAChapterPath(kKey, n) + "\"\noutput = \"/dev/null\"\n";
    dir.Put("urls.conf", config);
    gCurlConfig = dir.File("urls.conf");

    CreateState();
    ui::ResetControls();
    SetSourceBases(Base(), Base(), Base());
    gIdleRssMb = StatusMb("VmRSS:");

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rt::WaitForThreads(-1);
    return 0;
}
