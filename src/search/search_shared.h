#pragma once
// What the search command, the three source searches and the result buttons share.
//
// Every accepted search gets a number. A source search runs for one number and writes slots,
// captions and the tip label only while holding State().resultsLock and only while its number
// is still the newest, so a slow search from before can never overwrite a newer one.

#include <functional>

#include "app/controls.h"
#include "app/runtime.h"

namespace srch {

struct SlotFields {
    Text name, author, latest, link, intro;
    // Author and introduction may be missing; without these three the slot is no result.
    bool Complete() const { return !name.empty() && !latest.empty() && !link.empty(); }
};

// The result button of slot n (1 to 5).
ui::Ctl ResultButton(int n);

// The number of the newest accepted search (0 before the first).
int CurrentSearch();

// On the window's thread, for an accepted search: under the results lock, makes a new search
// number current and resets the five result captions and the four information boxes, so the
// reset is complete before any source search of this press can write a caption.
int BeginSearch();

// Runs `write` under the results lock if search n is still the newest; false if it is not.
bool WriteIfCurrent(int n, const std::function<void()>& write);

// Under the results lock only.
void StoreSlot(int slot, const SlotFields& fields);
void ShowTip(const Text& message);

// Fetches a page as program text, converting from UTF-8 for the sites that answer in it.
// False when shutdown was requested meanwhile: the caller then ends without writing.
bool FetchPage(const Text& url, bool utf8, Text& page);

// Cleans an introduction: blanks, full-width blanks and "&nbsp;" go; sources A and B turn
// "<br/>" into a line break and drop "</div>", source C drops "<br/>" and "</p>".
Text CleanIntroAB(const Text& intro);
Text CleanIntroC(const Text& intro);

// The searches of one accepted press.
void RunSourceASearch(int searchNumber);
void RunSourceBSearch(int searchNumber);
void RunSourceCSearch(int searchNumber);

}  // namespace srch
