#include "support/demo_library.h"

#include <string>

namespace fake {
namespace {

// Sentences written for the demo; chapters are put together from them deterministically.
const char* const kSentences[] = {
    "港口的灯一盏接一盏亮起来，雾气贴着水面慢慢移动。",
    "他把旧信折好，放回胸前的口袋里，像是怕它被风带走。",
    "远处传来汽笛声，低沉而悠长，仿佛在回应某个久远的约定。",
    "她说，路再远，只要一直往前走，总会看见下一座灯塔。",
    "星图上的航线被人用铅笔轻轻描过，边角已经磨得发白。",
    "夜里的风很凉，甲板上只剩下他一个人，数着云缝里的星。",
    "老船长笑了笑，没有回答，只把舵轮往左转了半圈。",
    "雨停之后，街上的石板映着天光，行人的脚步也轻了许多。",
    "He wrote the date in the margin, as he always did.",
    "书页之间夹着一片干枯的叶子，颜色还是去年秋天的样子。",
    "他们约好，等到潮水退去，就一起去看岛北面的旧钟楼。",
    "The harbor bell rang twice, and then the fog came in.",
};
const char* const kTitleWords[] = {"启程", "雾中", "旧信", "灯塔", "潮声", "夜航", "归港",
                                   "星图", "来客", "钟楼", "远行", "回音", "晨光", "渡口"};

Novel Make(const std::string& name, const std::string& author, const std::string& intro,
           int chapters, int seed) {
    Novel n;
    n.name = name;
    n.author = author;
    n.intro = intro;
    for (int i = 1; i <= chapters; ++i) {
        Chapter c;
        c.title = "第" + std::to_string(i) + "章 " + kTitleWords[(i + seed) % 14];
        const int paragraphs = 4 + (i * 7 + seed) % 5;
        for (int p = 0; p < paragraphs; ++p) {
            std::string text;
            for (int s = 0; s < 3; ++s) text += kSentences[(i * 5 + p * 3 + s + seed) % 12];
            c.paragraphs.push_back(text);
        }
        n.chapters.push_back(c);
    }
    n.latest = n.chapters.empty() ? "" : n.chapters.back().title;
    return n;
}

std::vector<ShelvedNovel> Build() {
    return {
        {Make("星河旅人", "林间舟",
              "少年陆远在废弃的星港醒来，身边只有一封写给陌生人的信。<br/>"
              "为了把信送到，他登上最后一班夜航船，穿过整条星河。",
              12, 1),
         "xh1001"},
        {Make("星河旅人前传", "林间舟",
              "在陆远出发之前的二十年，星港还是整片海域最热闹的地方。", 6, 2),
         "xh1002"},
        {Make("星河夜话", "白石", "", 9, 3), "xh1003"},
        {Make("Silent Harbor", "Mira Vale",
              "一座终年起雾的港口，一位守灯人，和一艘迟到了十年的船。<br/>"
              "雾散的那一天，所有人都来到了码头。",
              15, 4),
         "sh2001"},
        {Make("Silent Harbor Letters", "Mira Vale", "守灯人写给远方的二十封信。", 7, 5), "sh2002"},
        {Make("雾港来信", "沈听雨",
              "每到月初，雾港的邮局都会收到一封没有署名的信。<br/>"
              "信里写的，是三百年后的这座城市。",
              320, 6),
         "wg3001"},
    };
}

}  // namespace

const std::vector<ShelvedNovel>& DemoLibrary() {
    static const std::vector<ShelvedNovel> library = Build();
    return library;
}

void InstallDemoLibrary(FakeSite& a, FakeSite& b, FakeSite& c) { InstallShelf(a, b, c, DemoLibrary()); }

}  // namespace fake
