// Texts: searching, cutting, splitting, replacing and trimming GBK text.

#include <gtest/gtest.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "app/runtime.h"

namespace {

// A few GBK characters, by their bytes.
const std::string kZhong = "\xD6\xD0";     // 中
const std::string kA = "\xB0\xA1";         // 啊
const std::string kFwBlank = "\xA1\xA1";   // the full-width blank
const std::string kLeadB = "\xC4\x62";     // a character whose second byte is 'b'
const std::string kLeadUpperB = "\xC4\x42";  // ... and one whose second byte is 'B'

TEST(RuntimeText, Find) {
    struct Case {
        const char* name;
        std::string text, sought;
        int start;
        bool ignoreCase;
        int expected;
    } cases[] = {
        {"first b", "abcb", "b", 1, false, 2},
        {"from 3", "abcb", "b", 3, false, 4},
        {"start on the match", "abcb", "b", 4, false, 4},
        {"start below 1 counts as 1", "abcb", "b", -5, false, 2},
        {"start beyond the end", "abcb", "b", 5, false, -1},
        {"not there", "abcb", "x", 1, false, -1},
        {"longer than the text", "ab", "abc", 1, false, -1},
        {"empty sought", "abc", "", 1, false, 1},
        {"empty sought from 2", "abc", "", 2, false, 2},
        {"empty sought past the end", "abc", "", 4, false, -1},
        {"empty text", "", "a", 1, false, -1},
        {"second byte is not a b", kLeadB, "b", 1, false, -1},
        {"b after a character ending in b", kLeadB + "b", "b", 1, false, 3},
        {"b after a character ending in b, from its 2nd byte", kLeadB + "b", "b", 2, false, 3},
        {"match across two characters", kZhong + "\xCE\xC4", "\xD0\xCE", 1, false, -1},
        {"blank across 啊 and a lone A1", kA + kFwBlank, kFwBlank, 1, false, 3},
        {"lead byte with an ASCII second byte", "\x81" "bb", "b", 1, false, 3},
        {"two lead bytes then b", "\x81\x81" "b", "b", 1, false, 3},
        {"long run of characters", std::string(2000, '\xD6') + "b", "b", 1, false, 2001},
        {"odd run swallows the b", std::string(2001, '\xD6') + "bb", "b", 1, false, 2003},
        {"Chinese sought", "x" + kZhong + kA, kA, 1, false, 4},
        {"case differs", "ABC", "b", 1, false, -1},
        {"ignore case", "ABC", "b", 1, true, 2},
        {"ignore case, letters only", "xxHtMlxx", "html", 1, true, 3},
        {"ignore case, tag", "a<BR/>b", "<br/>", 1, true, 2},
        {"ignore case, entity", "x&NbSp;y", "&nbsp;", 1, true, 2},
        {"ignore case never folds a second byte", kLeadUpperB, kLeadB, 1, true, -1},
        {"ignore case, same second byte", kLeadUpperB + "X", kLeadUpperB + "x", 1, true, 1},
        {"ignore case respects boundaries", "\xC4" "B" "b", "B", 1, true, 3},
        {"ignore case from start", "bAbA", "BA", 2, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::Find(c.text, c.sought, c.start, c.ignoreCase), c.expected);
    }
}

// The obvious, slow way: walk the characters from the first byte and compare at each start.
int ReferenceFind(const std::string& text, const std::string& sought, int start, bool ignoreCase,
                  size_t limit) {
    std::vector<bool> fold(sought.size(), false);
    for (size_t i = 0; i < sought.size(); i += static_cast<unsigned char>(sought[i]) >= 0x80 ? 2 : 1)
        fold[i] = ignoreCase && std::isalpha(static_cast<unsigned char>(sought[i]));
    for (size_t c = 0; c < text.size(); c += static_cast<unsigned char>(text[c]) >= 0x80 ? 2 : 1) {
        if (c + 1 < static_cast<size_t>(start) || c + sought.size() > limit) continue;
        bool same = true;
        for (size_t i = 0; same && i < sought.size(); ++i) {
            const char a = text[c + i], b = sought[i];
            same = fold[i] ? std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b))
                           : a == b;
        }
        if (same) return static_cast<int>(c) + 1;
    }
    return -1;
}

