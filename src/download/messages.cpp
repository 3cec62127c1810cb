#include "download/messages.h"

namespace dl {

const Texts& Msg() {
    static const Texts texts = [] {
        Texts t;
        t.productName = Gbk(u8"Sorvane");
        t.noResult = Gbk(u8"\r\n\r\n咋 的 ? 薯 片 吃 多 了, 小 说 也 下 空 气 ?");
        t.chapterError = Gbk(u8"\r\n\r\n章 节 出 错 , 未 能 获 取 到 章 节 ");
        t.addressLead = Gbk(u8"\r\n\r\n下载地址：\r\n\r\n");
        t.stopCaption = Gbk(u8"停止");
        t.saveCaption = Gbk(u8"保存");
        t.labelSeparator = Gbk(u8" / ");
        t.labelUnit = Gbk(u8"/ 页");
        t.doneLabel = Gbk(u8"----- 已 下 载 完 成 -----");
        t.failedHead = Gbk(u8"\r\n\r\n已 下 载 完 成 , 其 中 ");
        t.failedTail = Gbk(u8" 章 获 取 失 败");
        t.pageTitleHead = Gbk(u8"第 ");
        t.pageTitleTail = Gbk(u8" 页");
        t.entryTitleHead = Gbk(u8"第 ");
        t.entryTitleTail = Gbk(u8" 章");

        t.tocLinkStart = Gbk(u8"<li><span></span><a href=\"");
        t.tocLinkEnd = Gbk(u8"</a></li>");
        t.linkSplit = Gbk(u8"\">");
        t.bTextStart = Gbk(u8"id=\"txt\">");
        t.bTextEnd = Gbk(u8"<div class=\"report");
        t.bParagraph = Gbk(u8"<br/><br/>");
        t.emOpen = Gbk(u8"<em><em>");
        t.emClose = Gbk(u8"</em></em>");

        t.aTitleBlockStart = Gbk(u8"div class=\"titlename");
        t.aTitleBlockEnd = Gbk(u8"<div id=\"txttop");
        t.aTitleStart = Gbk(u8">");
        t.aTitleEnd = Gbk(u8"</div>");
        t.aTextStart = Gbk(u8"articlecon font-normal\">");
        t.aTextEnd = Gbk(u8"<div id=\"navup\"><script");
        t.aParagraph = Gbk(u8"</p><p>");

        t.divClose = Gbk(u8"</div>");
        t.blank = Gbk(u8" ");
        t.fullBlank = Gbk(u8"　");
        t.paragraphBreak = Gbk(u8"　　\r\n");
        t.nbsp = Gbk(u8"&nbsp;");
        t.lineBreak = Gbk(u8"\r\n");
        return t;
    }();
    return texts;
}

}  // namespace dl
