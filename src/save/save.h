#pragma once
// Saving the downloaded novel, and the same-name panel's two buttons.

enum class SaveOutcome {
    Saved,        // the novel is on disk
    PanelOpened,  // a file of that name exists; the same-name panel decides
    Failed,       // nothing was written; the texts are kept for another try
};

// The search button in its save role. The caller sets the search button's caption from the
// outcome: "保存" again after Failed, so that the next press retries once the user has fixed
// the cause, and "搜索" after Saved or PanelOpened.
SaveOutcome SaveNovel();

// Clicks of 原尺寸_超级按钮 and 现尺寸_超级按钮. Each saves the text and uses the path captured
// when the panel opened; after a failure they give the search button its "保存" caption back
// themselves when it is idle.
void RenameSave();
void OverwriteSave();
