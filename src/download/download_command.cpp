#include <memory>

#include "app/controls.h"
#include "app/state.h"
#include "download/download.h"
#include "download/download_run.h"
#include "download/messages.h"
#include "net/extract.h"
#include "net/http.h"
#include "search/sources.h"

namespace {

void ShowTip(const Text& message) {
    ui::SetText(ui::提示_标签, message);
    ui::SetVisible(ui::提示_标签, true);
}

// Splits the chapters, makes the download current, shows the progress display and starts the
// three workers. The caption reads "停止" before any worker starts, so even a worker that
// finishes its first chapter at once sees a running download.
void StartDownload(const std::shared_ptr<dl::Job>& job) {
    ProgramState& s = State();
    const int n = job->total;
    s.DownloadPlan[2] = rt::Floor(n / 3.0);
    s.DownloadPlan[3] = s.DownloadPlan[2];
    s.DownloadPlan[4] = n - s.DownloadPlan[2] - s.DownloadPlan[3];
    s.DownloadPlan[5] = job->slot;
    job->shares = {s.DownloadPlan[2], s.DownloadPlan[3], s.DownloadPlan[4]};

    dl::BeginDownload(job);

    ui::SetText(ui::下载_超级按钮, Text());
    ui::SetWidth(ui::下载_图片框, 0);
    ui::SetVisible(ui::下载_图片框, true);
    ui::SetText(ui::下载_标签, Text());
    ui::SetVisible(ui::下载_标签, true);
    ui::SetText(ui::搜索_超级按钮, dl::Msg().stopCaption);

    std::shared_ptr<const dl::Job> shared = job;
    for (int k = 1; k <= 3; ++k) {
        if (job->source == dl::Source::A)
            rt::StartThread([shared, k] { dl::RunSourceAWorker(shared, k); });
        else
            rt::StartThread([shared, k] { dl::RunSourceBWorker(shared, k); });
    }
}

void DownloadSourceB(int slot) {
    ProgramState& s = State();
    Text tocAddress;
    {
        std::lock_guard lock(s.resultsLock);
        tocAddress = s.ResultLinks[slot];
    }
    // The parse lets the window handle its messages, and a press in between may start another
    // download that rewrites TocPage and ChapterLinks: parse a copy into a list of our own.
    const Text toc = rt::BytesToText(HttpRequest(tocAddress));
    s.TocPage = toc;
    std::vector<Text> links;
    AllBetween(toc, dl::Msg().tocLinkStart, dl::Msg().tocLinkEnd, links);
    s.ChapterLinks = links;
    const int n = static_cast<int>(links.size());
    s.DownloadPlan[1] = n;
    if (n <= 2) {
        ShowTip(dl::Msg().chapterError);
        return;
    }
    auto job = std::make_shared<dl::Job>();
    job->source = dl::Source::B;
    job->total = n;
    job->slot = slot;
    job->base = tocAddress;
    job->links = std::move(links);
    StartDownload(job);
}

void DownloadSourceA(int slot) {
    ProgramState& s = State();
    Text count;
    {
        std::lock_guard lock(s.resultsLock);
        s.SourceAKeys[3] = slot == 5 ? s.SourceAKeys[1] : s.SourceAKeys[2];
        count = s.ResultLinks[slot];
    }
    const int n = rt::ToInt(count);
    s.DownloadPlan[1] = n;
    if (n <= 2) {
        ShowTip(dl::Msg().chapterError);
        return;
    }
    auto job = std::make_shared<dl::Job>();
    job->source = dl::Source::A;
    job->total = n;
    job->slot = slot;
    job->base = SourceABase();
    job->key = s.SourceAKeys[3];
    StartDownload(job);
}

// Source C offers each novel as one file: show its address and hand it to the browser.
void DownloadSourceC() {
    ProgramState& s = State();
    Text address;
    {
        std::lock_guard lock(s.resultsLock);
        address = s.ResultLinks[3];
    }
    ui::SetText(ui::小说简介_编辑框, dl::Msg().addressLead + address);
    rt::OpenAddress(address);
}

}  // namespace

void DownloadCommand() {
    if (ui::GetText(ui::小说名称_编辑框) == dl::Msg().productName) {
        ShowTip(dl::Msg().noResult);
        return;
    }
    const int slot = State().SelectedSlot;
    if (slot == 1 || slot == 2)
        DownloadSourceB(slot);
    else if (slot == 3)
        DownloadSourceC();
    else if (slot == 4 || slot == 5)
        DownloadSourceA(slot);
}
