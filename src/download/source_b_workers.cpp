#include "app/state.h"
#include "download/download.h"
#include "download/download_run.h"
#include "download/messages.h"
#include "net/extract.h"

namespace dl {

// Source B lists its newest chapter first, so the workers walk the table of contents backwards:
// worker 1 takes the last entries, and the joined texts run from the last entry to the first.
void RunSourceBWorker(const std::shared_ptr<const Job>& job, int k) {
    const Texts& m = Msg();
    const int total = static_cast<int>(job->links.size());
    const int before = ShareStart(*job, k);
    const int count = job->shares[k - 1];
    for (int i = 1; i <= count; ++i) {
        const int entry = total - before - i + 1;
        const std::vector<Text> pieces = rt::Split(job->links[entry - 1], m.linkSplit);
        const Text address = pieces.empty() ? Text() : pieces[0];
        const Text title = pieces.size() > 1 ? pieces[1] : Text();
        bool ok = false;
        const Text page = FetchChapter(*job, job->base + address, false, m.bTextStart, m.bTextEnd, ok);

        Text text = ReplaceMany(TextBetween(page, m.bTextStart, m.bTextEnd),
                                {{m.divClose, {}},
                                 {m.blank, {}},
                                 {m.fullBlank, {}},
                                 {m.bParagraph, m.paragraphBreak},
                                 {m.nbsp, {}}});
        // The site hides a line of its own between doubled <em> tags; drop every copy of it.
        const Text marked = m.emOpen + TextBetween(text, m.emOpen, m.emClose) + m.emClose;
        text = ReplaceMany(text, {{marked, {}}});

        const Text shownTitle =
            title.empty() ? m.entryTitleHead + rt::NumToText(entry) + m.entryTitleTail : title;
        if (!DeliverChapter(job, k, title + m.lineBreak + text, ok, total - entry + 1, shownTitle))
            return;
    }
}

}  // namespace dl

namespace {
void RunCurrentB(int k) {
    auto job = dl::CurrentJob();
    if (job && job->source == dl::Source::B) dl::RunSourceBWorker(job, k);
}
}  // namespace

void SourceBWorker1() { RunCurrentB(1); }
void SourceBWorker2() { RunCurrentB(2); }
void SourceBWorker3() { RunCurrentB(3); }
