// The progress label and bar over whole downloads, watched through the control model.

#include "download_fixture.h"

namespace dltest {
namespace {

const Text kUnit = "\x2f\x20\xd2\xb3";  // "/ 页"
const Text kDone =
    "\x2d\x2d\x2d\x2d\x2d\x20\xd2\xd1\x20\xcf\xc2\x20\xd4\xd8\x20\xcd\xea\x20\xb3\xc9\x20\x2d\x2d"
    "\x2d\x2d\x2d";
const Text kSave = "\xb1\xa3\xb4\xe6";

// Records the label's captions and, for each counted chapter, the bar's width after its step.
class ProgressWatch {
public:
    ProgressWatch() {
        id_ = ui::Subscribe([this](const ui::Change& c) {
            std::lock_guard lock(m_);
            if (c.ctl == ui::下载_标签 && c.prop == ui::Prop::Text) {
                labels_.push_back(c.text);
                widthAfter_.push_back(width_);
            } else if (c.ctl == ui::下载_图片框 && c.prop == ui::Prop::Width) {
                width_ = c.width;
                if (!widthAfter_.empty()) widthAfter_.back() = width_;
            }
        });
    }
    ~ProgressWatch() { ui::Unsubscribe(id_); }

    std::vector<Text> Labels() {
        std::lock_guard lock(m_);
        return labels_;
    }
    // Width once the label showed labels[i] and its step was through.
    std::vector<int> WidthAfter() {
        std::lock_guard lock(m_);
        return widthAfter_;
    }

private:
    std::mutex m_;
    std::vector<Text> labels_;
    std::vector<int> widthAfter_;
    int width_ = 0;
    int id_ = 0;
};

class ProgressTest : public DownloadTest {};

struct ProgressCase {
    int n;
    int finalWidth;
    std::vector<std::pair<int, int>> widthAt;  // chapters counted -> width of the bar
};

TEST_F(ProgressTest, LabelAndBarFollowEveryCountedChapter) {
    const ProgressCase cases[] = {
        {3, 237, {{1, 79}, {2, 158}, {3, 237}}},
        {10, 230, {{1, 23}, {9, 207}, {10, 230}}},
        {120, 120, {{1, 1}, {60, 60}, {120, 120}}},
        {238, 238, {{1, 1}, {237, 237}, {238, 238}}},
        {300, 238, {{1, 1}, {237, 237}, {238, 238}, {299, 238}}},
        {500, 238, {{1, 0}, {2, 1}, {475, 237}, {476, 238}, {499, 238}}},
    };
    for (const ProgressCase& tc : cases) {
        SCOPED_TRACE(tc.n);
        const std::string key = "p" + std::to_string(tc.n);
        fake::InstallSourceAChapters(a, fake::GeneratedNovel(key, "w", tc.n, 20), key);
        ChooseSourceA(5, key, std::to_string(tc.n));
        ui::SetWidth(ui::下载_图片框, 57);  // left over from an earlier download
        ProgressWatch watch;

        DownloadCommand();
        ASSERT_TRUE(WaitFinished());
        ASSERT_TRUE(rt::WaitForThreads(30000));

        // Labels: emptied by the command, then "k / N/ 页" for k = 1..N in turn, then the
        // completion text.
        std::vector<Text> expected{Text()};
        for (int k = 1; k <= tc.n; ++k)
            expected.push_back(std::to_string(k) + " / " + std::to_string(tc.n) + kUnit);
        expected.push_back(kDone);
        const std::vector<Text> labels = watch.Labels();
        EXPECT_EQ(labels, expected);

        const std::vector<int> widths = watch.WidthAfter();
        ASSERT_EQ(widths.size(), expected.size());
        EXPECT_EQ(widths.front(), 0);
        for (const auto& [k, width] : tc.widthAt)
            EXPECT_EQ(widths[static_cast<std::size_t>(k)], width) << "after chapter " << k;
        EXPECT_EQ(ui::GetWidth(ui::下载_图片框), tc.finalWidth);
        EXPECT_TRUE(ui::IsVisible(ui::下载_图片框));
        EXPECT_TRUE(ui::IsVisible(ui::下载_标签));
        EXPECT_EQ(ui::GetText(ui::下载_标签), kDone);
        EXPECT_EQ(ui::GetText(ui::搜索_超级按钮), kSave);
        EXPECT_TRUE(ui::GetText(ui::下载_超级按钮).empty());
        EXPECT_EQ(State().ChaptersDone, tc.n);
    }
}

}  // namespace
}  // namespace dltest
