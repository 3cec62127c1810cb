// The five result buttons: a button that carries its caption shows its slot and selects it.

#include <mutex>

#include "app/controls.h"
#include "app/state.h"
#include "search/messages.h"
#include "search/search.h"
#include "search/search_shared.h"

void ShowResult(int n) {
    if (n < 1 || n > 5) return;
    const srch::SearchTexts& t = srch::T();
    // The row reads 一 二 三 二 一: source B's two books, source C's, then source A's two.
    const Text* const enabling[] = {&t.one, &t.two, &t.three, &t.two, &t.one};

    ProgramState& s = State();
    // A source gives the caption only after writing the slot, both under this lock, so a
    // captioned button always shows a whole slot of the current search.
    std::lock_guard lock(s.resultsLock);
    if (ui::GetText(srch::ResultButton(n)) != *enabling[n - 1]) return;
    ui::SetText(ui::小说名称_编辑框, s.ResultNames[n]);
    ui::SetText(ui::小说作者_编辑框, s.ResultAuthors[n]);
    ui::SetText(ui::小说最新_编辑框, s.ResultLatest[n]);
    ui::SetText(ui::小说简介_编辑框, s.ResultIntros[n].empty() ? t.noIntro : s.ResultIntros[n]);
    s.SelectedSlot = n;
}
