#pragma once
// Shared set-up of the download tests: a fresh program state and control model, three fake
// sites the sources point at, and helpers that play the user's part on the window's thread (the
// test's own thread) without running a search.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/runtime.h"
#include "app/state.h"
#include "download/download.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/chapter_pages.h"
#include "support/fake_site.h"
#include "support/wait.h"

namespace dltest {

// A u8 literal as plain bytes.
inline std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

// A gate that a fake site's handler waits at until the test opens it (or the site shuts down).
class Gate {
public:
    void Wait() {
        std::unique_lock lock(m_);
        ++waiting_;
        cv_.wait_for(lock, std::chrono::seconds(30), [this] { return open_; });
    }
    void Open() {
        std::lock_guard lock(m_);
        open_ = true;
        cv_.notify_all();
    }
    int Waiting() {
        std::lock_guard lock(m_);
        return waiting_;
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
    int waiting_ = 0;
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        rt::ResetStop();
        CreateState();
        ui::ResetControls();
        SetSourceBases(a.Base(), b.Base(), c.Base());
        SetChapterRetryPausesMs(5, 10);
    }

    void TearDown() override {
        // Every worker and progress step must end before the next test replaces the state.
        EXPECT_TRUE(rt::WaitForThreads(30000));
        SetChapterRetryPausesMs(500, 1000);
    }

    // Shows a source A result in `slot` (4 or 5) as a search would have left it.
    void ChooseSourceA(int slot, const std::string& key, const std::string& count,
                       const std::string& name = "A novel") {
        ProgramState& s = State();
        {
            std::lock_guard lock(s.resultsLock);
            s.SourceAKeys[slot == 5 ? 1 : 2] = key;
            s.ResultLinks[slot] = count;
            s.ResultNames[slot] = name;
        }
        s.SelectedSlot = slot;
        ui::SetText(ui::小说名称_编辑框, name);
    }

    // Shows a source B result in `slot` (1 or 2) whose table of contents is at `tocAddress`.
    void ChooseSourceB(int slot, const std::string& tocAddress, const std::string& name = "B novel") {
        ProgramState& s = State();
        {
            std::lock_guard lock(s.resultsLock);
            s.ResultLinks[slot] = tocAddress;
            s.ResultNames[slot] = name;
        }
        s.SelectedSlot = slot;
        ui::SetText(ui::小说名称_编辑框, name);
    }

    static Text Caption() { return ui::GetText(ui::搜索_超级按钮); }
    static bool Finished() { return Caption() == Gbk(u8"保存"); }
    static bool WaitFinished(int ms = 30000) { return WaitFor(Finished, ms); }

    static Text Joined() {
        ProgramState& s = State();
        std::lock_guard lock(s.partsLock);
        return s.PartTexts[1] + s.PartTexts[2] + s.PartTexts[3];
    }
    static Text Part(int k) {
        ProgramState& s = State();
        std::lock_guard lock(s.partsLock);
        return s.PartTexts[k];
    }

    // How often the site was asked for `target`.
    static int Asked(const fake::FakeSite& site, const std::string& target) {
        int n = 0;
        for (const std::string& t : site.Targets()) n += t == target;
        return n;
    }

    fake::FakeSite a, b, c;
};

inline Text ToGbk(std::string_view utf8) { return rt::ConvertEncoding(utf8, "UTF-8", "GBK"); }

using fake::ExpectedRecord;
using fake::ExpectedRecords;

}  // namespace dltest

namespace dltest {

// The page number in a source A chapter address ".../read_N.html"; 0 for anything else.
inline int PageNumber(const std::string& path) {
    const auto at = path.rfind("/read_");
    if (at == std::string::npos) return 0;
    return std::atoi(path.c_str() + at + 6);
}

}  // namespace dltest
