#include "net/extract.h"

namespace {

// In markers, "#引号" stands for a double quote, so markers can be written without escaping.
const Text& QuotePlaceholder() {
    static const Text kPlaceholder = Gbk(u8"#引号");
    return kPlaceholder;
}

}  // namespace

Text TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                 int startPos, bool ignoreCase) {
    const Text start = rt::Replace(startMarker, QuotePlaceholder(), "\"");
    const Text end = rt::Replace(endMarker, QuotePlaceholder(), "\"");
    const int s = rt::Find(text, start, startPos, ignoreCase);
    if (s < 0) return {};
    const int pieceStart = s + static_cast<int>(start.size());
    const int e = rt::Find(text, end, pieceStart, ignoreCase);
    if (e < 0) return {};
    return Text(text.substr(static_cast<size_t>(pieceStart - 1),
                            static_cast<size_t>(e - pieceStart)));
}

int AllBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
               std::vector<Text>& results, const AllBetweenOptions& options) {
    results.clear();
    // With an empty marker every position would match again at once and the walk never ends.
    if (startMarker.empty() || endMarker.empty()) return 0;
    const bool ignoreCase = !options.caseSensitive;
    int pos = options.startPos < 1 ? 1 : options.startPos;
    for (;;) {
        const int s = rt::Find(text, startMarker, pos, ignoreCase);
        if (s < 0) break;
        const int pieceStart = s + static_cast<int>(startMarker.size());
        const int e = rt::Find(text, endMarker, pieceStart, ignoreCase);
        if (e < 0) break;
        pos = pieceStart;
        Text piece = rt::Trim(text.substr(static_cast<size_t>(pieceStart - 1),
                                          static_cast<size_t>(e - pieceStart)));
        if (!options.prefix.empty() || !options.suffix.empty())
            piece = Text(options.prefix) + piece + Text(options.suffix);
        int yields = 3;
        if (!piece.empty()) {
            if (options.includeStart) piece.insert(0, startMarker);
            if (options.includeEnd) piece.append(endMarker);
            if (options.maxLength == 0 || static_cast<int>(piece.size()) < options.maxLength)
                results.push_back(std::move(piece));
            if (options.maxLength != 0) ++yields;
            // The end marker may be the next piece's start marker.
            pos = e;
        }
        // A long chapter list may be parsed on the window's thread: keep the window alive.
        for (int i = 0; i < yields; ++i) rt::ProcessEvents();
    }
    return static_cast<int>(results.size());
}

Text ReplaceMany(std::string_view text, std::initializer_list<ReplacePair> pairs, int count,
                 int startPos, bool caseSensitive) {
    if (startPos == 0) startPos = 1;
    // Each pair that changes something writes into the scratch buffer the current text is not
    // in. The buffers stay with the thread, so cleaning one page after another reuses memory
    // that is already mapped instead of asking the system for fresh pages on every pass.
    constexpr size_t kKeepScratchBytes = 64u << 20;
    static thread_local Text scratch[2];
    int current = -1;  // -1: still the caller's text
    std::string_view cur = text;
    for (const ReplacePair& pair : pairs) {
        if (pair.find.empty()) continue;
        const int target = current == 0 ? 1 : 0;
        if (rt::ReplaceInto(cur, pair.find, pair.replace, startPos, count, caseSensitive,
                            scratch[target])) {
            current = target;
            cur = scratch[current];
        }
    }
    Text out(cur);
    for (Text& s : scratch)
        if (s.capacity() > kKeepScratchBytes) Text().swap(s);
    return out;
}
