// Source B answers a search either with the page of one book, when the title leads straight to
// it, or with a list whose first two books fill slots 1 and 2. Its pages are GBK already.

#include <vector>

#include "app/state.h"
#include "net/charset.h"
#include "net/extract.h"
#include "search/messages.h"
#include "search/search.h"
#include "search/search_shared.h"
#include "search/sources.h"

namespace srch {
namespace {

SlotFields CutSourceBBook(const Text& page) {
    const SearchTexts& t = T();
    SlotFields f;
    f.name = TextBetween(page, t.bNameStart, t.bNameEnd);
    f.author = TextBetween(page, t.bAuthorStart, t.bAuthorEnd);
    f.latest = TextBetween(page, t.bLatestStart, t.bLatestEnd);
    f.link = TextBetween(page, t.bLinkStart, t.bLinkEnd);
    f.intro = CleanIntroAB(TextBetween(page, t.bIntroStart, t.bIntroEnd));
    return f;
}

}  // namespace

void RunSourceBSearch(int n) {
    const SearchTexts& t = T();
    const Text title = ui::GetText(ui::搜索_编辑框);
    const Text base = SourceBBase();

    Text page;
    if (!FetchPage(base + t.bSearchPath + PercentEncode(title), false, page)) return;

    const Text block = ReplaceMany(TextBetween(page, t.bListStart, t.bListEnd), {{t.lineBreak, ""}});
    const bool bookPage = rt::Find(page, t.bBookPageSign) > 0;
    const bool list = !block.empty() && block != t.closeDiv;

    if (bookPage) {
        const SlotFields one = CutSourceBBook(page);
        WriteIfCurrent(n, [&] {
            StoreSlot(1, one);
            if (one.Complete()) {
                ui::SetText(ResultButton(1), t.one);
                ShowTip(t.successB);
            } else {
                ShowTip(t.failed);
            }
        });
        return;
    }
    if (!list) {
        WriteIfCurrent(n, [&] { ShowTip(t.failed); });
        return;
    }

    std::vector<Text> paths;
    // A list of a single book says nothing: the run ends quietly.
    if (AllBetween(page, t.bPathStart, t.bPathEnd, paths) < 2) return;
    SlotFields books[2];
    for (int i = 0; i < 2; ++i) {
        Text book;
        if (!FetchPage(base + paths[i], false, book)) return;
        books[i] = CutSourceBBook(book);
    }
    WriteIfCurrent(n, [&] {
        StoreSlot(1, books[0]);
        StoreSlot(2, books[1]);
        if (!books[0].Complete()) {
            ShowTip(t.failed);
            return;
        }
        ui::SetText(ResultButton(1), t.one);
        if (books[1].Complete()) ui::SetText(ResultButton(2), t.two);
        ShowTip(t.successB);
    });
}

}  // namespace srch

void SourceBSearch() { srch::RunSourceBSearch(srch::CurrentSearch()); }
