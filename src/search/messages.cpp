#include "search/messages.h"

namespace srch {
namespace {

SearchTexts Build() {
    SearchTexts t;
    t.modeSearch = Gbk(u8"搜索");
    t.modeStop = Gbk(u8"停止");
    t.modeSave = Gbk(u8"保存");
    t.download = Gbk(u8"下载");
    t.one = Gbk(u8"一");
    t.two = Gbk(u8"二");
    t.three = Gbk(u8"三");

    t.emptyTitle = Gbk(u8"\r\n\r\n至 少 你 得 输 入 点 什 么 让 我 搜 吧 ?");
    t.cooldownHead = Gbk(u8"\r\n\r\n搜 索 间 隔 过 短 , 请 稍 等 ");
    t.cooldownTail = Gbk(u8" 秒 后 再 搜");
    t.searching = Gbk(u8"\r\n\r\n正 在 搜 索 中 , 请 稍 等 . . .");
    t.failed = Gbk(u8"\r\n搜 索 失 败\r\n\r\n请 检 查 名 字 是 否 输 入 正 确");
    t.successA = Gbk(u8"\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 二 一 按 钮");
    t.successB = Gbk(u8"\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 一 二 按 钮");
    t.successC = Gbk(u8"\r\n搜 索 成 功\r\n\r\n查 看 请 点 击 下 方 按 钮 三");

    t.singleBlank = " ";
    t.noIntro = Gbk(u8"\r\n\r\n\r\n         ————— 暂 无 简 介 —————");
    t.finishedNovel = Gbk(u8"此小说已精校完结");
    t.fullWidthBlank = "\xA1\xA1";
    t.lineBreak = "\r\n";

    t.aSearchPath = "/search.html?searchkey=";
    t.aKey1Start = "<td><a href=\"/";
    t.aKey1End = "/read_1.html";
    t.aKey2Start = "/searchid.php?id=";
    t.aKey2End = "&type=m";
    t.aNameStart = "class=\"title\">";
    t.aNameEnd = "</h1>";
    t.aAuthorStart = Gbk(u8"作品大全\">");
    t.aAuthorEnd = "</a></p>";
    t.aLatestStart = "_blank\"><span>";
    t.aLatestEnd = "</span><span";
    t.aLinkStart = "<li><a href=\"/";
    t.aLinkMiddle = "/read_";
    t.aLinkEnd = ".html";
    t.aIntroStart = Gbk(u8"[+展开]</a>");
    t.aIntroEnd = "</div>";

    t.bSearchPath = "/modules/article/search.php?searchtype=keywords&searchkey=";
    t.bListStart = "<div class=\"cover";
    t.bListEnd = "<div class=\"footer";
    t.bBookPageSign = "info_top()";
    t.bPathStart = "</a><a href=\"";
    t.bPathEnd = "\" class=\"green";
    t.bNameStart = "><h1>";
    t.bNameEnd = "</h1></a></P>";  // the site writes this P in capitals
    t.bAuthorStart = Gbk(u8"<p>作者：");
    t.bAuthorEnd = "</p>";
    t.bLatestStart = "html\">";
    t.bLatestEnd = "</a></p>";
    t.bLinkStart = "<span><a href=\"";
    t.bLinkEnd = Gbk(u8"\">查看目录</a></span>");
    t.bIntroStart = "class=\"intro_info\">";
    t.bIntroEnd = "<div class=\"intro";

    t.cSearchPath = "/index.php?keyword=";
    t.cBookStart = "<dt><a href=\"";
    t.cBookEnd = Gbk(u8"\">《");
    t.cPieceEnd = "/a>";
    t.cAuthorStart = Gbk(u8"作者：");
    t.cAuthorEnd = "<";
    t.cNameStart = Gbk(u8"《");
    t.cNameEnd = Gbk(u8"》");
    t.cIntroStart = Gbk(u8"【内容简介】：");
    t.cIntroEnd = "</p><p class=";
    t.cIntroEndAlt = "<p class=\"yinyong";
    t.cDownPageStart = "filetit\"><a href=\"";
    t.cDownPageEnd = "\" rel=\"external";
    t.cFileStart = "downfile\"><a href=\"";
    t.cFileEnd = "\" target=\"_blank";

    t.br = "<br/>";
    t.nbsp = "&nbsp;";
    t.closeDiv = "</div>";
    t.closeP = "</p>";
    return t;
}

}  // namespace

const SearchTexts& T() {
    static const SearchTexts texts = Build();
    return texts;
}

}  // namespace srch
