// Files and the run directory. Program paths are GBK text; Linux file names are UTF-8, so every
// path is converted on its way to the system. A path that does not convert cleanly is refused
// rather than turned into some other file's name.

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>

#include "app/runtime.h"

namespace {

struct RunDir {
    std::mutex mutex;
    Text override;  // guarded by mutex; set by tests
    bool overridden = false;
};

RunDir& Dir() {
    static RunDir* const dir = new RunDir;
    return *dir;
}

std::atomic<long long> gWriteFailAfter{-1};

bool OsPath(const Text& gbk, std::string& out) {
    if (gbk.empty() || gbk.find('\0') != Text::npos) return false;
    bool ok = false;
    out = rt::ConvertEncoding(gbk, "GBK", "UTF-8", &ok);
    return ok && !out.empty();
}

Text ExecutableDirectory() {
    char buf[PATH_MAX + 1];
    const ssize_t n = readlink("/proc/self/exe", buf, PATH_MAX);
    if (n <= 0) return {};
    std::string path(buf, static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    path.resize(slash == std::string::npos ? 0 : slash);  // "" for a program in "/"
    return rt::ConvertEncoding(path, "UTF-8", "GBK");
}

// New files get the permissions open() would give them: 0666 less the umask. umask() itself
// cannot be read without changing it, which would race with other threads.
mode_t NewFileMode() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 0644;
}

// write() with the test seam: once the budget is used up, the device reports it is full.
bool WriteAll(int fd, std::string_view bytes, long long& written) {
    const long long failAfter = gWriteFailAfter.load();
    size_t done = 0;
    while (done < bytes.size()) {
        size_t chunk = bytes.size() - done;
        if (failAfter >= 0) {
            if (written >= failAfter) {
                errno = ENOSPC;
                return false;
            }
            chunk = std::min<size_t>(chunk, static_cast<size_t>(failAfter - written));
        }
        const ssize_t n = write(fd, bytes.data() + done, chunk);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
        written += n;
    }
    return true;
}

}  // namespace

namespace rt {

Text RunDirectory() {
    RunDir& d = Dir();
    {
        std::lock_guard lock(d.mutex);
        if (d.overridden) return d.override;
    }
    static const Text exeDir = ExecutableDirectory();
    return exeDir;
}

Text PathSeparator() { return "/"; }

bool SetRunDirectoryForTests(const Text& dir) {
    std::string os;
    if (!OsPath(dir, os) || chdir(os.c_str()) != 0) return false;
    RunDir& d = Dir();
    std::lock_guard lock(d.mutex);
    d.override = dir;
    d.overridden = true;
    return true;
}

bool InitRunTime() {
    SetRandomSeed();
    std::string os;
    return OsPath(RunDirectory().empty() ? Text("/") : RunDirectory(), os) &&
           chdir(os.c_str()) == 0;
}

bool FileExists(const Text& path) {
    std::string os;
    struct stat st;
    return OsPath(path, os) && stat(os.c_str(), &st) == 0;
}

int FileSize(const Text& path) {
    std::string os;
    struct stat st;
    if (!OsPath(path, os) || stat(os.c_str(), &st) != 0) return -1;
    return static_cast<int>(static_cast<std::uint32_t>(st.st_size));
}

bool WriteFile(const Text& path, std::initializer_list<std::string_view> parts) {
    std::string target;
    if (!OsPath(path, target) || target.back() == '/') return false;
    const size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);

    // The temporary file sits beside the target so that the final rename stays on one file
    // system and replaces the target in one step.
    // Its name is cut short where needed so that a long novel name still leaves room.
    std::string temp = dir + (slash == std::string::npos ? "/" : "") + "." + name.substr(0, 200) +
                       ".XXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;

    struct stat old;
    const mode_t mode = stat(target.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    long long written = 0;
    bool ok = fchmod(fd, mode) == 0;
    for (std::string_view part : parts) {
        if (!ok) break;
        ok = WriteAll(fd, part, written);
    }
    ok = ok && fsync(fd) == 0;
    ok = (close(fd) == 0) && ok;
    ok = ok && rename(temp.c_str(), target.c_str()) == 0;
    if (!ok) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable; the data is already safe, so a failure here is not one
    // the caller could act on.
    const int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

bool DeleteFile(const Text& path) {
    std::string os;
    return OsPath(path, os) && unlink(os.c_str()) == 0;
}

void SetWriteFailAfterBytesForTests(long long bytes) { gWriteFailAfter.store(bytes); }

}  // namespace rt
