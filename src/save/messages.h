#pragma once
// Every message and caption the save writes, as GBK program text. Compared byte for byte by the
// window, the search button and the tests, so they are written in one place.

#include "app/runtime.h"

namespace save_text {

const Text& Saving();          // tip label while the file is written
const Text& SavedPrefix();     // tip label on success, followed by the path written
const Text& Failed();          // tip label when nothing could be written
const Text& DownloadCaption(); // the download button, back in view after the progress display
const Text& SaveCaption();     // the search button when a finished download waits to be saved
const Text& SearchCaption();   // the search button when idle

}  // namespace save_text
