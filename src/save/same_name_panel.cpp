// The same-name panel's two buttons. Both save the text that the save joined, under the path
// it captured when the panel opened: a search or download started while the panel is open
// changes the result slots, but not what this novel is called.

#include <vector>

#include "app/controls.h"
#include "app/state.h"
#include "save/messages.h"
#include "save/novel_file.h"
#include "save/save.h"

namespace {

constexpr int kFirstSuffix = 11;
constexpr int kLastSuffix = 99;

// Closes the panel for this one choice. False when it was not open: a second click that
// arrived before the window hid the panel must not save a second time.
bool TakePanel() {
    if (!ui::IsVisible(ui::图片框1)) return false;
    ui::SetVisible(ui::图片框1, false);
    return true;
}

// After a failure the novel is still in memory; turning the idle search button back into the
// save button lets the user try again once the cause is fixed. A download started meanwhile
// owns the button, so it is left alone then.
void Fail() {
    save_file::ReportFailed();
    if (ui::GetText(ui::搜索_超级按钮) == save_text::SearchCaption())
        ui::SetText(ui::搜索_超级按钮, save_text::SaveCaption());
}

}  // namespace

void RenameSave() {
    if (!TakePanel()) return;
    ProgramState& state = State();
    const Text original = state.SavePath;

    // Draw among the numbers still free, so an earlier renamed copy is never overwritten.
    std::vector<int> free;
    for (int n = kFirstSuffix; n <= kLastSuffix; ++n)
        if (!rt::FileExists(save_file::SuffixedPath(original, n))) free.push_back(n);
    if (free.empty()) {
        Fail();
        return;
    }
    rt::SetRandomSeed();
    const int pick = rt::RandomNumber(0, static_cast<int>(free.size()) - 1);

    state.SavePath = save_file::SuffixedPath(original, free[pick]);
    if (!save_file::WriteNovel(state.SavePath, state.PartTexts[4])) {
        Fail();
        return;
    }
    save_file::ReportSaved(state.SavePath);
}

void OverwriteSave() {
    if (!TakePanel()) return;
    ProgramState& state = State();

    // The new text goes to a temporary file that is renamed over the old one, so the old file
    // stays whole until the new one is complete. A directory or a write-protected file of that
    // name is not ours to replace.
    if (!save_file::Replaceable(state.SavePath) ||
        !save_file::WriteNovel(state.SavePath, state.PartTexts[4])) {
        Fail();
        return;
    }
    save_file::ReportSaved(state.SavePath);
}
