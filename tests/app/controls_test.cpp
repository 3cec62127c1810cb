#include "app/controls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace ui;

// ---- The table ----

TEST(ControlTable, HoldsEveryControlOnceInStackingOrder) {
    const auto& table = ControlTable();
    ASSERT_EQ(table.size(), static_cast<std::size_t>(kControlCount));
    ASSERT_EQ(kControlCount, 33);
    std::set<std::string> names;
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_EQ(table[i].id, static_cast<Ctl>(i)) << table[i].name;
        EXPECT_TRUE(names.insert(table[i].name).second) << "duplicate " << table[i].name;
        EXPECT_EQ(ControlByName(table[i].name), static_cast<int>(i));
        // A panel is listed above what it holds, so it exists before its children.
        if (table[i].parent >= 0) {
            EXPECT_LT(table[i].parent, static_cast<int>(i)) << table[i].name;
        }
    }
    EXPECT_EQ(ControlByName("搜索_超级按钮6"), -1);
    EXPECT_EQ(ControlByName(""), -1);
}

// Start texts pinned by their exact GBK bytes: the rest of the program compares captions byte
// for byte against these.
TEST(ControlTable, StartTextsAreExactGbkBytes) {
    struct Case {
        Ctl ctl;
        std::string bytes;
    };
    const Case cases[] = {
        {搜索_超级按钮, "\xCB\xD1\xCB\xF7"},
        {下载_超级按钮, "\xCF\xC2\xD4\xD8"},
        {窗口位置_销毁, "\xA1\xC1"},
        {搜索_编辑框, "\xB5\xE3\xB4\xCB\xCA\xE4\xC8\xEB\xD0\xA1\xCB\xB5\xC3\xFB\xB3\xC6"},
        {标签9, "\xBC\xEC \xB2\xE2 \xB5\xBD \xCF\xE0 \xCD\xAC \xCE\xC4 \xBC\xFE \xC3\xFB"},
        {标签2, " \xD0\xA1\xCB\xB5\xC3\xFB\xB3\xC6"},
        {标签5, "\xD0\xA1\xCB\xB5\xC3\xFB\xB3\xC6"},
        {小说名称_编辑框, "Sorvane"},
        {小说作者_编辑框, "tovrenik"},
        {小说最新_编辑框, "V.1.0"},
        {下载_标签, "T O V R E N I K"},
        {现尺寸_标签, "12.78M"},
        {提示_标签, ""},
        {搜索_超级按钮1, ""},
        {搜索_超级按钮5, ""},
        {小说简介_编辑框,
         "\xC8\xED\xBC\xFE\xC9\xF9\xC3\xF7\xA3\xBA\r\n"
         "\xCB\xD1\xCB\xF7\xD0\xA1\xCB\xB5\xD4\xB4\xD5\xBE\xB9\xB2\xC8\xFD\xB8\xF6\xA3\xAC\xBD\xE1"
         "\xB9\xFB\xD2\xD4\xD7\xEE\xD3\xC5\xCF\xD4\xCA\xBE\xCE\xE5\xB8\xF6\r\n"
         "\xCB\xF9\xD3\xD0\xD0\xA1\xCB\xB5\xBE\xF9\xC0\xB4\xD4\xB4\xD3\xDA\xCD\xF8\xC2\xE7\xA3\xAC"
         "\xC8\xED\xBC\xFE\xB2\xBB\xB2\xCE\xD3\xEB\xC9\xCF\xB4\xAB\xBA\xCD\xB4\xE6\xB4\xA2\r\n"
         "\xC8\xE7\xB9\xFB\xC4\xFA\xC8\xCE\xC8\xBB\xD1\xA1\xD4\xF1\xCF\xC2\xD4\xD8\xD0\xA1\xCB\xB5"
         "\xA3\xAC\xD4\xF2\xB1\xED\xCA\xBE\xC4\xFA\xD4\xB8\xD2\xE2\xB3\xD0\xB5\xA3\xD2\xBB\xC7\xD0"
         "\xCF\xE0\xB9\xD8\xB7\xA8\xC2\xC9\xD4\xF0\xC8\xCE\r\n"
         "\xC7\xEB\xD4\xDA\xCF\xC2\xD4\xD8\xBA\xF3\xB6\xFE\xCA\xAE\xCB\xC4\xD0\xA1\xCA\xB1\xC4\xDA"
         "\xC9\xBE\xB3\xFD\r\n"
         "\xC7\xEB\xD6\xA7\xB3\xD6\xD5\xFD\xB0\xE6\xD0\xA1\xCB\xB5\xA3\xAC\xC4\xFA\xB5\xC4\xD6\xA7"
         "\xB3\xD6\xCA\xC7\xD7\xF7\xD5\xDF\xB5\xC4\xB6\xAF\xC1\xA6"},
    };
    for (const Case& c : cases) EXPECT_EQ(TableEntry(c.ctl).startText, c.bytes) << TableEntry(c.ctl).name;
    EXPECT_EQ(TableEntry(小说简介_编辑框).startText.size(), 218u);
}

TEST(ControlTable, OnlyThePanelTheTipAndTheProgressDisplayStartHidden) {
    const std::set<Ctl> hidden = {图片框1, 提示_标签, 下载_标签, 下载_图片框};
    for (const ControlSpec& s : ControlTable())
        EXPECT_EQ(s.shownAtStart, hidden.count(s.id) == 0) << s.name;
}

