#pragma once
// Every message, caption and marker of the download subsystem, in one place.
// Written in UTF-8 here and converted to GBK once, on first use.

#include "app/runtime.h"

namespace dl {

struct Texts {
    // Captions and messages.
    Text productName;     // what the name box shows while no result has been chosen
    Text noResult;        // refusal while no result has been chosen
    Text chapterError;    // fewer than three chapters
    Text addressLead;     // introduction box lead-in before a source C download address
    Text stopCaption;     // search button while a download runs
    Text saveCaption;     // search button once every chapter is in
    Text labelSeparator;  // progress label: done, separator, total, unit
    Text labelUnit;
    Text doneLabel;       // progress label at completion
    Text failedHead;      // tip label at completion with failed chapters: head, count, tail,
    Text failedTail;      //   then one failed title per line
    Text pageTitleHead;   // stand-in title of a source A page without one: head, page, tail
    Text pageTitleTail;
    Text entryTitleHead;  // stand-in title of a source B entry without one: head, entry, tail
    Text entryTitleTail;

    // Source B: table of contents and chapter pages.
    Text tocLinkStart;
    Text tocLinkEnd;
    Text linkSplit;  // between a link's address and its title
    Text bTextStart;
    Text bTextEnd;
    Text bParagraph;  // paragraph break as source B writes it
    Text emOpen;
    Text emClose;

    // Source A: chapter pages.
    Text aTitleBlockStart;
    Text aTitleBlockEnd;
    Text aTitleStart;
    Text aTitleEnd;
    Text aTextStart;
    Text aTextEnd;
    Text aParagraph;  // paragraph break as source A writes it

    // Cleaning, shared by both sources.
    Text divClose;
    Text blank;
    Text fullBlank;       // A1 A1
    Text paragraphBreak;  // two full-width blanks and a line break
    Text nbsp;
    Text lineBreak;  // between a chapter's title and its text
};

const Texts& Msg();

}  // namespace dl
