// Placeholder until the download command lands; replaced by the real implementation.
#include "download/download.h"
void DownloadCommand() {}
void SourceAWorker1() {}
void SourceAWorker2() {}
void SourceAWorker3() {}
void SourceBWorker1() {}
void SourceBWorker2() {}
void SourceBWorker3() {}
void DownloadProgressStep() {}