TEST(RuntimeText, FindAgreesWithAPlainWalk) {
    // Few distinct bytes, so that matches, near misses, second bytes that look like ASCII and
    // long runs of high bytes all come up; long texts make the fast search change strategy.
    const std::string alphabet = "aAbB<>/ \xA1\xB0\xC4\xD6";
    std::mt19937 rng(20261211);
    auto pick = [&](size_t n) {
        std::string s;
        for (size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 3000; ++round) {
        const std::string text = pick(rng() % 4 == 0 ? 3000 + rng() % 3000 : rng() % 40);
        const std::string sought = pick(1 + rng() % 4);
        const int start = static_cast<int>(rng() % (text.size() + 2));
        const bool ignoreCase = rng() % 2;
        SCOPED_TRACE(::testing::Message() << "round " << round);
        ASSERT_EQ(rt::Find(text, sought, start, ignoreCase),
                  start > static_cast<int>(text.size())
                      ? -1
                      : ReferenceFind(text, sought, start, ignoreCase, text.size()));
        // Backwards: the last start whose match ends before `start`.
        int last = -1;
        const size_t limit = start >= 1 ? static_cast<size_t>(start - 1) : text.size();
        for (int from = 1, at; (at = ReferenceFind(text, sought, from, ignoreCase, limit)) > 0;
             from = at + 1)
            last = at;
        ASSERT_EQ(rt::FindBack(text, sought, start, ignoreCase), last);
    }
}

TEST(RuntimeText, FindBack) {
    struct Case {
        const char* name;
        std::string text, sought;
        int start;
        bool ignoreCase;
        int expected;
    } cases[] = {
        {"whole text", "abcb", "b", 0, false, 4},
        {"before 4", "abcb", "b", 4, false, 2},
        {"before 3", "abcb", "b", 3, false, 2},
        {"before 2: only a", "abcb", "b", 2, false, -1},
        {"must lie wholly before start", "abcb", "cb", 4, false, -1},
        {"wholly before 5", "abcb", "cb", 5, false, 3},
        {"start past the end is the whole text", "abcb", "b", 99, false, 4},
        {"not there", "abcb", "x", 0, false, -1},
        {"second byte is not a b", kLeadB, "b", 0, false, -1},
        {"b before a character ending in b", "b" + kLeadB, "b", 0, false, 1},
        {"ignore case", "aBcB", "b", 0, true, 4},
        {"exact case", "aBcb", "B", 0, false, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::FindBack(c.text, c.sought, c.start, c.ignoreCase), c.expected);
    }
}

TEST(RuntimeText, LeftRightMid) {
    EXPECT_EQ(rt::Left("abcdef", 2), "ab");
    EXPECT_EQ(rt::Left("ab", 5), "ab");
    EXPECT_EQ(rt::Left("ab", 0), "");
    EXPECT_EQ(rt::Left("ab", -1), "");
    EXPECT_EQ(rt::Right("abcdef", 2), "ef");
    EXPECT_EQ(rt::Right("ab", 5), "ab");
    EXPECT_EQ(rt::Right("ab", -3), "");
    EXPECT_EQ(rt::Mid("abcdef", 2, 3), "bcd");
    EXPECT_EQ(rt::Mid("abcdef", 5, 9), "ef");
    EXPECT_EQ(rt::Mid("abcdef", 0, 2), "");
    EXPECT_EQ(rt::Mid("abcdef", 7, 2), "");
    EXPECT_EQ(rt::Mid("abcdef", 2, 0), "");
    // Bytes are counted, so a character may be cut.
    EXPECT_EQ(rt::Left(kZhong, 1), "\xD6");
    EXPECT_EQ(rt::Mid(kZhong + kA, 2, 2), "\xD0\xB0");
}

TEST(RuntimeText, Split) {
    using V = std::vector<std::string>;
    struct Case {
        const char* name;
        std::string text, delimiter;
        V expected;
    } cases[] = {
        {"empty piece in the middle", "a,,b,", ",", V{"a", "", "b"}},
        {"leading delimiter", ",a", ",", V{"", "a"}},
        {"only delimiters", ",,", ",", V{"", ""}},
        {"no delimiter", "abc", ",", V{"abc"}},
        {"empty text", "", ",", V{}},
        {"empty delimiter", "a,b", "", V{"a,b"}},
        {"two-byte delimiter", "x.html\">Title\">more", "\">", V{"x.html", "Title", "more"}},
        {"exact case", "aBb", "b", V{"aB"}},
        {"delimiter hidden in a second byte", "a" + kLeadB + "bc", "b", V{"a" + kLeadB, "c"}},
        {"Chinese delimiter", "a" + kZhong + "b" + kZhong, kZhong, V{"a", "b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::Split(c.text, c.delimiter), c.expected);
    }
}

TEST(RuntimeText, Replace) {
    struct Case {
        const char* name;
        std::string text, sought, replacement;
        int start, count;
        bool matchCase;
        std::string expected;
    } cases[] = {
        {"every occurrence", "a-b-c", "-", "+", 1, -1, true, "a+b+c"},
        {"deleting", "a b c", " ", "", 1, -1, true, "abc"},
        {"count 1", "a-b-c", "-", "+", 1, 1, true, "a+b-c"},
        {"count 0", "a-b-c", "-", "+", 1, 0, true, "a-b-c"},
        {"from 3", "a-b-c", "-", "+", 3, -1, true, "a-b+c"},
        {"start below 1", "a-b", "-", "+", -2, -1, true, "a+b"},
        {"start beyond the end", "a-b", "-", "+", 4, -1, true, "a-b"},
        {"empty text", "", "-", "+", 1, -1, true, ""},
        {"empty sought", "a-b", "", "+", 1, -1, true, "a-b"},
        {"no overlap", "aaa", "aa", "b", 1, -1, true, "ba"},
        {"replacement holds the sought", "aa", "a", "aa", 1, -1, true, "aaaa"},
        {"match case", "ABab", "a", "x", 1, -1, true, "ABxb"},
        {"ignore case", "ABab", "a", "x", 1, -1, false, "xBxb"},
        {"ignore case, tag", "<BR/>x<br/>", "<br/>", "|", 1, -1, false, "|x|"},
        {"second byte untouched", kLeadB + "b", "b", "", 1, -1, true, kLeadB},
        {"blank inside 啊 and a lone A1", kA + kFwBlank + "x", kFwBlank, "", 1, -1, true,
         kA + "x"},
        {"Chinese by Chinese", kZhong + "a" + kZhong, kZhong, kA, 1, -1, true, kA + "a" + kA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::Replace(c.text, c.sought, c.replacement, c.start, c.count, c.matchCase),
                  c.expected);
    }
}

TEST(RuntimeText, Trim) {
    struct Case {
        const char* name;
        std::string text, expected;
    } cases[] = {
        {"spaces", "  a b  ", "a b"},
        {"full-width blanks", kFwBlank + "a" + kFwBlank + kFwBlank, "a"},
        {"mixed blanks", " " + kFwBlank + " a " + kFwBlank, "a"},
        {"tab stays", "\ta", "\ta"},
        {"line breaks stay", "a\r\n", "a\r\n"},
        {"only blanks", "  " + kFwBlank + " ", ""},
        {"empty", "", ""},
        {"character ending in A1 then a blank", kA + kFwBlank, kA},
        {"lone A1 at the end is kept", "x" + kA + "\xA1", "x" + kA + "\xA1"},
        {"A1 with a space as second byte", "\xA1 ", "\xA1 "},
        {"lead byte with a space as second byte", "\xD6 ", "\xD6 "},
        {"character then a space", kZhong + " ", kZhong},
        {"long Chinese line with blanks", kFwBlank + std::string(999, '\xD6') + kFwBlank,
         std::string(999, '\xD6') + kFwBlank},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::Trim(c.text), c.expected);
    }
}

TEST(RuntimeText, CaseAndSmallTexts) {
    EXPECT_EQ(rt::ToLower("AbC-Z"), "abc-z");
    EXPECT_EQ(rt::ToUpper("aBc-z"), "ABC-Z");
    // Second bytes that look like letters belong to their character and stay as they are.
    EXPECT_EQ(rt::ToLower("A" + kLeadUpperB + "Z"), "a" + kLeadUpperB + "z");
    EXPECT_EQ(rt::ToUpper(kLeadB + "b"), kLeadB + "B");
    EXPECT_EQ(rt::Blank(3), "   ");
    EXPECT_EQ(rt::Blank(0), "");
    EXPECT_EQ(rt::Blank(-1), "");
    EXPECT_EQ(rt::Char(65), "A");
    EXPECT_EQ(rt::Char(0xA1), "\xA1");
    EXPECT_EQ(rt::Char(0), "");
}

}  // namespace
