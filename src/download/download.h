#pragma once
// The download button, the chapter workers of sources A and B, and the progress step.

void DownloadCommand();  // click of 下载_超级按钮
void SourceAWorker1();
void SourceAWorker2();
void SourceAWorker3();
void SourceBWorker1();
void SourceBWorker2();
void SourceBWorker3();
void DownloadProgressStep();
