// Source C offers finished novels as one file each: search page, book page, download page,
// and slot 3 keeps the file's address. It stays silent when it finds nothing.

#include <vector>

#include "app/state.h"
#include "net/charset.h"
#include "net/extract.h"
#include "search/messages.h"
#include "search/search.h"
#include "search/search_shared.h"
#include "search/sources.h"

namespace srch {

void RunSourceCSearch(int n) {
    const SearchTexts& t = T();
    const Text title = ui::GetText(ui::搜索_编辑框);

    Text page;
    if (!FetchPage(SourceCBase() + t.cSearchPath + UrlEncode(title), true, page)) return;
    std::vector<Text> books;
    if (AllBetween(page, t.cBookStart, t.cBookEnd, books) == 0) return;

    // The site gives whole addresses; the book page names its own address just before the
    // book's title and author.
    const Text& bookAddress = books[0];
    Text book;
    if (!FetchPage(bookAddress, true, book)) return;
    SlotFields f;
    const Text piece = TextBetween(book, bookAddress, t.cPieceEnd);
    f.author = TextBetween(piece, t.cAuthorStart, t.cAuthorEnd);
    f.name = TextBetween(piece, t.cNameStart, t.cNameEnd);
    Text intro = TextBetween(book, t.cIntroStart, t.cIntroEnd);
    if (intro.empty()) intro = TextBetween(book, t.cIntroStart, t.cIntroEndAlt);
    f.intro = CleanIntroC(intro);
    f.latest = t.finishedNovel;
    // Until the download page has been read, the link is that page's address.
    f.link = TextBetween(book, t.cDownPageStart, t.cDownPageEnd);
    if (!WriteIfCurrent(n, [&] { StoreSlot(3, f); })) return;

    Text downloadPage;
    if (!f.link.empty() && !FetchPage(f.link, true, downloadPage)) return;
    std::vector<Text> files;
    if (AllBetween(downloadPage, t.cFileStart, t.cFileEnd, files) == 0) return;
    WriteIfCurrent(n, [&] {
        State().ResultLinks[3] = files[0];
        if (f.name.empty()) return;
        ui::SetText(ResultButton(3), t.three);
        ShowTip(t.successC);
    });
}

}  // namespace srch

void SourceCSearch() { srch::RunSourceCSearch(srch::CurrentSearch()); }
