#pragma once
// The sample novels of the demo sites (tools/demo_sites) and of the end-to-end tests. All text
// is our own, written or generated here.
//
// Titles that find something (README lists them):
//   星河旅人       source B leads straight to the book's page; sources A and C list it first
//   星河           source B answers with a list of three books
//   Silent Harbor  an ASCII title; source B's book page, two books on sources A and C
//   雾港来信       a long novel of 320 chapters, to watch the progress bar

#include <vector>

#include "support/site_pages.h"

namespace fake {

const std::vector<ShelvedNovel>& DemoLibrary();

// Serves the demo library on three sites: search, book and download pages, and (through
// InstallChapterPages) the chapters and source C's files.
void InstallDemoLibrary(FakeSite& a, FakeSite& b, FakeSite& c);

}  // namespace fake
