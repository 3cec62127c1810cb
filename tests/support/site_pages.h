#pragma once
// The search side of the fake and demo sites, built from fake::Novel: source A's search and
// book pages (UTF-8), source B's search list and book pages (GBK), source C's search, book and
// download pages (UTF-8), shaped as the three searches read them, and the routes that serve
// them on a FakeSite.
//
// Where a novel lives, from its key (ASCII, no slash):
//   source A  book "/KEY", chapters "/KEY/read_N.html"
//   source B  book "/book/KEY.html", table of contents "/KEY/"
//   source C  book "/txt/KEY.html", download page "/down/KEY.html", file "/files/KEY.txt"

#include <string>
#include <vector>

#include "support/chapter_pages.h"
#include "support/novel.h"

namespace fake {

class FakeSite;

struct PageOptions {
    // Decoys that only a reader matching at character boundaries passes over: a two-byte
    // character whose second byte is the first letter of a marker, followed by the marker's
    // rest; links to other books before the real ones; upper-case "&NBSP;" and full-width
    // blanks in the introduction.
    bool traps = false;
};

// A novel on a site and the address (A: book key; B: book path; C: whole book address) under
// which a search page lists it.
struct Listed {
    const Novel* novel;
    std::string address;
};

// Every byte of `bytes` as "%XX", as the searches send titles.
std::string PercentAll(const std::string& bytes);
std::string Utf8ToGbk(const std::string& utf8);

// ---- Source A (UTF-8) ----
std::string SourceASearchTarget(const std::string& titleUtf8);
// The first book carries a read link ("<td><a href=\"/KEY/read_1.html"), the others
// "/searchid.php?id=KEY&type=m" links. No books: a page without either.
std::string SourceASearchPage(const std::vector<Listed>& books, const PageOptions& options = {});
// The newest chapters first, so the first "/KEY/read_N.html" link names the last page.
std::string SourceABookPage(const Novel& novel, const std::string& key,
                            const PageOptions& options = {});

// ---- Source B (GBK) ----
std::string SourceBSearchTarget(const std::string& titleUtf8);  // title percent-encoded as GBK
// A list of books between the cover and footer blocks; no books: an empty list block.
std::string SourceBListPage(const std::vector<Listed>& books, const PageOptions& options = {});
// The page of one book; it is also what the search answers when the title leads straight to
// the book ("info_top()" marks it). `tocAddress` is the whole address of the table of contents.
std::string SourceBBookPage(const Novel& novel, const std::string& tocAddress,
                            const PageOptions& options = {});

// ---- Source C (UTF-8) ----
std::string SourceCSearchTarget(const std::string& titleUtf8);
std::string SourceCSearchPage(const std::vector<Listed>& books, const PageOptions& options = {});
std::string SourceCBookPage(const Novel& novel, const std::string& bookAddress,
                            const std::string& downloadPageAddress,
                            const PageOptions& options = {});
std::string SourceCDownloadPage(const Novel& novel, const std::vector<std::string>& fileAddresses,
                                const PageOptions& options = {});

// ---- Routes ----
// Chapter routes of a novel stored under `key` (see the table at the top).
ChapterRoutes RoutesForKey(const std::string& key);

struct ShelvedNovel {
    Novel novel;
    std::string key;
};

// Serves a shelf of novels the way the sites answer searches: every novel whose name contains
// the searched title (ASCII letters in any case) is listed; on source B a title equal to one
// novel's name leads straight to that novel's page. Book pages, download pages and the
// chapter routes (InstallChapterPages) are served too. `shelf` must outlive the sites.
void InstallShelf(FakeSite& a, FakeSite& b, FakeSite& c, const std::vector<ShelvedNovel>& shelf);

}  // namespace fake
