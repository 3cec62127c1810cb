#pragma once
// Character sets and percent-encoding. Program text is GBK (code page 936).

#include <string_view>

#include "app/runtime.h"

Text Utf8ToAnsi(std::string_view utf8);  // invalid or unconvertible -> "?"; stops at a zero byte
Text AnsiToUtf8(std::string_view gbk);
Text UrlEncode(std::string_view gbk);  // UTF-8 form, every byte as %XX
Text PercentEncode(std::string_view gbk, bool keepUnreserved = false, bool asUtf8 = false);