// Each frame label lies under its box, one pixel wider on both sides and one taller below.
TEST(ControlTable, FramesShowAThinEdgeAroundTheirBoxes) {
    const std::pair<Ctl, Ctl> pairs[] = {{标签5, 小说名称_编辑框},
                                         {标签6, 小说作者_编辑框},
                                         {标签7, 小说最新_编辑框},
                                         {标签8, 小说简介_编辑框}};
    for (auto [frame, box] : pairs) {
        const ControlSpec& f = TableEntry(frame);
        const ControlSpec& b = TableEntry(box);
        EXPECT_EQ(f.x, b.x - 1) << f.name;
        EXPECT_EQ(f.x + f.width, b.x + b.width + 1) << f.name;
        EXPECT_GE(f.y + f.height, b.y + b.height + 1) << f.name;
        EXPECT_GT(frame, box) << f.name << " must lie beneath its box";
    }
}

TEST(ControlTable, PanelChildrenFitOnThePanel) {
    const ControlSpec& panel = TableEntry(图片框1);
    int children = 0;
    for (const ControlSpec& s : ControlTable()) {
        if (s.parent != 图片框1) continue;
        ++children;
        EXPECT_GE(s.x, 0) << s.name;
        EXPECT_GE(s.y, 0) << s.name;
        EXPECT_LE(s.x + s.width, panel.width) << s.name;
        EXPECT_LE(s.y + s.height, panel.height) << s.name;
    }
    EXPECT_EQ(children, 7);
    EXPECT_TRUE(TableEntry(原尺寸_超级按钮).hasPicture);
    EXPECT_TRUE(TableEntry(现尺寸_超级按钮).hasPicture);
}

// ---- The store ----

class ControlStore : public ::testing::Test {
protected:
    void SetUp() override { ResetControls(); }
    void TearDown() override {
        for (int id : subscriptions_) Unsubscribe(id);
        ResetControls();
    }
    int Listen(Listener l) {
        subscriptions_.push_back(Subscribe(std::move(l)));
        return subscriptions_.back();
    }
    std::vector<int> subscriptions_;
};

TEST_F(ControlStore, StartsWithTheTableAndResetsToIt) {
    SetText(搜索_超级按钮, "x");
    SetVisible(图片框1, true);
    SetWidth(下载_图片框, 17);
    ResetControls();
    for (const ControlSpec& s : ControlTable()) {
        EXPECT_EQ(GetText(s.id), s.startText) << s.name;
        EXPECT_EQ(IsVisible(s.id), s.shownAtStart) << s.name;
    }
    EXPECT_EQ(GetWidth(下载_图片框), 238);
}

TEST_F(ControlStore, KeepsEachPropertyApart) {
    SetText(提示_标签, "hello");
    SetVisible(提示_标签, true);
    SetWidth(下载_图片框, 0);
    SetWidth(下载_图片框, -5);  // a width is never negative
    EXPECT_EQ(GetText(提示_标签), "hello");
    EXPECT_TRUE(IsVisible(提示_标签));
    EXPECT_EQ(GetWidth(下载_图片框), 0);
    EXPECT_EQ(GetText(下载_图片框), "");
    // Out-of-range controls are ignored rather than corrupting memory.
    SetText(static_cast<Ctl>(kControlCount), "x");
    SetText(static_cast<Ctl>(-1), "x");
    EXPECT_EQ(GetText(static_cast<Ctl>(kControlCount)), "");
    EXPECT_FALSE(IsVisible(static_cast<Ctl>(-1)));
}

TEST_F(ControlStore, ListenersSeeEveryWriteInOrderUntilTheyLeave) {
    std::vector<Change> seen;
    const int id = Listen([&](const Change& c) { seen.push_back(c); });
    SetText(搜索_超级按钮1, "a");
    SetVisible(提示_标签, true);
    SetWidth(下载_图片框, 12);
    Unsubscribe(id);
    SetText(搜索_超级按钮1, "b");
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].ctl, 搜索_超级按钮1);
    EXPECT_EQ(seen[0].prop, Prop::Text);
    EXPECT_EQ(seen[0].text, "a");
    EXPECT_EQ(seen[1].prop, Prop::Visible);
    EXPECT_TRUE(seen[1].visible);
    EXPECT_EQ(seen[2].prop, Prop::Width);
    EXPECT_EQ(seen[2].width, 12);
}

// Many threads write long values; every read and every notification is one whole value, and a
// listener sees each thread's writes to a control in the order that thread made them.
TEST_F(ControlStore, ConcurrentWritesAreWholeAndOrderedPerWriter) {
    constexpr int kThreads = 4;
    constexpr int kWrites = 400;
    std::mutex seenLock;
    std::map<char, std::vector<int>> seenByWriter;  // writer -> sequence numbers, in order seen
    Listen([&](const Change& c) {
        if (c.ctl != 提示_标签 || c.prop != Prop::Text) return;
        std::lock_guard lock(seenLock);
        seenByWriter[c.text[0]].push_back(std::stoi(c.text.substr(1, 6)));
    });

    auto value = [](char writer, int n) {
        std::string v = std::string(1, writer) + std::to_string(100000 + n);
        return v + std::string(2000, writer);  // long enough that a torn copy would show
    };
    std::atomic<bool> torn{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            const char writer = static_cast<char>('A' + t);
            for (int n = 0; n < kWrites; ++n) {
                SetText(提示_标签, value(writer, n));
                const Text read = GetText(提示_标签);
                const char w = read[0];
                if (read != value(w, std::stoi(read.substr(1, 6)) - 100000)) torn = true;
            }
        });
    }
    for (auto& th : threads) th.join();
    EXPECT_FALSE(torn);
    ASSERT_EQ(seenByWriter.size(), static_cast<std::size_t>(kThreads));
    for (auto& [writer, seq] : seenByWriter) {
        ASSERT_EQ(seq.size(), static_cast<std::size_t>(kWrites)) << writer;
        for (int n = 0; n < kWrites; ++n) EXPECT_EQ(seq[n], 100000 + n) << writer;
    }
}

}  // namespace
