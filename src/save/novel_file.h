#pragma once
// The novel file: its name, its size text, and the steps that the save and the same-name panel
// share. Used on the window's thread only.

#include "app/runtime.h"

namespace save_file {

// The longest file name the file systems we write to accept, in bytes of UTF-8.
inline constexpr int kMaxFileNameBytes = 255;

// Name and author as they may stand in a file name: every "/", "\\", control character and
// byte that is no GBK character becomes "_"; a stem "name-author" that is too long is cut at
// character boundaries, the longer part giving way first, so that even the renamed
// "stem(NN).txt" stays within kMaxFileNameBytes.
Text FileStem(const Text& name, const Text& author);

// Run directory, separator, FileStem(name, author) and ".txt".
Text NovelFilePath(const Text& name, const Text& author);

// The same path with "(number)" before ".txt": a path written by NovelFilePath and a number
// from 11 to 99.
Text SuffixedPath(const Text& path, int number);

// Bytes as megabytes with two decimals and "M": 1,048,576 gives "1.00M".
Text SizeText(double bytes);

// False for a path that must not be replaced: a directory, or a file whose write permission
// is clear for everybody (write-protected, even for a user such as root who could write it).
bool Replaceable(const Text& path);

// Writes the text to the path and tells whether the novel is on disk: the write's own result
// and the file's presence afterwards must both agree.
bool WriteNovel(const Text& path, const Text& text);

// Tip label: the success message with the path, or the failure message; then shows it.
void ReportSaved(const Text& path);
void ReportFailed();

}  // namespace save_file
