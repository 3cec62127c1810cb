#pragma once
// A plain-text log of every change to the control model, one line per change:
//   <control name>\t<text|visible|width>\t<value in UTF-8, with \r \n \t escaped>
// Started when SORVANE_CONTROL_LOG names a file; the end-to-end test and a person chasing a
// fault read the window's life from it without looking at pixels.

#include <string>

namespace ui {

// Starts logging to `path` (appending). Returns false when the file cannot be opened.
bool StartControlLog(const std::string& path);
// Starts logging when SORVANE_CONTROL_LOG is set; does nothing otherwise.
void StartControlLogFromEnvironment();
void StopControlLog();

}  // namespace ui
