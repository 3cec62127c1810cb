// The search button: search, stop a download, or save one, by its caption; and the cooldown
// that keeps searches at least eight seconds apart.

#include <atomic>

#include "app/controls.h"
#include "app/state.h"
#include "save/save.h"
#include "search/messages.h"
#include "search/search.h"
#include "search/search_shared.h"

namespace {

constexpr int kCooldownSeconds = 8;
std::atomic<int> gTickMs{1000};

void StartSearch() {
    const srch::SearchTexts& t = srch::T();
    const Text title = ui::GetText(ui::搜索_编辑框);
    if (title.empty() || title == ui::TableEntry(ui::搜索_编辑框).startText || title == t.singleBlank) {
        srch::ShowTip(t.emptyTitle);
        return;
    }
    ProgramState& s = State();
    const int left = s.SearchCooldown.load();
    if (left != 0) {
        srch::ShowTip(t.cooldownHead + rt::NumToText(left) + t.cooldownTail);
        return;
    }

    s.SearchCooldown.store(kCooldownSeconds);
    // The captions and boxes are reset here, before any source thread exists, so no source can
    // write a caption that the reset would then wipe.
    const int n = srch::BeginSearch();
    // Without its thread the cooldown would never run out and block every later search.
    if (!rt::StartThread(RunSearchCooldown)) s.SearchCooldown.store(0);
    srch::ShowTip(t.searching);
    rt::StartThread([n] { srch::RunSourceASearch(n); });
    rt::StartThread([n] { srch::RunSourceBSearch(n); });
    rt::StartThread([n] { srch::RunSourceCSearch(n); });
}

void StopDownload() {
    const srch::SearchTexts& t = srch::T();
    ui::SetText(ui::搜索_超级按钮, t.modeSearch);
    ui::SetText(ui::下载_超级按钮, t.download);
    ui::SetVisible(ui::下载_图片框, false);
    ui::SetVisible(ui::下载_标签, false);
}

void Save() {
    const srch::SearchTexts& t = srch::T();
    // After a failed write the texts are still there: keep the save role so a press retries.
    const SaveOutcome outcome = SaveNovel();
    ui::SetText(ui::搜索_超级按钮, outcome == SaveOutcome::Failed ? t.modeSave : t.modeSearch);
}

}  // namespace

void PressSearchButton() {
    const srch::SearchTexts& t = srch::T();
    // Each test reads the caption afresh: a stop turns "停止" into "搜索", which the next test
    // then leaves alone.
    if (ui::GetText(ui::搜索_超级按钮) == t.modeSearch) StartSearch();
    if (ui::GetText(ui::搜索_超级按钮) == t.modeStop) StopDownload();
    if (ui::GetText(ui::搜索_超级按钮) == t.modeSave) Save();
}

void RunSearchCooldown() {
    std::atomic<int>& cooldown = State().SearchCooldown;
    bool sleeping = true;
    for (int i = 0; i < kCooldownSeconds; ++i) {
        int v = cooldown.load();
        while (v > 0 && !cooldown.compare_exchange_weak(v, v - 1)) {
        }
        // At shutdown the remaining decrements run at once, so the counter still ends at 0.
        if (sleeping) sleeping = rt::SleepMs(gTickMs.load());
    }
}

void SetCooldownTickMs(int ms) { gTickMs.store(ms < 0 ? 0 : ms); }
