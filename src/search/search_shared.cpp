#include "search/search_shared.h"

#include <mutex>

#include "app/state.h"
#include "net/charset.h"
#include "net/extract.h"
#include "net/http.h"
#include "search/messages.h"

namespace srch {
namespace {

// Guarded by State().resultsLock.
int gSearchNumber = 0;

}  // namespace

ui::Ctl ResultButton(int n) {
    static constexpr ui::Ctl kButtons[] = {ui::搜索_超级按钮1, ui::搜索_超级按钮2, ui::搜索_超级按钮3,
                                           ui::搜索_超级按钮4, ui::搜索_超级按钮5};
    return kButtons[n - 1];
}

int CurrentSearch() {
    std::lock_guard lock(State().resultsLock);
    return gSearchNumber;
}

int BeginSearch() {
    std::lock_guard lock(State().resultsLock);
    const int n = ++gSearchNumber;
    for (int slot = 1; slot <= 5; ++slot) ui::SetText(ResultButton(slot), Text());
    for (ui::Ctl box : {ui::小说名称_编辑框, ui::小说作者_编辑框, ui::小说最新_编辑框, ui::小说简介_编辑框}) {
        ui::SetText(box, ui::TableEntry(box).startText);
    }
    return n;
}

bool WriteIfCurrent(int n, const std::function<void()>& write) {
    std::lock_guard lock(State().resultsLock);
    if (n != gSearchNumber) return false;
    write();
    return true;
}

void StoreSlot(int slot, const SlotFields& f) {
    ProgramState& s = State();
    s.ResultNames[slot] = f.name;
    s.ResultAuthors[slot] = f.author;
    s.ResultLatest[slot] = f.latest;
    s.ResultLinks[slot] = f.link;
    s.ResultIntros[slot] = f.intro;
}

void ShowTip(const Text& message) {
    ui::SetText(ui::提示_标签, message);
    ui::SetVisible(ui::提示_标签, true);
}

bool FetchPage(const Text& url, bool utf8, Text& page) {
    const Text body = rt::BytesToText(HttpRequest(url));
    if (rt::StopRequested()) return false;
    page = utf8 ? Utf8ToAnsi(body) : body;
    return true;
}

Text CleanIntroAB(const Text& intro) {
    const SearchTexts& t = T();
    return ReplaceMany(intro, {{" ", ""},
                               {t.fullWidthBlank, ""},
                               {t.br, t.lineBreak},
                               {t.nbsp, ""},
                               {t.closeDiv, ""}});
}

Text CleanIntroC(const Text& intro) {
    const SearchTexts& t = T();
    return ReplaceMany(intro, {{" ", ""},
                               {t.fullWidthBlank, ""},
                               {t.br, ""},
                               {t.closeP, ""},
                               {t.nbsp, ""}});
}

}  // namespace srch
