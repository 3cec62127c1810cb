#pragma once
// Run-time primitives on texts, numbers, files, time, chance and threads.
//
// A Text is a byte string in code page 936 (GBK); positions are 1-based byte positions and
// -1 means "not found". A Bytes value is a counted run of bytes that may hold zero bytes.
// Everything that differs between platforms (file-name encoding, the run directory, opening an
// address, thread start) lives behind these routines.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

using Text = std::string;
using Bytes = std::string;

// UTF-8 source literal -> GBK program text, converted once per call site by the caller keeping
// the result (e.g. `static const Text kMsg = Gbk(u8"搜索");`).
Text Gbk(std::u8string_view utf8);
// GBK program text -> UTF-8 (for logs, file names on disk, the window toolkit).
std::string GbkToUtf8(std::string_view gbk);

namespace rt {

// ---- Texts ----
// Matches are tried only where a character begins: a byte of 0x80 or more starts a two-byte
// character, so a match never starts on a second byte. Ignoring case concerns ASCII only.
int Find(std::string_view text, std::string_view sought, int start = 1, bool ignoreCase = false);
// Last occurrence lying wholly before position `start` (start <= 0: the whole text).
int FindBack(std::string_view text, std::string_view sought, int start = 0,
             bool ignoreCase = false);
Text Left(std::string_view text, int n);
Text Right(std::string_view text, int n);
Text Mid(std::string_view text, int start, int n);
std::vector<Text> Split(std::string_view text, std::string_view delimiter);
// count < 0: every occurrence.
Text Replace(std::string_view text, std::string_view sought, std::string_view replacement = {},
             int start = 1, int count = -1, bool matchCase = true);
// Replace into a caller's buffer, reusing its storage: false, with `out` left alone, when
// nothing was replaced. `out` must not hold `text`.
bool ReplaceInto(std::string_view text, std::string_view sought, std::string_view replacement,
                 int start, int count, bool matchCase, Text& out);
Text Trim(std::string_view text);  // ASCII blanks and full-width blanks (A1 A1) only
Text ToLower(std::string_view text);
Text ToUpper(std::string_view text);
Text Blank(int n);
Text Char(int code);

// ---- Numbers and conversions ----
int ToInt(std::string_view text);  // full-width digits and signs read too; 0 without digits
int ToInt(double value);           // toward zero, after the 1e-12 nudge
int Truncate(double value);
int Floor(double value);
Text NumToText(int value);
Text NumToText(double value);  // up to 13 significant digits, no trailing zeros
Text FormatNumber(double value, int decimals, bool thousands = false);
Text ToHex(std::int32_t value);
Text BytesToText(std::string_view bytes);  // the bytes up to the first zero byte

// ---- Files (paths are GBK program text; converted to the file-system encoding here) ----
Text RunDirectory();  // directory of the executable, no trailing separator
Text PathSeparator();  // "/" on Linux, "\\" on Windows
bool SetRunDirectoryForTests(const Text& dir);  // also makes it the current directory
// Start-up: makes the run directory the current directory and seeds the random numbers.
bool InitRunTime();
bool FileExists(const Text& path);  // a file or a directory
int FileSize(const Text& path);     // low 32 bits; -1 if not found
// Atomic: writes a temporary file beside the target, flushes it and renames it over the
// target. False on an empty path or any failure; then no temporary file remains and an
// existing target is untouched.
bool WriteFile(const Text& path, std::initializer_list<std::string_view> parts);
bool DeleteFile(const Text& path);
// Test seam: when set, writes fail after this many bytes (negative: off).
void SetWriteFailAfterBytesForTests(long long bytes);

// ---- Time and chance ----
void SetRandomSeed();
int RandomNumber(int min, int max);
void SetRandomSeedForTests(unsigned seed);  // a repeatable sequence
// Sleeps; returns early (false) when shutdown has been requested.
bool SleepMs(int ms);
// Handles pending window messages of the calling thread through the hook the window installs;
// does nothing off the window's thread or without a window.
void ProcessEvents();
void SetProcessEventsHook(std::function<void()> hook);

// ---- Threads ----
// Starts a registered thread running `routine`; no handle is returned. Shutdown can ask every
// registered thread to stop (HTTP transfers abort) and wait for them.
bool StartThread(std::function<void()> routine);
void RequestStop();
bool StopRequested();
void ResetStop();  // tests: clear a stop request once every thread has ended
// Waits until no registered thread runs; false on timeout (timeoutMs < 0: wait for ever).
bool WaitForThreads(int timeoutMs = -1);
int RunningThreads();

// ---- Encoding and desktop ----
// Converts between two named character sets (iconv names). Invalid or unconvertible input
// becomes "?"; `ok` (optional) tells whether the conversion was clean.
Bytes ConvertEncoding(std::string_view bytes, const char* from, const char* to,
                      bool* ok = nullptr);
// Opens an http:// or https:// address in the user's browser (xdg-open on Linux) and returns
// at once; any other scheme is refused (false).
bool OpenAddress(const Text& url);

}  // namespace rt
