#pragma once
// Cutting fields out of page text between marker texts, and cleaning by replacement pairs.
// Texts are GBK; matches begin only at character boundaries (see rt::Find).

#include <initializer_list>
#include <string_view>
#include <vector>

#include "app/runtime.h"

// The first piece between startMarker and the next endMarker; empty when either is missing.
// In both markers "#引号" stands for a double quote.
Text TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                 int startPos = 0, bool ignoreCase = false);

struct AllBetweenOptions {
    bool includeStart = false;
    bool includeEnd = false;
    bool caseSensitive = false;
    int maxLength = 0;
    std::string_view prefix = {};
    std::string_view suffix = {};
    int startPos = 0;
};
// Empties `results`, then collects every trimmed, non-empty piece in page order; returns the
// count. Lets the window handle its pending messages between pieces (rt::ProcessEvents).
int AllBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker,
               std::vector<Text>& results, const AllBetweenOptions& options = {});

struct ReplacePair {
    std::string_view find;
    std::string_view replace;
};
// Applies up to five pairs in turn. count < 0: every occurrence; startPos 0 counts as 1.
Text ReplaceMany(std::string_view text, std::initializer_list<ReplacePair> pairs, int count = -1,
                 int startPos = 1, bool caseSensitive = false);
