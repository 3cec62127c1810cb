#include "support/chapter_pages.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string_view>

#include "app/runtime.h"
#include "support/fake_site.h"

namespace fake {
namespace {

constexpr const char* kUtf8Html = "text/html; charset=utf-8";
constexpr const char* kGbkHtml = "text/html; charset=gbk";
constexpr const char* kIndent = "\xE3\x80\x80\xE3\x80\x80";  // two full-width blanks, UTF-8

std::atomic<int> gPageDelayMs{0};

void PaceChapter(const FakeSite& site) {
    const int ms = gPageDelayMs.load();
    if (ms > 0) site.WaitStopping(std::chrono::milliseconds(ms));
}

std::string ToGbk(std::string_view utf8) { return rt::ConvertEncoding(utf8, "UTF-8", "GBK"); }

// The chapter number in "<prefix>N<suffix>", or 0 when the target is not of that shape.
int ChapterNumber(const std::string& target, const std::string& prefix, std::string_view suffix) {
    if (target.compare(0, prefix.size(), prefix) != 0) return 0;
    std::string_view rest(target);
    rest.remove_prefix(prefix.size());
    if (rest.size() <= suffix.size() || rest.substr(rest.size() - suffix.size()) != suffix) return 0;
    rest.remove_suffix(suffix.size());
    if (rest.empty() || rest.size() > 7 || rest[0] == '0') return 0;
    int n = 0;
    for (char c : rest) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

const Chapter* ChapterAt(const Novel& novel, int n) {
    if (n < 1 || n > static_cast<int>(novel.chapters.size())) return nullptr;
    return &novel.chapters[static_cast<std::size_t>(n - 1)];
}

}  // namespace

// ---- Source A ----

std::string SourceAChapterPath(const std::string& key, int n) {
    return "/" + key + "/read_" + std::to_string(n) + ".html";
}

std::string SourceAChapterPage(const Novel& novel, int n) {
    const Chapter* ch = ChapterAt(novel, n);
    if (!ch) return {};
    std::string page;
    page += "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + ch->title + "_" +
            novel.name + "</title></head>\n<body>\n";
    page += "<div class=\"header\"><a href=\"/\">\xE9\xA6\x96\xE9\xA1\xB5</a></div>\n";  // 首页
    page += "<div class=\"titlename\">" + ch->title + "</div><div id=\"txttop\">";
    if (n > 1) page += "<a href=\"read_" + std::to_string(n - 1) + ".html\">&lt;</a>";
    page += "</div>\n";
    // The site closes each paragraph with "</p><p>" and opens none, so the text reads cleanly
    // once the paragraph breaks are replaced.
    page += "<div class=\"articlecon font-normal\">";
    for (const std::string& p : ch->paragraphs) page += kIndent + p + "</p><p>";
    page += "</div><div id=\"navup\"><script>navup(" + std::to_string(n) +
            ");</script></div>\n</body></html>\n";
    return page;
}

void InstallSourceAChapters(FakeSite& site, const Novel& novel, const std::string& key) {
    auto shared = std::make_shared<const Novel>(novel);
    const std::string prefix = "/" + key + "/read_";
    const FakeSite* owner = &site;
    site.HandlePrefix(prefix, [shared, prefix, owner](const httplib::Request& req,
                                                      httplib::Response& res) {
        PaceChapter(*owner);
        const int n = ChapterNumber(req.path, prefix, ".html");
        if (!ChapterAt(*shared, n)) {
            res.status = 404;
            return;
        }
        res.set_content(SourceAChapterPage(*shared, n), kUtf8Html);
    });
}

// ---- Source B ----

std::string SourceBTocPage(const Novel& novel) {
    const int total = static_cast<int>(novel.chapters.size());
    std::string page;
    page += "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=gbk\"><title>" +
            novel.name + "</title></head>\n<body>\n";
    page += "<div class=\"cover\"><p>" + novel.author + "</p></div>\n";
    // The latest chapters again at the top, written without the span: not chapter entries.
    page += "<ul class=\"lastchapter\">\n";
    for (int n = total; n >= 1 && n > total - 3; --n)
        page += "<li><a href=\"" + std::to_string(n) + ".html\">" +
                novel.chapters[static_cast<std::size_t>(n - 1)].title + "</a></li>\n";
    page += "</ul>\n<ul class=\"chapter\">\n";
    for (int n = total; n >= 1; --n)
        page += "<li><span></span><a href=\"" + std::to_string(n) + ".html\">" +
                novel.chapters[static_cast<std::size_t>(n - 1)].title + "</a></li>\n";
    page += "</ul>\n<div class=\"footer\"></div>\n</body></html>\n";
    return ToGbk(page);
}

std::string SourceBChapterPage(const Novel& novel, int n) {
    const Chapter* ch = ChapterAt(novel, n);
    if (!ch) return {};
    std::string page;
    page += "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" "
            "content=\"text/html; charset=gbk\"><title>" +
            ch->title + "</title></head>\n<body>\n";
    page += "<div class=\"nr_title\" id=\"nr_title\">" + ch->title + "</div>\n";
    page += "<div id=\"txt\">";
    for (std::size_t i = 0; i < ch->paragraphs.size(); ++i) {
        page += kIndent + ch->paragraphs[i] + "<br/><br/>";
        // The site's watermark after the first paragraph.
        if (i == 0)
            page += "<em><em>\xE8\xAF\xB7\xE8\xAE\xB0\xE4\xBD\x8F\xE6\x9C\xAC\xE7\xAB\x99 "
                    "www.example.invalid</em></em>";  // 请记住本站
    }
    page += "</div><div class=\"report\"><a href=\"#\">report</a></div>\n</body></html>\n";
    return ToGbk(page);
}

void InstallSourceBChapters(FakeSite& site, const Novel& novel, const std::string& tocPath) {
    auto shared = std::make_shared<const Novel>(novel);
    site.Page(tocPath, SourceBTocPage(novel), kGbkHtml);
    const FakeSite* owner = &site;
    site.HandlePrefix(tocPath, [shared, tocPath, owner](const httplib::Request& req,
                                                        httplib::Response& res) {
        PaceChapter(*owner);
        const int n = ChapterNumber(req.path, tocPath, ".html");
        if (!ChapterAt(*shared, n)) {
            res.status = 404;
            return;
        }
        res.set_content(SourceBChapterPage(*shared, n), kGbkHtml);
    });
}

// ---- Source C ----

std::string SourceCFile(const Novel& novel) {
    std::string file = novel.name + "\r\n" + novel.author + "\r\n\r\n";
    for (const Chapter& ch : novel.chapters) {
        file += ch.title + "\r\n";
        for (const std::string& p : ch.paragraphs) file += kIndent + p + "\r\n";
        file += "\r\n";
    }
    return file;
}

void InstallSourceCFile(FakeSite& site, const Novel& novel, const std::string& path) {
    site.Page(path, SourceCFile(novel), "text/plain; charset=utf-8");
}

void InstallChapterPages(FakeSite& a, FakeSite& b, FakeSite& c, const Novel& novel,
                         const ChapterRoutes& routes) {
    if (!routes.aKey.empty()) InstallSourceAChapters(a, novel, routes.aKey);
    if (!routes.bTocPath.empty()) InstallSourceBChapters(b, novel, routes.bTocPath);
    if (!routes.cFilePath.empty()) InstallSourceCFile(c, novel, routes.cFilePath);
}

void SetChapterPageDelayMs(int ms) { gPageDelayMs = ms < 0 ? 0 : ms; }

// ---- Generated novels ----

Novel GeneratedNovel(const std::string& name, const std::string& author, int chapters,
                     int chapterBytes) {
    // Common characters, all in GBK; three UTF-8 bytes each.
    static const std::string_view kPool =
        "\xE5\xA4\xA9\xE5\x9C\xB0\xE7\x8E\x84\xE9\xBB\x84\xE5\xAE\x87\xE5\xAE\x99\xE6\xB4\xAA"
        "\xE8\x8D\x92\xE6\x97\xA5\xE6\x9C\x88\xE7\x9B\x88\xE6\x98\x83\xE8\xBE\xB0\xE5\xAE\xBF"
        "\xE5\x88\x97\xE5\xBC\xA0\xE5\xAF\x92\xE6\x9D\xA5\xE6\x9A\x91\xE5\xBE\x80\xE7\xA7\x8B"
        "\xE6\x94\xB6\xE5\x86\xAC\xE8\x97\x8F\xE5\xB1\xB1\xE6\xB0\xB4\xE9\xA3\x8E\xE4\xBA\x91"
        "\xE4\xBA\xBA\xE5\xBF\x83\xE8\xB7\xAF\xE8\xBF\x9C\xE6\x98\x8E\xE5\xA4\x9C\xE8\xAF\xB4"
        "\xE9\x81\x93\xE5\x89\x91\xE5\x85\x89";
    static const char* kWords[] = {"Sorvane", "OK", "HP", "Level 9", "New Harbor"};
    const std::size_t chars = kPool.size() / 3;
    std::uint32_t seed = 2166136261u;
    for (char c : name) seed = (seed ^ static_cast<unsigned char>(c)) * 16777619u;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };

