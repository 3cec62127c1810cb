#include "support/site_pages.h"

#include <cstdio>

#include "app/runtime.h"
#include "support/fake_site.h"

namespace fake {
namespace {

const char* const kUtf8Html = "text/html; charset=utf-8";
const char* const kGbkHtml = "text/html; charset=gbk";

std::string ChapterCountText(const Novel& novel) {
    // A novel without chapters still links one page, so the book page keeps its shape.
    return std::to_string(novel.chapters.empty() ? 1 : novel.chapters.size());
}

std::string LowerAscii(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    }
    return s;
}

// The introduction as the sites write it: paragraphs indented with blanks, "<br/>" between.
std::string IntroHtml(const Novel& novel, const PageOptions& options) {
    if (novel.intro.empty()) return "";
    if (!options.traps) return "&nbsp;&nbsp;&nbsp;&nbsp;" + novel.intro;
    std::string html = "\u3000\u3000" + novel.intro + "&NBSP;&Nbsp; ";
    std::string out;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html.compare(i, 5, "<br/>") == 0) {
            out += "<br/>\u3000\u3000&NBSP;";
            i += 4;
        } else {
            out += html[i];
        }
    }
    return out;
}

}  // namespace

std::string PercentAll(const std::string& bytes) {
    std::string out;
    char hex[4];
    for (unsigned char c : bytes) {
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        out += hex;
    }
    return out;
}

std::string Utf8ToGbk(const std::string& utf8) { return rt::ConvertEncoding(utf8, "UTF-8", "GBK"); }

// ---- Source A ----

std::string SourceASearchTarget(const std::string& titleUtf8) {
    return "/search.html?searchkey=" + PercentAll(titleUtf8);
}

std::string SourceASearchPage(const std::vector<Listed>& books, const PageOptions&) {
    std::string p =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>搜索结果</title></head>\n"
        "<body>\n<div class=\"header\"><a href=\"/\">首页</a> &gt; 搜索结果</div>\n";
    if (books.empty()) {
        p += "<div class=\"empty\">没有找到相关小说，换个名字试试</div>\n";
    } else {
        p += "<table class=\"grid\">\n<tr><th>阅读</th><th>书名</th><th>作者</th></tr>\n";
        for (std::size_t i = 0; i < books.size(); ++i) {
            const Novel& n = *books[i].novel;
            if (i == 0) {
                p += "<tr><td><a href=\"/" + books[i].address + "/read_1.html\">开始阅读</a></td><td>" +
                     n.name + "</td><td>" + n.author + "</td></tr>\n";
            } else {
                p += "<tr><td class=\"odd\"><a href=\"/searchid.php?id=" + books[i].address +
                     "&type=m\">" + n.name + "</a></td><td>" + n.author + "</td></tr>\n";
            }
        }
        p += "</table>\n";
    }
    p += "<div class=\"footer\">本站所有小说均由网友上传</div>\n</body></html>\n";
    return p;
}

std::string SourceABookPage(const Novel& novel, const std::string& key, const PageOptions& options) {
    const std::string last = ChapterCountText(novel);
    std::string p = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + novel.name +
                    "</title></head>\n<body>\n";
    if (options.traps) {
        // Each decoy starts with a character whose second byte is a marker's first letter.
        p += "<div class=\"recommend\"><p>與lass=\"title\">诱饵书名</h1></p>\n"
             "<p>臺blank\"><span>诱饵章节</span><span class=\"t\"></p>\n"
             "<ul><li><a href=\"/" + key + "x/read_999.html\">别的书</a></li>"
             "<li><a href=\"/other/" + key + "/read_998.html\">又一本</a></li></ul></div>\n";
    }
    p += "<div class=\"header\"><h1 class=\"title\">" + novel.name + "</h1></div>\n";
    p += "<div class=\"info\">\n<p class=\"author\">作者：<a href=\"/author/1\" title=\"" + novel.author +
         "作品大全\">" + novel.author + "</a></p>\n";
    p += "<p class=\"latest\">最新：<a href=\"/" + key + "/read_" + last +
         ".html\" target=\"_blank\"><span>" + novel.latest +
         "</span><span class=\"time\">2026-12-01</span></a></p>\n</div>\n";
    p += "<div class=\"intro\"><a class=\"more\" href=\"#\">[+展开]</a>" + IntroHtml(novel, options) +
         "</div>\n";
    p += "<ul class=\"chapters\">\n";
    const int count = std::stoi(last);
    for (int i = count; i >= 1 && i > count - 3; --i) {
        const std::string title =
            i <= int(novel.chapters.size()) ? novel.chapters[i - 1].title : novel.latest;
        p += "<li><a href=\"/" + key + "/read_" + std::to_string(i) + ".html\">" + title + "</a></li>\n";
    }
    p += "</ul>\n<div class=\"footer\">手机阅读</div>\n</body></html>\n";
    return p;
}

