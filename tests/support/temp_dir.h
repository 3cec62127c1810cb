#pragma once
// A private scratch directory for one test, removed with everything in it when the TempDir goes
// out of scope. It lives under $TMPDIR (or /tmp) and has an ASCII name, so its UTF-8 path and
// its GBK program-text path are the same bytes; names added below it may be Chinese.

#include <string>
#include <string_view>
#include <vector>

#include "app/runtime.h"

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory itself, without a trailing separator.
    const std::string& path() const { return path_; }  // UTF-8, for the OS and std::filesystem
    const Text& gbkPath() const { return gbkPath_; }    // GBK, for rt:: routines

    // A name below the directory. `name` is UTF-8 (a u8 literal cast or plain ASCII).
    std::string File(std::string_view utf8Name) const;  // UTF-8 path
    Text GbkFile(std::string_view utf8Name) const;       // the same path as GBK program text

    // Writes / reads a file below the directory directly through the OS (UTF-8 name), so tests
    // can prepare and inspect files without going through the routines under test.
    bool Put(std::string_view utf8Name, std::string_view bytes) const;
    std::string Get(std::string_view utf8Name) const;  // empty if missing
    bool Has(std::string_view utf8Name) const;
    // Names of every entry directly in the directory (UTF-8), sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
    Text gbkPath_;
};
