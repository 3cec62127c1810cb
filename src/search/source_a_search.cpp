// Source A: one search page gives up to two book keys; each book page fills one slot, key 1
// slot 5 and key 2 slot 4.

#include "app/state.h"
#include "net/charset.h"
#include "net/extract.h"
#include "search/messages.h"
#include "search/search.h"
#include "search/search_shared.h"
#include "search/sources.h"

namespace srch {
namespace {

SlotFields CutSourceABook(const Text& page, const Text& key) {
    const SearchTexts& t = T();
    SlotFields f;
    f.name = TextBetween(page, t.aNameStart, t.aNameEnd);
    f.author = TextBetween(page, t.aAuthorStart, t.aAuthorEnd);
    f.latest = TextBetween(page, t.aLatestStart, t.aLatestEnd);
    // The first chapter link of this very book names its last chapter page; links to other
    // books on the page are passed over because the key is part of the marker.
    f.link = TextBetween(page, t.aLinkStart + key + t.aLinkMiddle, t.aLinkEnd);
    f.intro = CleanIntroAB(TextBetween(page, t.aIntroStart, t.aIntroEnd));
    return f;
}

}  // namespace

void RunSourceASearch(int n) {
    const SearchTexts& t = T();
    const Text title = ui::GetText(ui::搜索_编辑框);
    const Text base = SourceABase();

    Text page;
    if (!FetchPage(base + t.aSearchPath + UrlEncode(title), true, page)) return;
    const Text keys[3] = {Text(), TextBetween(page, t.aKey1Start, t.aKey1End),
                          TextBetween(page, t.aKey2Start, t.aKey2End)};
    if (!WriteIfCurrent(n, [&] {
            State().SourceAKeys[1] = keys[1];
            State().SourceAKeys[2] = keys[2];
        })) {
        return;
    }

    // Which of the two slots this run has filled, with what. A slot left over from an earlier
    // search is never taken for a result of this one.
    bool filled[6] = {};
    SlotFields fields[6];
    for (int k = 1; k <= 2; ++k) {
        if (keys[k].empty()) continue;
        const int slot = 6 - k;
        Text book;
        if (!FetchPage(base + "/" + keys[k], true, book)) return;
        fields[slot] = CutSourceABook(book, keys[k]);
        filled[slot] = true;

        bool failed = false;
        if (!WriteIfCurrent(n, [&] {
                StoreSlot(slot, fields[slot]);
                // Slot 5 decides, whichever book was just read.
                if (!filled[5] || !fields[5].Complete()) {
                    ShowTip(t.failed);
                    failed = true;
                    return;
                }
                ui::SetText(ResultButton(5), t.one);
                if (filled[4] && fields[4].Complete()) ui::SetText(ResultButton(4), t.two);
            })) {
            return;
        }
        if (failed) return;
    }

    WriteIfCurrent(n, [&] { ShowTip(keys[1].empty() && keys[2].empty() ? t.failed : t.successA); });
}

}  // namespace srch

void SourceASearch() { srch::RunSourceASearch(srch::CurrentSearch()); }
