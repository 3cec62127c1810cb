#pragma once
// Shared set-up of the search tests: a fresh program state and control model, three fake sites
// the sources point at, and helpers that play the user's part on the window's thread (the
// test's own thread).

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/runtime.h"
#include "app/state.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/fake_site.h"
#include "support/wait.h"
#include "support/site_pages.h"

namespace srchtest {

// The texts the tests pin, as GBK bytes.
inline const Text kOne = "\xD2\xBB";
inline const Text kTwo = "\xB6\xFE";
inline const Text kThree = "\xC8\xFD";
inline const Text kFailed =
    "\r\n\xCB\xD1 \xCB\xF7 \xCA\xA7 \xB0\xDC\r\n\r\n\xC7\xEB \xBC\xEC \xB2\xE9 \xC3\xFB \xD7\xD6 "
    "\xCA\xC7 \xB7\xF1 \xCA\xE4 \xC8\xEB \xD5\xFD \xC8\xB7";
inline const Text kSuccessA =
    "\r\n\xCB\xD1 \xCB\xF7 \xB3\xC9 \xB9\xA6\r\n\r\n\xB2\xE9 \xBF\xB4 \xC7\xEB \xB5\xE3 \xBB\xF7 "
    "\xCF\xC2 \xB7\xBD \xB6\xFE \xD2\xBB \xB0\xB4 \xC5\xA5";
inline const Text kSuccessB =
    "\r\n\xCB\xD1 \xCB\xF7 \xB3\xC9 \xB9\xA6\r\n\r\n\xB2\xE9 \xBF\xB4 \xC7\xEB \xB5\xE3 \xBB\xF7 "
    "\xCF\xC2 \xB7\xBD \xD2\xBB \xB6\xFE \xB0\xB4 \xC5\xA5";
inline const Text kSuccessC =
    "\r\n\xCB\xD1 \xCB\xF7 \xB3\xC9 \xB9\xA6\r\n\r\n\xB2\xE9 \xBF\xB4 \xC7\xEB \xB5\xE3 \xBB\xF7 "
    "\xCF\xC2 \xB7\xBD \xB0\xB4 \xC5\xA5 \xC8\xFD";
inline const Text kSearching =
    "\r\n\r\n\xD5\xFD \xD4\xDA \xCB\xD1 \xCB\xF7 \xD6\xD0 , \xC7\xEB \xC9\xD4 \xB5\xC8 . . .";
inline const Text kEmptyTitle =
    "\r\n\r\n\xD6\xC1 \xC9\xD9 \xC4\xE3 \xB5\xC3 \xCA\xE4 \xC8\xEB \xB5\xE3 \xCA\xB2 \xC3\xB4 "
    "\xC8\xC3 \xCE\xD2 \xCB\xD1 \xB0\xC9 ?";
// Followed by the seconds left and kCooldownTail.
inline const Text kCooldownHead =
    "\r\n\r\n\xCB\xD1 \xCB\xF7 \xBC\xE4 \xB8\xF4 \xB9\xFD \xB6\xCC , \xC7\xEB \xC9\xD4 \xB5\xC8 ";
inline const Text kCooldownTail = " \xC3\xEB \xBA\xF3 \xD4\xD9 \xCB\xD1";
inline const Text kFinishedNovel = "\xB4\xCB\xD0\xA1\xCB\xB5\xD2\xD1\xBE\xAB\xD0\xA3\xCD\xEA\xBD\xE1";
inline const Text kModeSearch = "\xCB\xD1\xCB\xF7";
inline const Text kModeStop = "\xCD\xA3\xD6\xB9";
inline const Text kModeSave = "\xB1\xA3\xB4\xE6";
inline const Text kDownload = "\xCF\xC2\xD4\xD8";

inline Text ToGbk(std::string_view utf8) { return rt::ConvertEncoding(utf8, "UTF-8", "GBK"); }
inline std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

// A gate that a fake site's handler waits at until the test opens it.
class Gate {
public:
    void Wait(const fake::FakeSite& site) {
        std::unique_lock lock(m_);
        ++waiting_;
        changed_.notify_all();
        while (!open_) {
            lock.unlock();
            if (site.WaitStopping(std::chrono::milliseconds(5))) return;
            lock.lock();
        }
    }
    void Open() {
        std::lock_guard lock(m_);
        open_ = true;
    }
    bool WaitUntilWaiting(int count, int ms = 20000) {
        std::unique_lock lock(m_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return waiting_ >= count; });
    }

private:
    std::mutex m_;
    std::condition_variable changed_;
    bool open_ = false;
    int waiting_ = 0;
};

// One slot of the five result arrays.
struct Slot {
    Text name, author, latest, link, intro;
    bool operator==(const Slot&) const = default;
};

inline void PrintTo(const Slot& s, std::ostream* os) {
    *os << "{name \"" << GbkToUtf8(s.name) << "\", author \"" << GbkToUtf8(s.author) << "\", latest \""
        << GbkToUtf8(s.latest) << "\", link \"" << GbkToUtf8(s.link) << "\", intro \"" << GbkToUtf8(s.intro)
        << "\"}";
}

inline Slot ReadSlot(int n) {
    ProgramState& s = State();
    std::lock_guard lock(s.resultsLock);
    return {s.ResultNames[n], s.ResultAuthors[n], s.ResultLatest[n], s.ResultLinks[n], s.ResultIntros[n]};
}

inline void WriteSlot(int n, const Slot& v) {
    ProgramState& s = State();
    std::lock_guard lock(s.resultsLock);
    s.ResultNames[n] = v.name;
    s.ResultAuthors[n] = v.author;
    s.ResultLatest[n] = v.latest;
    s.ResultLinks[n] = v.link;
    s.ResultIntros[n] = v.intro;
}

inline ui::Ctl Button(int n) {
    static constexpr ui::Ctl kButtons[] = {ui::搜索_超级按钮1, ui::搜索_超级按钮2, ui::搜索_超级按钮3,
                                           ui::搜索_超级按钮4, ui::搜索_超级按钮5};
    return kButtons[n - 1];
}

inline std::vector<Text> Captions() {
    std::vector<Text> c;
    for (int n = 1; n <= 5; ++n) c.push_back(ui::GetText(Button(n)));
    return c;
}

inline Text Tip() { return ui::GetText(ui::提示_标签); }

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        rt::ResetStop();
        CreateState();
        ui::ResetControls();
        SetSourceBases(a.Base(), b.Base(), c.Base());
        SetCooldownTickMs(1000);
    }

    void TearDown() override {
        gate.Open();
        // Wake sleeping cooldown threads, and let every thread end before the state goes.
        rt::RequestStop();
        EXPECT_TRUE(rt::WaitForThreads(30000));
        rt::ResetStop();
        SetCooldownTickMs(1000);
    }

    static void Type(std::string_view utf8Title) { ui::SetText(ui::搜索_编辑框, ToGbk(utf8Title)); }

    // Declared before the sites, so handlers waiting at it end before it goes.
    Gate gate;
    fake::FakeSite a, b, c;
};

}  // namespace srchtest
