#include "app/state.h"
#include "download/download.h"
#include "download/download_run.h"
#include "download/messages.h"
#include "net/extract.h"

namespace dl {

// Source A numbers its chapter pages 1..N; worker k fetches a consecutive run of them, so the
// three texts joined in worker order hold the novel from its first page to its last.
void RunSourceAWorker(const std::shared_ptr<const Job>& job, int k) {
    const Texts& m = Msg();
    const int first = ShareStart(*job, k);
    const int count = job->shares[k - 1];
    for (int i = 1; i <= count; ++i) {
        const int pageNo = first + i;
        const Text url = job->base + "/" + job->key + "/read_" + rt::NumToText(pageNo) + ".html";
        bool ok = false;
        const Text page = FetchChapter(*job, url, true, m.aTextStart, m.aTextEnd, ok);

        const Text titleBlock = TextBetween(page, m.aTitleBlockStart, m.aTitleBlockEnd);
        const Text title = TextBetween(titleBlock, m.aTitleStart, m.aTitleEnd);
        const Text text = ReplaceMany(TextBetween(page, m.aTextStart, m.aTextEnd),
                                      {{m.divClose, {}},
                                       {m.blank, {}},
                                       {m.fullBlank, {}},
                                       {m.aParagraph, m.paragraphBreak},
                                       {m.nbsp, {}}});
        const Text shownTitle =
            title.empty() ? m.pageTitleHead + rt::NumToText(pageNo) + m.pageTitleTail : title;
        if (!DeliverChapter(job, k, title + m.lineBreak + text, ok, pageNo, shownTitle)) return;
    }
}

}  // namespace dl

namespace {
void RunCurrentA(int k) {
    auto job = dl::CurrentJob();
    if (job && job->source == dl::Source::A) dl::RunSourceAWorker(job, k);
}
}  // namespace

void SourceAWorker1() { RunCurrentA(1); }
void SourceAWorker2() { RunCurrentA(2); }
void SourceAWorker3() { RunCurrentA(3); }
