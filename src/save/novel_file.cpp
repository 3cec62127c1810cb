#include "save/novel_file.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "app/controls.h"
#include "save/messages.h"

namespace save_file {
namespace {

constexpr std::string_view kExtension = ".txt";
constexpr int kSuffixBytes = 4;  // "(NN)"

bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
bool IsTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Length of the character starting at `i`: 2 for a lead byte followed by a byte that can end
// a two-byte character, else 1. A lead byte before "/" or a control character is taken alone,
// so that the following byte is still seen (and replaced) as what it is.
std::size_t CharLength(std::string_view text, std::size_t i) {
    if (i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i])) &&
        IsTrailByte(static_cast<unsigned char>(text[i + 1])))
        return 2;
    return 1;
}

bool Unsafe(unsigned char b) { return b == '/' || b == '\\' || b < 0x20 || b == 0x7F; }

// A byte that is no character of code page 936 could not be written as a file name at all,
// and a page may well hold one; it goes the way of the separators.
bool Convertible(std::string_view character) {
    if (static_cast<unsigned char>(character[0]) < 0x80) return true;
    bool ok = false;
    rt::ConvertEncoding(character, "GBK", "UTF-8", &ok);
    return ok;
}

Text MakeSafe(std::string_view text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = CharLength(text, i);
        const std::string_view character = text.substr(i, n);
        if ((n == 1 && Unsafe(static_cast<unsigned char>(text[i]))) || !Convertible(character))
            out += '_';
        else
            out.append(character);
        i += n;
    }
    return out;
}

// Cuts the text at a character boundary so that its UTF-8 form takes at most `budget` bytes.
Text CutToUtf8Bytes(const Text& text, std::size_t budget) {
    if (GbkToUtf8(text).size() <= budget) return text;
    std::size_t used = 0;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t n = CharLength(text, end);
        const std::size_t bytes = GbkToUtf8(std::string_view(text).substr(end, n)).size();
        if (used + bytes > budget) break;
        used += bytes;
        end += n;
    }
    return text.substr(0, end);
}

std::filesystem::path OsPath(const Text& path) {
    const std::string utf8 = GbkToUtf8(path);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

Text FileStem(const Text& name, const Text& author) {
    const Text safeName = MakeSafe(name);
    const Text safeAuthor = MakeSafe(author);
    const std::size_t budget = kMaxFileNameBytes - kSuffixBytes - kExtension.size();
    const std::size_t nameBytes = GbkToUtf8(safeName).size();
    const std::size_t authorBytes = GbkToUtf8(safeAuthor).size();
    if (nameBytes + 1 + authorBytes <= budget) return safeName + "-" + safeAuthor;
    // Too long: the author keeps what the name leaves free, but at least half the room, so
    // an absurd name still leaves "-author" readable and the other way round.
    const std::size_t room = budget - 1;
    const std::size_t nameRoom = nameBytes < room ? room - nameBytes : 0;
    const Text author2 = CutToUtf8Bytes(safeAuthor, std::max(room / 2, nameRoom));
    const Text name2 = CutToUtf8Bytes(safeName, room - GbkToUtf8(author2).size());
    return name2 + "-" + author2;
}

Text NovelFilePath(const Text& name, const Text& author) {
    return rt::RunDirectory() + rt::PathSeparator() + FileStem(name, author) + Text(kExtension);
}

Text SuffixedPath(const Text& path, int number) {
    const Text stem = path.substr(0, path.size() - kExtension.size());
    return stem + "(" + rt::NumToText(number) + ")" + Text(kExtension);
}

Text SizeText(double bytes) { return rt::FormatNumber(bytes / 1048576.0, 2) + "M"; }

bool Replaceable(const Text& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(OsPath(path), ec);
    if (status.type() == fs::file_type::not_found) return true;
    if (ec || fs::is_directory(status)) return false;  // what we cannot inspect, we leave alone
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & kAnyWrite) != fs::perms::none;
}

bool WriteNovel(const Text& path, const Text& text) {
    const bool written = rt::WriteFile(path, {text});
    return written && rt::FileExists(path);
}

void ReportSaved(const Text& path) {
    ui::SetText(ui::提示_标签, save_text::SavedPrefix() + path);
    ui::SetVisible(ui::提示_标签, true);
}

void ReportFailed() {
    ui::SetText(ui::提示_标签, save_text::Failed());
    ui::SetVisible(ui::提示_标签, true);
}

}  // namespace save_file
