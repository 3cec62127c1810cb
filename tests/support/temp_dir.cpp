#include "support/temp_dir.h"

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace fs = std::filesystem;

namespace {

Text ToGbk(std::string_view utf8) {
    return Gbk(std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

}  // namespace

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = (base && *base) ? base : "/tmp";
    while (pattern.size() > 1 && pattern.back() == '/') pattern.pop_back();
    pattern += "/sorvane-test-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        // Without a scratch directory no file test can mean anything: say so loudly.
        std::perror("TempDir: mkdtemp");
        std::abort();
    }
    path_ = pattern;
    gbkPath_ = ToGbk(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may leave read-only entries behind; make them writable so removal succeeds.
    for (auto it = fs::recursive_directory_iterator(path_, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        std::error_code ignored;
        if (it->is_directory(ignored) && !it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    }
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

std::string TempDir::File(std::string_view utf8Name) const {
    return path_ + "/" + std::string(utf8Name);
}

Text TempDir::GbkFile(std::string_view utf8Name) const { return ToGbk(File(utf8Name)); }

bool TempDir::Put(std::string_view utf8Name, std::string_view bytes) const {
    std::ofstream out(File(utf8Name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out.flush());
}

std::string TempDir::Get(std::string_view utf8Name) const {
    std::ifstream in(File(utf8Name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempDir::Has(std::string_view utf8Name) const {
    std::error_code ec;
    return fs::exists(File(utf8Name), ec);
}

std::vector<std::string> TempDir::Entries() const {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = fs::directory_iterator(path_, ec); !ec && it != fs::directory_iterator();
         it.increment(ec))
        names.push_back(it->path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
