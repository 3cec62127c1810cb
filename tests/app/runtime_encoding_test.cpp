// Named character-set conversion and the GBK helpers.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/runtime.h"

namespace {

TEST(RuntimeEncoding, GbkOfSourceLiterals) {
    struct Case {
        const char* name;
        std::u8string utf8;
        std::string gbk;
    } cases[] = {
        {"ASCII", u8"abc", "abc"},
        {"中", u8"中", "\xD6\xD0"},
        {"搜索", u8"搜索", "\xCB\xD1\xCB\xF7"},
        {"full-width blank", u8"\u3000", "\xA1\xA1"},
        {"euro sign is 0x80 in code page 936", u8"€", "\x80"},
        {"emoji has no place in code page 936", u8"😀", "?"},
        {"emoji between letters", u8"a😀b", "a?b"},
        {"empty", u8"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Gbk(c.utf8), c.gbk);
    }
    EXPECT_EQ(GbkToUtf8("\xD6\xD0"), "\xE4\xB8\xAD");
    EXPECT_EQ(GbkToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(RuntimeEncoding, BrokenInputBecomesQuestionMarks) {
    struct Case {
        const char* name;
        std::string in;
        const char* from;
        const char* to;
        std::string out;
        bool clean;
    } cases[] = {
        {"clean UTF-8", "a\xE4\xB8\xAD", "UTF-8", "GBK", "a\xD6\xD0", true},
        {"stray byte", "a\xFF" "b", "UTF-8", "GBK", "a?b", false},
        {"cut at the end", "a\xE4\xB8", "UTF-8", "GBK", "a?", false},
        {"cut in the middle", "\xE4\xB8" "x", "UTF-8", "GBK", "?x", false},
        {"overlong encoding", "\xC0\x80", "UTF-8", "GBK", "??", false},
        {"surrogate half", "\xED\xA0\x80", "UTF-8", "GBK", "???", false},
        {"GBK page read as UTF-8", "ab \xD6\xD0", "UTF-8", "GBK", "ab ??", false},
        {"zero bytes pass through", std::string("a\0b", 3), "UTF-8", "GBK",
         std::string("a\0b", 3), true},
        {"GBK invalid lead", "\xFF" "a", "GBK", "UTF-8", "?a", false},
        {"GBK lead at the end", "a\x81", "GBK", "UTF-8", "a?", false},
        {"GBK lead before a blank", "\x81 x", "GBK", "UTF-8", "? x", false},
        {"CP936 is the same set", "\xD6\xD0", "CP936", "UTF-8", "\xE4\xB8\xAD", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        bool clean = !c.clean;
        EXPECT_EQ(rt::ConvertEncoding(c.in, c.from, c.to, &clean), c.out);
        EXPECT_EQ(clean, c.clean);
    }
    bool ok = true;
    EXPECT_EQ(rt::ConvertEncoding("abc", "NO-SUCH-SET", "UTF-8", &ok), "");
    EXPECT_FALSE(ok);
}

TEST(RuntimeEncoding, EveryCommonCharacterRoundTrips) {
    // The GB2312 block of code page 936, in a long text so that the output buffer must grow.
    std::string gbk;
    for (int lead = 0xB0; lead <= 0xF7; ++lead)
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9) continue;  // unassigned end of row 55
            gbk += static_cast<char>(lead);
            gbk += static_cast<char>(trail);
            gbk += (trail % 7 == 0) ? "x" : "";
        }
    bool ok = false;
    const std::string utf8 = rt::ConvertEncoding(gbk, "GBK", "UTF-8", &ok);
    EXPECT_TRUE(ok);
    EXPECT_GT(utf8.size(), gbk.size());
    EXPECT_EQ(rt::ConvertEncoding(utf8, "UTF-8", "GBK", &ok), gbk);
    EXPECT_TRUE(ok);
}

}  // namespace