// ---- Source B ----

std::string SourceBSearchTarget(const std::string& titleUtf8) {
    return "/modules/article/search.php?searchtype=keywords&searchkey=" + PercentAll(Utf8ToGbk(titleUtf8));
}

std::string SourceBListPage(const std::vector<Listed>& books, const PageOptions& options) {
    std::string p =
        "<!DOCTYPE html>\r\n<html><head><meta charset=\"gbk\"><title>搜索结果</title></head>\r\n<body>\r\n"
        "<div class=\"header\"><a href=\"/\">首页</a></div>\r\n";
    if (options.traps) p += "<p class=\"tip\">謎nfo_top()</p>\r\n";
    if (books.empty()) {
        p += "<div class=\"nores\">没有找到相关小说</div>\r\n";
    } else {
        p += "<div class=\"cover\">\r\n";
        for (const Listed& b : books) {
            p += "<p class=\"line\"><a href=\"/sort/1/\" class=\"blue\">[小说]</a><a href=\"" + b.address +
                 "\" class=\"green\">" + b.novel->name + "</a>/" + b.novel->author + "</p>\r\n";
        }
        p += "</div>\r\n";
    }
    p += "<div class=\"footer\">手机站</div>\r\n</body></html>\r\n";
    return Utf8ToGbk(p);
}

std::string SourceBBookPage(const Novel& novel, const std::string& tocAddress, const PageOptions& options) {
    const std::string last = ChapterCountText(novel);
    std::string p = "<!DOCTYPE html>\r\n<html><head><meta charset=\"gbk\"><title>" + novel.name +
                    "</title></head>\r\n<body>\r\n<script>info_top();</script>\r\n"
                    "<div class=\"header\"><a href=\"/\">首页</a></div>\r\n";
    if (options.traps) p += "<p class=\"ad\">議tml\">诱饵章节</a></p>\r\n";
    p += "<div class=\"cover\">\r\n<P><a href=\"" + tocAddress + "\"><h1>" + novel.name +
         "</h1></a></P>\r\n";
    p += "<p>作者：" + novel.author + "</p>\r\n";
    p += "<p>最新：<a href=\"" + tocAddress + last + ".html\">" + novel.latest + "</a></p>\r\n";
    p += "<p><span><a href=\"" + tocAddress + "\">查看目录</a></span></p>\r\n</div>\r\n";
    p += "<div class=\"intro_title\">简介</div>\r\n<div class=\"intro_info\">" + IntroHtml(novel, options) +
         "</div><div class=\"intro_more\"></div>\r\n";
    p += "<div class=\"footer\">手机站</div>\r\n</body></html>\r\n";
    return Utf8ToGbk(p);
}

// ---- Source C ----

std::string SourceCSearchTarget(const std::string& titleUtf8) {
    return "/index.php?keyword=" + PercentAll(titleUtf8);
}

std::string SourceCSearchPage(const std::vector<Listed>& books, const PageOptions&) {
    std::string p =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>搜索</title></head>\n<body>\n"
        "<div class=\"nav\"><a href=\"/\">精校完本</a></div>\n<div class=\"list\">\n";
    for (const Listed& b : books) {
        p += "<dl><dt><a href=\"" + b.address + "\">《" + b.novel->name + "》</a></dt><dd>作者：" +
             b.novel->author + "</dd></dl>\n";
    }
    if (books.empty()) p += "<p>没有找到</p>\n";
    p += "</div>\n</body></html>\n";
    return p;
}

std::string SourceCBookPage(const Novel& novel, const std::string& bookAddress,
                            const std::string& downloadPageAddress, const PageOptions& options) {
    std::string p = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + novel.name +
                    "</title></head>\n<body>\n";
    if (options.traps) p += "<p>說iletit\"><a href=\"http://127.0.0.1:9/decoy\" rel=\"external\"></p>\n";
    p += "<div class=\"bookinfo\"><a href=\"" + bookAddress + "\"><h1>《" + novel.name +
         "》</h1><span>作者：" + novel.author + "</span></a></div>\n";
    std::string intro = novel.intro;
    if (options.traps && !intro.empty()) intro = "\u3000\u3000" + intro + "&NBSP;</p>";
    p += "<div class=\"intro\"><p>【内容简介】：" + intro + "</p><p class=\"meta\">精校 完本</p></div>\n";
    p += "<p class=\"filetit\"><a href=\"" + downloadPageAddress + "\" rel=\"external\">TXT下载</a></p>\n";
    p += "</body></html>\n";
    return p;
}

