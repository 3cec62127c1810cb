// Concurrency soak: many cycles of search, download, stop in the middle, a new download,
// completion and save, against fake sites whose chapter pages answer after random delays.
// Run it under ThreadSanitizer or AddressSanitizer (scripts/test --soak, scripts/test asan
// --soak): the sanitizers find the races and leaks, and each saved file must hold every chapter
// of its novel once, in order, and nothing else.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/controls.h"
#include "app/runtime.h"
#include "app/state.h"
#include "download/download.h"
#include "save/save.h"
#include "search/search.h"
#include "search/sources.h"
#include "support/chapter_pages.h"
#include "support/fake_site.h"
#include "support/site_pages.h"
#include "support/temp_dir.h"
#include "support/wait.h"

namespace {

using namespace std::chrono_literals;

constexpr int kCycles = 50;
constexpr int kCycleDeadlineMs = 60000;

std::string Utf8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

// Novels on source A (found by 潮汐) and on source B (found by 灯塔 through its book page).
const std::vector<fake::ShelvedNovel>& Shelf() {
    static const std::vector<fake::ShelvedNovel> shelf = {
        {fake::GeneratedNovel(Utf8(u8"潮汐之书"), Utf8(u8"岸"), 31, 300), "tide"},
        {fake::GeneratedNovel(Utf8(u8"灯塔"), Utf8(u8"守夜人"), 26, 300), "lamp"},
    };
    return shelf;
}

// Every chapter title once, from the first chapter to the last, and no title of the other
// novel. (Source B lists its newest chapter first and its workers walk the list backwards, so
// its files read forwards too.)
void ExpectWhole(const std::string& fileBytes, const fake::Novel& novel, const fake::Novel& other) {
    bool clean = false;
    const std::string utf8 = rt::ConvertEncoding(fileBytes, "GBK", "UTF-8", &clean);
    ASSERT_TRUE(clean);
    std::size_t at = 0;
    for (std::size_t n = 1; n <= novel.chapters.size(); ++n) {
        const std::string& title = novel.chapters[n - 1].title;
        const std::size_t found = utf8.find(title + "\r\n", at);
        ASSERT_NE(found, std::string::npos) << "chapter " << n << " missing or out of order";
        at = found + title.size();
    }
    for (const fake::Chapter& ch : other.chapters)
        EXPECT_EQ(utf8.find(ch.title + "\r\n"), std::string::npos) << "foreign " << ch.title;
    // Titles are unique, so a chapter counted twice shows as a second occurrence.
    for (const fake::Chapter& ch : novel.chapters) {
        const std::size_t first = utf8.find(ch.title + "\r\n");
        EXPECT_EQ(utf8.find(ch.title + "\r\n", first + 1), std::string::npos) << "twice " << ch.title;
    }
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override {
        rt::ResetStop();
        CreateState();
        ui::ResetControls();
        ASSERT_TRUE(rt::SetRunDirectoryForTests(dir_.gbkPath()));
        SetSourceBases(a_.Base(), b_.Base(), c_.Base());
        SetCooldownTickMs(1);
        fake::InstallShelf(a_, b_, c_, Shelf());
        InstallSlowChapters();
    }

    void TearDown() override {
        rt::RequestStop();
        EXPECT_TRUE(rt::WaitForThreads(30000));
        rt::ResetStop();
        SetCooldownTickMs(1000);
        ReleaseState();
    }

    // Chapter pages answer after 0 to 15 ms, drawn per request.
    void InstallSlowChapters() {
        const fake::Novel& tide = Shelf()[0].novel;
        const fake::Novel& lamp = Shelf()[1].novel;
        auto delay = [this](const fake::FakeSite& site) {
            int ms;
            {
                std::lock_guard lock(randomLock_);
                ms = std::uniform_int_distribution<int>(0, 15)(random_);
            }
            site.WaitStopping(std::chrono::milliseconds(ms));
        };
        a_.HandlePrefix("/tide/read_", [this, &tide, delay](const httplib::Request& req,
                                                          httplib::Response& res) {
            delay(a_);
            res.set_content(fake::SourceAChapterPage(tide, std::atoi(req.path.c_str() + req.path.rfind("_") + 1)),
                            "text/html; charset=utf-8");
        });
        const std::string toc = fake::RoutesForKey("lamp").bTocPath;
        b_.HandlePrefix(toc, [this, &lamp, toc, delay](const httplib::Request& req,
                                                     httplib::Response& res) {
            delay(b_);
            const std::string rest = req.path.substr(toc.size());
            if (rest.empty()) {
                res.set_content(fake::SourceBTocPage(lamp), "text/html; charset=gbk");
            } else {
                res.set_content(fake::SourceBChapterPage(lamp, std::atoi(rest.c_str())),
                                "text/html; charset=gbk");
            }
        });
    }

    static Text Caption() { return ui::GetText(ui::搜索_超级按钮); }

    fake::FakeSite a_, b_, c_;
    TempDir dir_;
    std::mutex randomLock_;
    std::mt19937 random_{20261211};
};

TEST_F(Soak, SearchDownloadStopDownloadSaveCycles) {
    std::mt19937 chance(7);
    const Text save = Gbk(u8"保存"), stop = Gbk(u8"停止"), search = Gbk(u8"搜索");
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        SCOPED_TRACE("cycle " + std::to_string(cycle));
        const auto started = std::chrono::steady_clock::now();
        const bool sourceA = cycle % 2 == 0;
        const fake::Novel& novel = Shelf()[sourceA ? 0 : 1].novel;
        const fake::Novel& other = Shelf()[sourceA ? 1 : 0].novel;
        const int slot = sourceA ? 5 : 1;
        const ui::Ctl button = sourceA ? ui::搜索_超级按钮5 : ui::搜索_超级按钮1;

        ASSERT_TRUE(WaitFor([] { return State().SearchCooldown.load() == 0; }, kCycleDeadlineMs));
        ui::SetText(ui::搜索_编辑框, Gbk(sourceA ? u8"潮汐" : u8"灯塔"));
        PressSearchButton();
        ASSERT_TRUE(WaitFor([&] { return !ui::GetText(button).empty(); }, kCycleDeadlineMs));
        ShowResult(slot);

        // Stop somewhere in the middle, then download the same novel again to the end.
        DownloadCommand();
        ASSERT_EQ(Caption(), stop);
        const int stopAt = std::uniform_int_distribution<int>(1, 20)(chance);
        ASSERT_TRUE(WaitFor([&] { return State().ChaptersDone.load() >= stopAt || Caption() != stop; },
                            kCycleDeadlineMs));
        if (Caption() == stop) PressSearchButton();
        ASSERT_EQ(Caption(), search);

        DownloadCommand();
        ASSERT_TRUE(WaitFor([&] { return Caption() == save; }, kCycleDeadlineMs));
        PressSearchButton();
        // From the third cycle on the file exists: the same-name panel opens; overwrite it.
        if (ui::IsVisible(ui::图片框1)) OverwriteSave();

        const std::string file =
            novel.name + "-" + novel.author + ".txt";
        ASSERT_TRUE(dir_.Has(file));
        ExpectWhole(dir_.Get(file), novel, other);
        if (sourceA) {
            EXPECT_EQ(dir_.Get(file),
                      fake::ExpectedRecords(novel, 1, static_cast<int>(novel.chapters.size())));
        }
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kCycleDeadlineMs));
        if (HasFatalFailure() || HasFailure()) return;
    }
}

}  // namespace
