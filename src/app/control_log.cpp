#include "app/control_log.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "app/controls.h"

namespace ui {
namespace {

std::mutex gLogLock;
std::FILE* gLog = nullptr;
int gSubscription = -1;

std::string Escape(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            default: out += c;
        }
    }
    return out;
}

void Write(const Change& change) {
    std::string line = TableEntry(change.ctl).name;
    switch (change.prop) {
        case Prop::Text: line += "\ttext\t" + Escape(GbkToUtf8(change.text)); break;
        case Prop::Visible: line += std::string("\tvisible\t") + (change.visible ? "1" : "0"); break;
        case Prop::Width: line += "\twidth\t" + std::to_string(change.width); break;
    }
    line += '\n';
    std::lock_guard lock(gLogLock);
    if (!gLog) return;
    std::fwrite(line.data(), 1, line.size(), gLog);
    std::fflush(gLog);
}

}  // namespace

bool StartControlLog(const std::string& path) {
    StopControlLog();
    std::FILE* f = std::fopen(path.c_str(), "ab");
    if (!f) return false;
    {
        std::lock_guard lock(gLogLock);
        gLog = f;
    }
    gSubscription = Subscribe(Write);
    return true;
}

void StartControlLogFromEnvironment() {
    const char* path = std::getenv("SORVANE_CONTROL_LOG");
    if (path && *path && !StartControlLog(path)) {
        std::fprintf(stderr, "sorvane: cannot open control log %s\n", path);
    }
}

void StopControlLog() {
    if (gSubscription >= 0) {
        Unsubscribe(gSubscription);
        gSubscription = -1;
    }
    std::lock_guard lock(gLogLock);
    if (gLog) {
        std::fclose(gLog);
        gLog = nullptr;
    }
}

}  // namespace ui
