#pragma once
// The chapter side of the fake and demo sites, built from fake::Novel: source A's chapter pages
// (UTF-8), source B's table of contents and chapter pages (GBK), source C's whole-novel file,
// and the routes that serve them on a FakeSite.

#include <string>

#include "support/novel.h"

namespace fake {

class FakeSite;

// ---- Source A ----
// "/KEY/read_N.html", the address of page n (1-based) of the novel with this key.
std::string SourceAChapterPath(const std::string& key, int n);
// Page n: title block, chapter text between the site's markers, paragraphs closed by "</p><p>".
std::string SourceAChapterPage(const Novel& novel, int n);
// Serves every chapter page of the novel under "/KEY/read_", built when asked for.
void InstallSourceAChapters(FakeSite& site, const Novel& novel, const std::string& key);

// ---- Source B ----
// The table of contents (GBK). Source B lists the newest chapter first; each link is relative to
// the table's own address: "N.html" for chapter n.
std::string SourceBTocPage(const Novel& novel);
// Chapter n (GBK): paragraphs separated by "<br/><br/>", with the site's <em><em> watermark.
std::string SourceBChapterPage(const Novel& novel, int n);
// Serves the table of contents at `tocPath` (ending in "/") and chapter n at tocPath + "N.html".
void InstallSourceBChapters(FakeSite& site, const Novel& novel, const std::string& tocPath);

// ---- Source C ----
// The whole novel as one UTF-8 text file, as the site's download address delivers it.
std::string SourceCFile(const Novel& novel);
void InstallSourceCFile(FakeSite& site, const Novel& novel, const std::string& path);

// Where a novel's chapters live on the three sites.
struct ChapterRoutes {
    std::string aKey;      // source A book key; "" = not on source A
    std::string bTocPath;  // source B table of contents, e.g. "/book/12/"; "" = not on source B
    std::string cFilePath; // source C download file, e.g. "/down/12.txt"; "" = not on source C
};
// Makes the novel downloadable from each site that `routes` names.
void InstallChapterPages(FakeSite& a, FakeSite& b, FakeSite& c, const Novel& novel,
                         const ChapterRoutes& routes);

// Every chapter page answers this long after it is asked for (default 0). The demo sites slow
// their chapters down a little, so that a person sees the progress bar fill.
void SetChapterPageDelayMs(int ms);

// What the chapter workers make of chapter n (1-based) of a novel served by these builders, in
// GBK: the title, a line break, then each paragraph without its ASCII blanks and closed by two
// full-width blanks and a line break.
std::string ExpectedRecord(const Novel& novel, int n);
// Chapters first..last in that order (last < first walks backwards).
std::string ExpectedRecords(const Novel& novel, int first, int last);

// A generated novel of `chapters` chapters, each about `chapterBytes` bytes of UTF-8 text,
// deterministic for the same arguments. Latin words between the Chinese make blanks matter.
Novel GeneratedNovel(const std::string& name, const std::string& author, int chapters,
                     int chapterBytes);

}  // namespace fake