std::string SourceCDownloadPage(const Novel& novel, const std::vector<std::string>& files,
                                const PageOptions& options) {
    std::string p = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + novel.name +
                    " 下载</title></head>\n<body>\n<ul>\n";
    if (options.traps) p += "<li>興ownfile\"><a href=\"http://127.0.0.1:9/decoy.txt\" target=\"_blank\"></li>\n";
    for (const std::string& f : files) {
        p += "<li class=\"downfile\"><a href=\"" + f + "\" target=\"_blank\">TXT下载</a></li>\n";
    }
    p += "</ul>\n</body></html>\n";
    return p;
}

// ---- Routes ----

ChapterRoutes RoutesForKey(const std::string& key) {
    return ChapterRoutes{key, "/" + key + "/", "/files/" + key + ".txt"};
}

void InstallShelf(FakeSite& a, FakeSite& b, FakeSite& c, const std::vector<ShelvedNovel>& shelf) {
    const std::vector<ShelvedNovel>* books = &shelf;
    auto matches = [books](const std::string& titleUtf8, bool exact) {
        std::vector<const ShelvedNovel*> found;
        const std::string sought = LowerAscii(titleUtf8);
        if (sought.empty()) return found;
        for (const ShelvedNovel& s : *books) {
            const std::string name = LowerAscii(s.novel.name);
            if (exact ? name == sought : name.find(sought) != std::string::npos) found.push_back(&s);
        }
        return found;
    };
    const std::string aBase = a.Base(), bBase = b.Base(), cBase = c.Base();

    a.HandlePrefix("/search.html?", [matches](const httplib::Request& req, httplib::Response& res) {
        std::vector<Listed> listed;
        for (const ShelvedNovel* s : matches(req.get_param_value("searchkey"), false)) {
            listed.push_back({&s->novel, s->key});
        }
        res.set_content(SourceASearchPage(listed), kUtf8Html);
    });
    b.HandlePrefix("/modules/article/search.php?",
                   [matches, bBase](const httplib::Request& req, httplib::Response& res) {
                       const std::string title =
                           rt::ConvertEncoding(req.get_param_value("searchkey"), "GBK", "UTF-8");
                       const auto exact = matches(title, true);
                       if (exact.size() == 1) {
                           res.set_content(SourceBBookPage(exact[0]->novel, bBase + RoutesForKey(exact[0]->key).bTocPath),
                                           kGbkHtml);
                           return;
                       }
                       std::vector<Listed> listed;
                       for (const ShelvedNovel* s : matches(title, false)) {
                           listed.push_back({&s->novel, "/book/" + s->key + ".html"});
                       }
                       res.set_content(SourceBListPage(listed), kGbkHtml);
                   });
    c.HandlePrefix("/index.php?", [matches, cBase](const httplib::Request& req, httplib::Response& res) {
        std::vector<Listed> listed;
        for (const ShelvedNovel* s : matches(req.get_param_value("keyword"), false)) {
            listed.push_back({&s->novel, cBase + "/txt/" + s->key + ".html"});
        }
        res.set_content(SourceCSearchPage(listed), kUtf8Html);
    });

    for (const ShelvedNovel& s : shelf) {
        const ChapterRoutes routes = RoutesForKey(s.key);
        a.Page("/" + s.key, SourceABookPage(s.novel, s.key), kUtf8Html);
        b.Page("/book/" + s.key + ".html", SourceBBookPage(s.novel, bBase + routes.bTocPath), kGbkHtml);
        c.Page("/txt/" + s.key + ".html",
               SourceCBookPage(s.novel, cBase + "/txt/" + s.key + ".html", cBase + "/down/" + s.key + ".html"),
               kUtf8Html);
        c.Page("/down/" + s.key + ".html", SourceCDownloadPage(s.novel, {cBase + routes.cFilePath}), kUtf8Html);
        InstallChapterPages(a, b, c, s.novel, routes);
    }
}

}  // namespace fake
