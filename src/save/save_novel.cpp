// The search button in its save role: join the workers' texts and write the novel file, or open
// the same-name panel when a file of that name is already there.

#include <algorithm>

#include "app/controls.h"
#include "app/state.h"
#include "save/messages.h"
#include "save/novel_file.h"
#include "save/save.h"

SaveOutcome SaveNovel() {
    ProgramState& state = State();

    ui::SetText(ui::提示_标签, save_text::Saving());
    ui::SetVisible(ui::提示_标签, true);
    ui::SetVisible(ui::下载_图片框, false);
    ui::SetVisible(ui::下载_标签, false);
    ui::SetText(ui::下载_超级按钮, save_text::DownloadCaption());

    // The file is named after the slot that was downloaded, not the one shown now.
    const int slot = state.DownloadPlan[5];
    if (slot < 1 || slot > 5) {
        save_file::ReportFailed();
        return SaveOutcome::Failed;
    }
    Text name;
    Text author;
    {
        std::lock_guard<std::mutex> lock(state.resultsLock);
        name = state.ResultNames[slot];
        author = state.ResultAuthors[slot];
    }
    state.SavePath = save_file::NovelFilePath(name, author);
    {
        std::lock_guard<std::mutex> lock(state.partsLock);
        state.PartTexts[4] = state.PartTexts[1] + state.PartTexts[2] + state.PartTexts[3];
    }

    if (rt::FileExists(state.SavePath)) {
        // Sizes first, so the panel never shows the numbers of an earlier clash.
        ui::SetText(ui::原尺寸_标签, save_file::SizeText(std::max(0, rt::FileSize(state.SavePath))));
        ui::SetText(ui::现尺寸_标签,
                    save_file::SizeText(static_cast<double>(state.PartTexts[4].size())));
        ui::SetVisible(ui::图片框1, true);
        return SaveOutcome::PanelOpened;
    }

    if (!save_file::WriteNovel(state.SavePath, state.PartTexts[4])) {
        save_file::ReportFailed();
        return SaveOutcome::Failed;
    }
    save_file::ReportSaved(state.SavePath);
    return SaveOutcome::Saved;
}
