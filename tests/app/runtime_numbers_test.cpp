// Numbers: reading integers, rounding, and writing numbers as text.

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "app/runtime.h"

namespace {

TEST(RuntimeNumbers, ToIntFromText) {
    struct Case {
        const char* name;
        std::string text;
        int expected;
    } cases[] = {
        {"plain", "123", 123},
        {"blanks, sign and trailing text", " \t-42abc", -42},
        {"plus", "+7", 7},
        {"no digits", "abc", 0},
        {"empty", "", 0},
        {"sign alone", "-", 0},
        {"blank after the sign", "- 5", 0},
        {"stops at a blank", "12 34", 12},
        {"full-width digits", "\xA3\xB1\xA3\xB2\xA3\xB3", 123},
        {"full-width minus", "\xA3\xAD\xA3\xB5", -5},
        {"full-width plus", "\xA3\xAB" "9", 9},
        {"mixed widths", "1\xA3\xB2" "3", 123},
        {"Chinese before the digits", "\xB5\xDA" "12", 0},
        {"Chinese after the digits", "12\xD5\xC2", 12},
        {"too big", "99999999999", INT_MAX},
        {"too small", "-99999999999", INT_MIN},
        {"smallest", "-2147483648", INT_MIN},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::ToInt(c.text), c.expected);
    }
}

TEST(RuntimeNumbers, RealToInteger) {
    struct Case {
        const char* name;
        double value;
        int toInt, truncate, floor;
    } cases[] = {
        {"positive", 2.7, 2, 2, 2},
        {"negative", -2.7, -2, -2, -3},
        {"just below 3", 3.0 - 1e-13, 3, 3, 3},
        {"just below 0", -1e-13, 0, 0, 0},
        {"not close enough to 3", 3.0 - 1e-9, 2, 2, 2},
        {"minus a half", -0.5, 0, 0, -1},
        {"too big", 1e12, INT_MAX, INT_MAX, INT_MAX},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::ToInt(c.value), c.toInt);
        EXPECT_EQ(rt::Truncate(c.value), c.truncate);
        EXPECT_EQ(rt::Floor(c.value), c.floor);
    }
}

TEST(RuntimeNumbers, NumToText) {
    EXPECT_EQ(rt::NumToText(0), "0");
    EXPECT_EQ(rt::NumToText(-17), "-17");
    struct Case {
        const char* name;
        double value;
        const char* expected;
    } cases[] = {
        {"a half", 2.5, "2.5"},
        {"whole", 3.0, "3"},
        {"zero", 0.0, "0"},
        {"negative zero", -0.0, "0"},
        {"a tenth", 0.1, "0.1"},
        {"a third", 1.0 / 3, "0.3333333333333"},
        {"two thirds rounds", 2.0 / 3, "0.6666666666667"},
        {"negative", -0.25, "-0.25"},
        {"large", 123456789.125, "123456789.125"},
        {"no exponent for big numbers", 1e20, "100000000000000000000"},
        {"no exponent for small numbers", 1e-5, "0.00001"},
        {"13 significant digits", 1234567890123456.0, "1234567890123000"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::NumToText(c.value), c.expected);
    }
}

TEST(RuntimeNumbers, FormatNumber) {
    struct Case {
        const char* name;
        double value;
        int decimals;
        bool thousands;
        const char* expected;
    } cases[] = {
        {"half a cent rounds up", 0.005, 2, false, "0.01"},
        {"12.775 rounds up despite its binary form", 12.775, 2, false, "12.78"},
        {"pads the fraction", 3, 2, false, "3.00"},
        {"just under 5 MB", 5242879.0 / 1048576, 2, false, "5.00"},
        {"about 10 KB in MB", 10480.0 / 1048576, 2, false, "0.01"},
        {"zero", 0, 2, false, "0.00"},
        {"half away from zero, negative", -1.005, 2, false, "-1.01"},
        {"rounds to zero without a sign", -0.001, 2, false, "0.00"},
        {"no decimals", 2.5, 0, false, "3"},
        {"carries into the integer part", 999.995, 2, false, "1000.00"},
        {"separators", 1234567.891, 2, true, "1,234,567.89"},
        {"separators, four digits", 1234, 0, true, "1,234"},
        {"separators, three digits", 123, 0, true, "123"},
        {"separators, negative", -1234.5, 1, true, "-1,234.5"},
        {"no separators unless asked", 1234567, 0, false, "1234567"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rt::FormatNumber(c.value, c.decimals, c.thousands), c.expected);
    }
}

TEST(RuntimeNumbers, HexAndBytes) {
    EXPECT_EQ(rt::ToHex(255), "FF");
    EXPECT_EQ(rt::ToHex(0), "0");
    EXPECT_EQ(rt::ToHex(4096), "1000");
    EXPECT_EQ(rt::ToHex(-1), "FFFFFFFF");
    EXPECT_EQ(rt::BytesToText(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(rt::BytesToText(std::string("\0", 1)), "");
    EXPECT_EQ(rt::BytesToText("abc"), "abc");
}

}  // namespace
