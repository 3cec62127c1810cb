#pragma once
// The download button, the chapter workers of sources A and B, and the progress step.

void DownloadCommand();  // click of 下载_超级按钮
// Worker k of the current download (DownloadCommand starts them on threads of their own).
void SourceAWorker1();
void SourceAWorker2();
void SourceAWorker3();
void SourceBWorker1();
void SourceBWorker2();
void SourceBWorker3();
// Counts one chapter of the current download and updates the progress display.
void DownloadProgressStep();

// Pauses before the second and the third try of a chapter that came back empty or without its
// text (500 and 1000 ms); tests shorten them.
void SetChapterRetryPausesMs(int first, int second);
