#pragma once
// Every caption, message and page marker of the search subsystem, in GBK. The texts are
// compared byte for byte with what the window and the sites hold, so they are written once,
// here, and converted from the UTF-8 source once.

#include "app/runtime.h"

namespace srch {

struct SearchTexts {
    // Captions of the search button (its mode), the download button and the result buttons.
    Text modeSearch;  // 搜索
    Text modeStop;    // 停止
    Text modeSave;    // 保存
    Text download;    // 下载
    Text one, two, three;

    // Tip-label messages.
    Text emptyTitle;
    Text cooldownHead;  // followed by the seconds left and cooldownTail
    Text cooldownTail;
    Text searching;
    Text failed;
    Text successA;  // source A fills buttons 4 and 5, read 二 一 in the row
    Text successB;
    Text successC;

    // A title of exactly one blank counts as no title.
    Text singleBlank;
    // Shown in the introduction box when a result has no introduction (48 bytes).
    Text noIntro;
    // Source C only offers finished novels, so it has no latest chapter to show.
    Text finishedNovel;
    Text fullWidthBlank;
    Text lineBreak;

    // Source A (pages arrive in UTF-8 and are converted before cutting).
    Text aSearchPath;
    Text aKey1Start, aKey1End, aKey2Start, aKey2End;
    Text aNameStart, aNameEnd, aAuthorStart, aAuthorEnd, aLatestStart, aLatestEnd;
    Text aLinkStart, aLinkMiddle, aLinkEnd, aIntroStart, aIntroEnd;

    // Source B (pages are GBK as they arrive).
    Text bSearchPath;
    Text bListStart, bListEnd, bBookPageSign, bPathStart, bPathEnd;
    Text bNameStart, bNameEnd, bAuthorStart, bAuthorEnd, bLatestStart, bLatestEnd;
    Text bLinkStart, bLinkEnd, bIntroStart, bIntroEnd;

    // Source C (pages arrive in UTF-8).
    Text cSearchPath;
    Text cBookStart, cBookEnd, cPieceEnd, cAuthorStart, cAuthorEnd, cNameStart, cNameEnd;
    Text cIntroStart, cIntroEnd, cIntroEndAlt, cDownPageStart, cDownPageEnd;
    Text cFileStart, cFileEnd;

    // Introduction cleaning.
    Text br, nbsp, closeDiv, closeP;
};

const SearchTexts& T();

}  // namespace srch
