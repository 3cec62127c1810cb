#pragma once
// The program's life around its window: show it, run the message loop until it is closed, then
// stop every thread and release the state only once they have all ended.

#include <functional>

#include "app/window/main_window.h"

namespace ui {

// How long shutdown waits for running threads. Stopping aborts transfers at once, so they
// normally end within a fraction of a second.
constexpr int kShutdownWaitMs = 1500;

struct ProgramEnd {
    int exitCode = 0;
    // False when some thread was still running after the wait: the state was left alone, and
    // the caller must leave the process without running static destructors under it.
    bool stateReleased = false;
};

// Needs a QApplication and a created state. Installs the process-events hook, shows the window
// (SearchCooldown 0 once it exists), runs the loop until the window closes, then shuts down.
// `onShown` runs once the window is on screen (tests drive the window from it).
ProgramEnd RunProgram(WindowHandlers handlers = WindowHandlers::Program(),
                      const std::function<void(MainWindow&)>& onShown = {});

// Asks every thread to stop, waits up to `waitMs` for them and releases the state when none is
// left. Returns whether the state was released.
bool ShutDownProgram(int waitMs = kShutdownWaitMs);

}  // namespace ui
