#include "download/download_run.h"

#include <algorithm>
#include <atomic>

#include "app/controls.h"
#include "app/state.h"
#include "download/download.h"
#include "download/messages.h"
#include "net/charset.h"
#include "net/http.h"

namespace dl {
namespace {

std::mutex gProgressLock;
// Written under both State().partsLock and gProgressLock; read anywhere.
std::atomic<int> gCurrentNumber{0};
int gLastNumber = 0;                      // window's thread only
std::shared_ptr<const Job> gCurrentJob;   // under gProgressLock
std::vector<FailedChapter> gFailed;       // under gProgressLock

std::atomic<int> gFirstPauseMs{500};
std::atomic<int> gSecondPauseMs{1000};

// Sleeps in short slices so that a stop or a newer download ends the wait promptly.
bool PauseWhileRunning(const Job& job, int ms) {
    constexpr int kSliceMs = 20;
    while (ms > 0) {
        if (!StillRunning(job)) return false;
        const int slice = std::min(ms, kSliceMs);
        if (!rt::SleepMs(slice)) return false;
        ms -= slice;
    }
    return StillRunning(job);
}

bool HasMarkers(std::string_view page, std::string_view start, std::string_view end) {
    const int at = rt::Find(page, start);
    if (at < 1) return false;
    return rt::Find(page, end, at + static_cast<int>(start.size())) >= 1;
}

}  // namespace

std::mutex& ProgressLock() { return gProgressLock; }
std::vector<FailedChapter>& FailedChapters() { return gFailed; }

void BeginDownload(const std::shared_ptr<Job>& job) {
    ProgramState& s = State();
    std::scoped_lock lock(s.partsLock, gProgressLock);
    job->number = ++gLastNumber;
    gCurrentNumber = job->number;
    gCurrentJob = job;
    gFailed.clear();
    s.ChaptersDone = 0;
    for (int k = 1; k <= 3; ++k) s.PartTexts[k] = Text();
}

std::shared_ptr<const Job> CurrentJob() {
    std::lock_guard lock(gProgressLock);
    return gCurrentJob;
}

bool IsCurrent(const Job& job) { return job.number == gCurrentNumber.load(); }

bool StillRunning(const Job& job) {
    return IsCurrent(job) && !rt::StopRequested() &&
           ui::GetText(ui::搜索_超级按钮) == Msg().stopCaption;
}

int ShareStart(const Job& job, int k) {
    int start = 0;
    for (int i = 1; i < k; ++i) start += job.shares[i - 1];
    return start;
}

Text FetchChapter(const Job& job, const Text& url, bool fromUtf8, std::string_view textStart,
                  std::string_view textEnd, bool& ok) {
    const int pauses[2] = {gFirstPauseMs.load(), gSecondPauseMs.load()};
    for (int attempt = 0;; ++attempt) {
        Text page = rt::BytesToText(HttpRequest(url));
        if (fromUtf8) page = Utf8ToAnsi(page);
        ok = HasMarkers(page, textStart, textEnd);
        if (ok || attempt == 2 || !PauseWhileRunning(job, pauses[attempt])) return page;
    }
}

bool DeliverChapter(const std::shared_ptr<const Job>& job, int k, const Text& record, bool ok,
                    int order, const Text& failedTitle) {
    {
        ProgramState& s = State();
        std::lock_guard lock(s.partsLock);
        if (!IsCurrent(*job)) return false;
        s.PartTexts[k] += record;
    }
    if (!StillRunning(*job)) return false;
    if (!ok) {
        std::lock_guard lock(gProgressLock);
        if (IsCurrent(*job)) gFailed.push_back({order, failedTitle});
    }
    return rt::StartThread([job] { ProgressStepFor(*job); });
}

}  // namespace dl

void SetChapterRetryPausesMs(int first, int second) {
    dl::gFirstPauseMs = std::max(0, first);
    dl::gSecondPauseMs = std::max(0, second);
}
