#include "app/window/program.h"

#include <QApplication>
#include <QThread>

#include "app/state.h"

namespace ui {

namespace {

// Long loops on the window's thread call rt::ProcessEvents so the window stays responsive;
// other threads must never run the window's events.
void InstallProcessEventsHook() {
    QThread* windowThread = QThread::currentThread();
    rt::SetProcessEventsHook([windowThread] {
        if (QThread::currentThread() == windowThread) QCoreApplication::processEvents();
    });
}

}  // namespace

bool ShutDownProgram(int waitMs) {
    rt::RequestStop();
    if (!rt::WaitForThreads(waitMs)) return false;
    ReleaseState();
    return true;
}

ProgramEnd RunProgram(WindowHandlers handlers, const std::function<void(MainWindow&)>& onShown) {
    ProgramEnd end;
    InstallProcessEventsHook();
    {
        MainWindow window(std::move(handlers));
        QObject::connect(&window, &MainWindow::Closed, qApp, &QCoreApplication::quit);
        window.show();
        // The window exists: searches may start from now on.
        State().SearchCooldown = 0;
        if (onShown) onShown(window);
        end.exitCode = QApplication::exec();
    }
    rt::SetProcessEventsHook({});
    end.stateReleased = ShutDownProgram();
    return end;
}

}  // namespace ui
