#pragma once
// Saving the downloaded novel, and the same-name panel's two buttons.

void SaveNovel();      // the search button in its save role
void RenameSave();     // click of 原尺寸_超级按钮
void OverwriteSave();  // click of 现尺寸_超级按钮