    Novel novel;
    novel.name = name;
    novel.author = author;
    novel.intro = name + "<br/>" + author;
    for (int n = 1; n <= chapters; ++n) {
        Chapter ch;
        ch.title = "\xE7\xAC\xAC" + std::to_string(n) + "\xE7\xAB\xA0 ";  // 第n章
        for (int i = 0; i < 4; ++i) ch.title += kPool.substr((next() % chars) * 3, 3);
        int written = 0;
        while (written < chapterBytes) {
            std::string p;
            const int len = 60 + static_cast<int>(next() % 60);
            for (int i = 0; i < len; ++i) {
                if (next() % 40 == 0) {
                    p += kWords[next() % (sizeof kWords / sizeof kWords[0])];
                } else {
                    p += kPool.substr((next() % chars) * 3, 3);
                }
            }
            p += "\xE3\x80\x82";  // 。
            written += static_cast<int>(p.size()) + 16;
            ch.paragraphs.push_back(std::move(p));
        }
        novel.chapters.push_back(std::move(ch));
    }
    novel.latest = novel.chapters.empty() ? std::string() : novel.chapters.back().title;
    return novel;
}

std::string ExpectedRecord(const Novel& novel, int n) {
    const Chapter& ch = novel.chapters[static_cast<std::size_t>(n - 1)];
    std::string record = ToGbk(ch.title) + "\r\n";
    for (const std::string& p : ch.paragraphs) {
        std::string tight;
        for (char c : p)
            if (c != ' ') tight += c;
        record += ToGbk(tight) + "\xa1\xa1\xa1\xa1\r\n";
    }
    return record;
}

std::string ExpectedRecords(const Novel& novel, int first, int last) {
    std::string all;
    const int step = first <= last ? 1 : -1;
    for (int n = first;; n += step) {
        all += ExpectedRecord(novel, n);
        if (n == last) break;
    }
    return all;
}

}  // namespace fake
