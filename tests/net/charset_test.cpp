// Converting pages between UTF-8 and GBK, and percent-encoding titles.

#include <gtest/gtest.h>

#include <string>

#include "net/charset.h"

namespace {

std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }

TEST(Charset, Utf8ToAnsi) {
    struct Case {
        const char* name;
        std::string utf8, gbk;
    } cases[] = {
        {"ASCII passes", "<p>abc</p>", "<p>abc</p>"},
        {"中", U8(u8"中"), "\xD6\xD0"},
        {"full-width blank", U8(u8"\u3000"), "\xA1\xA1"},
        {"euro sign", U8(u8"€"), "\x80"},
        {"emoji", U8(u8"第1章😀"), Gbk(u8"第1章") + "?"},
        {"stops at a zero byte", std::string("a\0\xE4\xB8\xAD", 5), "a"},
        {"a GBK page is garbled, its ASCII kept", "ab \xD6\xD0 cd", "ab ?? cd"},
        {"invalid byte", "a\xFF", "a?"},
        {"empty", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf8ToAnsi(c.utf8), c.gbk);
    }
}

TEST(Charset, AnsiToUtf8) {
    EXPECT_EQ(AnsiToUtf8("\xD6\xD0"), "\xE4\xB8\xAD");
    EXPECT_EQ(AnsiToUtf8("abc"), "abc");
    EXPECT_EQ(AnsiToUtf8("\x80"), U8(u8"€"));
    EXPECT_EQ(AnsiToUtf8(std::string("a\0\xD6\xD0", 4)), "a");
    EXPECT_EQ(AnsiToUtf8(""), "");
}

TEST(Charset, TitlesInSearchAddresses) {
    struct Case {
        const char* name;
        std::string title, urlEncoded, percentEncoded;
    } cases[] = {
        {"中", "\xD6\xD0", "%E4%B8%AD", "%D6%D0"},
        {"abc", "abc", "%61%62%63", "%61%62%63"},
        {"tab", "\t", "%09", "%09"},
        {"empty title", "", "", ""},
        {"blank and plus", " +", "%20%2B", "%20%2B"},
        {"two characters", Gbk(u8"斗破"), "%E6%96%97%E7%A0%B4", "%B6%B7%C6%C6"},
        {"not GBK: no title at all", "\xFF", "", "%FF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(UrlEncode(c.title), c.urlEncoded);
        EXPECT_EQ(PercentEncode(c.title), c.percentEncoded);
    }
}

TEST(Charset, PercentEncodeOptions) {
    struct Case {
        const char* name;
        std::string text;
        bool keepUnreserved, asUtf8;
        std::string expected;
    } cases[] = {
        {"keeps letters, digits, - and .", "a-b.c/d", true, false, "a-b.c%2Fd"},
        {"_ and ~ are encoded", "A_9~", true, false, "A%5F9%7E"},
        {"Chinese is always encoded", "\xD6\xD0", true, false, "%D6%D0"},
        {"as UTF-8", "\xD6\xD0", false, true, "%E4%B8%AD"},
        {"as UTF-8 keeping letters", "x\xD6\xD0", true, true, "x%E4%B8%AD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(PercentEncode(c.text, c.keepUnreserved, c.asUtf8), c.expected);
    }
}

}  // namespace
