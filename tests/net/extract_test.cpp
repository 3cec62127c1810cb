// Cutting fields between markers and cleaning them with replacement pairs.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/runtime.h"
#include "net/extract.h"

namespace {

using V = std::vector<std::string>;

const std::string kFw = "\xA1\xA1";  // full-width blank

TEST(TextBetween, Cases) {
    struct Case {
        const char* name;
        std::string text, start, end;
        int startPos;
        bool ignoreCase;
        std::string expected;
    } cases[] = {
        {"plain", "<b>name</b>", "<b>", "</b>", 0, false, "name"},
        {"first start marker counts", "<b>1</b><b>2</b>", "<b>", "</b>", 0, false, "1"},
        {"no start marker", "name</b>", "<b>", "</b>", 0, false, ""},
        {"no end marker after the start", "</b><b>name", "<b>", "</b>", 0, false, ""},
        {"start marker at the very end", "x<b>", "<b>", "</b>", 0, false, ""},
        {"markers side by side", "<b></b>", "<b>", "</b>", 0, false, ""},
        {"nothing is trimmed", "<b> a </b>", "<b>", "</b>", 0, false, " a "},
        {"exact case by default", "<B>name</B>", "<b>", "</b>", 0, false, ""},
        {"ignoring case", "<B>name</B>", "<b>", "</b>", 0, true, "name"},
        {"from a later position", "<b>1</b><b>2</b>", "<b>", "</b>", 2, false, "2"},
        {"start position below 1", "<b>1</b>", "<b>", "</b>", -3, false, "1"},
        {"quote placeholder", "<p id=\"txt\">text</p>", Gbk(u8"id=#引号txt#引号>"), "</p>",
         0, false, "text"},
        {"quote placeholder in the end marker", "a=\"v\" b", "a=\"", Gbk(u8"#引号"), 0,
         false, "v"},
        {"marker hidden in a second byte", "\xC4<a>X</a><a>Y</a>", "<a>", "</a>", 0, false,
         "Y"},
        {"Chinese markers", Gbk(u8"作者：天蚕土豆。"), Gbk(u8"作者："), Gbk(u8"。"), 0, false,
         Gbk(u8"天蚕土豆")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextBetween(c.text, c.start, c.end, c.startPos, c.ignoreCase), c.expected);
    }
}

TEST(AllBetween, Cases) {
    struct Case {
        const char* name;
        std::string text, start, end;
        AllBetweenOptions options;
        V expected;
    } cases[] = {
        {"blank piece is skipped, others trimmed", "<li> a </li><li>  </li><li>" + kFw + "b</li>",
         "<li>", "</li>", {}, V{"a", "b"}},
        {"end marker is the next start marker", "|a|b|c|", "|", "|", {}, V{"a", "b", "c"}},
        {"no markers", "plain text", "<li>", "</li>", {}, V{}},
        {"no end marker", "<li>a", "<li>", "</li>", {}, V{}},
        {"case ignored by default", "<LI>a</li><li>b</LI>", "<li>", "</li>", {}, V{"a", "b"}},
        {"case sensitive", "<LI>a</LI><li>b</li>", "<li>", "</li>", {.caseSensitive = true},
         V{"b"}},
        {"case sensitive end marker", "<li>a</LI><li>b</li>", "<li>", "</li>",
         {.caseSensitive = true}, V{"a</LI><li>b"}},
        {"markers included", "<i>a</i><i>b</i>", "<i>", "</i>",
         {.includeStart = true, .includeEnd = true}, V{"<i>a</i>", "<i>b</i>"}},
        {"only the start marker", "<i>a</i>", "<i>", "</i>", {.includeStart = true},
         V{"<i>a"}},
        {"length limit keeps shorter pieces", "<i>ab</i><i>abc</i><i>a</i>", "<i>", "</i>",
         {.maxLength = 3}, V{"ab", "a"}},
        {"prefix and suffix around trimmed pieces", "<i> a </i><i>b</i>", "<i>", "</i>",
         {.prefix = "[", .suffix = "]"}, V{"[a]", "[b]"}},
        {"prefix makes a blank piece count", "<i> </i>", "<i>", "</i>", {.prefix = "x"},
         V{"x"}},
        {"start position", "<i>a</i><i>b</i>", "<i>", "</i>", {.startPos = 2}, V{"b"}},
        {"marker hidden in a second byte", "\xC4<i>x</i><i>y</i>", "<i>", "</i>", {}, V{"y"}},
        {"links of a chapter list",
         "<dd><a href=\"/1.html\">A</a></dd>\n<dd><a href=\"/2.html\">B</a></dd>",
         "<dd><a href=\"", "</a></dd>", {}, V{"/1.html\">A", "/2.html\">B"}},
        {"empty start marker", "abc", "", "c", {}, V{}},
        {"empty end marker", "abc", "a", "", {}, V{}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Text> results{"left over"};
        EXPECT_EQ(AllBetween(c.text, c.start, c.end, results, c.options),
                  static_cast<int>(c.expected.size()));
        EXPECT_EQ(results, c.expected);
    }
}

TEST(AllBetween, LetsTheWindowBreatheBetweenPieces) {
    int calls = 0;
    rt::SetProcessEventsHook([&] { ++calls; });
    std::vector<Text> results;
    // Three marker pairs (one blank) and a final start marker without an end: three rounds.
    const std::string text = "<i>a</i><i> </i><i>b</i><i>";
    AllBetween(text, "<i>", "</i>", results);
    EXPECT_EQ(calls, 9);
    calls = 0;
    AllBetween(text, "<i>", "</i>", results, {.maxLength = 10});
    EXPECT_EQ(calls, 11);  // one more after each kept piece
    rt::SetProcessEventsHook(nullptr);
}

TEST(ReplaceMany, Cases) {
    const std::string br2 = "<br/><br/>", para = kFw + kFw + "\r\n";
    struct Case {
        const char* name;
        std::string text;
        std::vector<ReplacePair> pairs;
        int count, startPos;
        bool caseSensitive;
        std::string expected;
    } cases[] = {
        {"one pair, every place, any case", "a&NBSP;b&nbsp;c&Nbsp;", {{"&nbsp;", ""}}, -1, 1,
         false, "abc"},
        {"case sensitive", "a&NBSP;b&nbsp;", {{"&nbsp;", ""}}, -1, 1, true, "a&NBSP;b"},
        {"count per pair", "a-b-c+d+e", {{"-", "="}, {"+", "="}}, 1, 1, false, "a=b-c=d+e"},
        {"start position protects the head", "-a-b", {{"-", ""}}, -1, 3, false, "-ab"},
        {"start position 0 is 1", "-a-b", {{"-", ""}}, -1, 0, false, "ab"},
        {"empty find changes nothing", "abc", {{"", "x"}, {"b", "B"}}, -1, 1, false, "aBc"},
        {"later pairs see earlier output", "a.b", {{".", " "}, {" ", "_"}}, -1, 1, false,
         "a_b"},
        {"earlier pairs do not see later output", "a b", {{" ", ""}, {"a", " "}}, -1, 1, false,
         " b"},
        {"second bytes are safe", "\xC4\x62" "b", {{"b", ""}}, -1, 1, false, "\xC4\x62"},
        {"chapter cleaning",
         kFw + "Hello World" + br2 + "&nbsp;x&NBSP;</DIV><BR/><Br/>end <br/>" + kFw + "</div>",
         {{"</div>", ""}, {" ", ""}, {kFw, ""}, {br2, para}, {"&nbsp;", ""}}, -1, 1, false,
         "HelloWorld" + para + "x" + para + "end<br/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Text out;
        switch (c.pairs.size()) {
            case 1:
                out = ReplaceMany(c.text, {c.pairs[0]}, c.count, c.startPos, c.caseSensitive);
                break;
            case 2:
                out = ReplaceMany(c.text, {c.pairs[0], c.pairs[1]}, c.count, c.startPos,
                                  c.caseSensitive);
                break;
            case 5:
                out = ReplaceMany(c.text, {c.pairs[0], c.pairs[1], c.pairs[2], c.pairs[3],
                                           c.pairs[4]},
                                  c.count, c.startPos, c.caseSensitive);
                break;
            default:
                FAIL() << "unexpected pair count";
        }
        EXPECT_EQ(out, c.expected);
    }
}

}  // namespace
