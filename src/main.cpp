// Start-up and shutdown of Sorvane.

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/control_log.h"
#include "app/runtime.h"
#include "app/state.h"
#include "app/window/program.h"
#include "search/sources.h"

int main(int argc, char** argv) {
    if (!rt::InitRunTime()) {
        // Novels are saved by full path beside the program, so this costs nothing else.
        std::fputs("sorvane: cannot make the program's directory the current directory\n", stderr);
    }
    CreateState();
    LoadSourceBases();
    ui::StartControlLogFromEnvironment();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Sorvane"));
    QApplication::setDesktopFileName(QStringLiteral("sorvane"));

    const ui::ProgramEnd end = ui::RunProgram();
    ui::StopControlLog();
    if (!end.stateReleased) {
        // A thread outlived the wait and may still touch the state or the run time: leave
        // without running destructors under it rather than crash on the way out.
        std::fflush(nullptr);
        std::_Exit(end.exitCode);
    }
    return end.exitCode;
}
