#include <algorithm>
#include <cmath>

#include "app/controls.h"
#include "app/state.h"
#include "download/download.h"
#include "download/download_run.h"
#include "download/messages.h"

namespace dl {
namespace {

constexpr int kFullBar = 238;  // the bar's width in the window's layout
constexpr std::size_t kFailedListed = 5;

// Clamped before it is written, so the window never shows the bar a pixel past its end.
void WidenBar(int by) {
    ui::SetWidth(ui::下载_图片框, std::min(ui::GetWidth(ui::下载_图片框) + by, kFullBar));
}

// Tip text naming the chapters that could not be fetched, first ones in reading order.
Text FailureReport(std::vector<FailedChapter> failed) {
    const Texts& m = Msg();
    std::sort(failed.begin(), failed.end(),
              [](const FailedChapter& a, const FailedChapter& b) { return a.order < b.order; });
    Text tip = m.failedHead + rt::NumToText(static_cast<int>(failed.size())) + m.failedTail;
    tip += m.lineBreak;
    for (std::size_t i = 0; i < failed.size() && i < kFailedListed; ++i) {
        if (i > 0) tip += m.lineBreak;
        tip += failed[i].title;
    }
    return tip;
}

}  // namespace

void ProgressStepFor(const Job& job) {
    const Texts& m = Msg();
    std::lock_guard lock(ProgressLock());
    // A step of a stopped or superseded download must not count, or it could announce
    // completion after the user pressed stop.
    if (!IsCurrent(job) || ui::GetText(ui::搜索_超级按钮) != m.stopCaption) return;

    const int done = ++State().ChaptersDone;
    const int total = job.total;
    ui::SetText(ui::下载_标签,
                rt::NumToText(done) + m.labelSeparator + rt::NumToText(total) + m.labelUnit);

    if (total < kFullBar) {
        WidenBar(rt::Truncate(static_cast<double>(kFullBar) / total));
    } else {
        const int every = rt::Truncate(static_cast<double>(total) / kFullBar);
        const double ratio = static_cast<double>(done) / every;
        if (std::fabs(rt::Truncate(ratio) - ratio) <= 1e-7) WidenBar(1);
    }

    if (done >= total) {
        ui::SetText(ui::下载_标签, m.doneLabel);
        if (!FailedChapters().empty()) {
            ui::SetText(ui::提示_标签, FailureReport(FailedChapters()));
            ui::SetVisible(ui::提示_标签, true);
        }
        ui::SetText(ui::搜索_超级按钮, m.saveCaption);
    }
}

}  // namespace dl

void DownloadProgressStep() {
    if (auto job = dl::CurrentJob()) dl::ProgressStepFor(*job);
}
