#include "app/controls.h"

#include <algorithm>
#include <array>
#include <map>
#include <mutex>
#include <utility>

namespace ui {

namespace {

constexpr int kMainWindow = -1;

// The notice the introduction box opens with, line breaks as the program writes them.
constexpr const char8_t* kStartNotice =
    u8"软件声明：\r\n"
    u8"搜索小说源站共三个，结果以最优显示五个\r\n"
    u8"所有小说均来源于网络，软件不参与上传和存储\r\n"
    u8"如果您任然选择下载小说，则表示您愿意承担一切相关法律责任\r\n"
    u8"请在下载后二十四小时内删除\r\n"
    u8"请支持正版小说，您的支持是作者的动力";

ControlSpec Make(Ctl id, const char* name, Kind kind, int parent, int x, int y, int w, int h,
                 Text start, bool shown) {
    ControlSpec s{id, name, kind, parent, x, y, w, h, std::move(start), shown};
    return s;
}

ControlSpec Edit(Ctl id, const char* name, int x, int y, int w, int h, Text start, bool readOnly,
                 bool multiLine, bool centred) {
    ControlSpec s = Make(id, name, Kind::EditBox, kMainWindow, x, y, w, h, std::move(start), true);
    s.readOnly = readOnly;
    s.multiLine = multiLine;
    s.centred = centred;
    return s;
}

ControlSpec Picture(Ctl id, const char* name, int x, int y) {
    ControlSpec s = Make(id, name, Kind::StyledButton, 图片框1, x, y, 50, 50, {}, true);
    s.hasPicture = true;
    return s;
}

std::vector<ControlSpec> BuildTable() {
    const Kind L = Kind::Label, B = Kind::StyledButton, P = Kind::PictureBox;
    const int W = kMainWindow, Panel = 图片框1;
    std::vector<ControlSpec> t;
    t.reserve(kControlCount);
    t.push_back(Make(图片框1, "图片框1", P, W, 8, 272, 304, 147, {}, false));
    t.push_back(Picture(现尺寸_超级按钮, "现尺寸_超级按钮", 185, 48));
    t.push_back(Picture(原尺寸_超级按钮, "原尺寸_超级按钮", 63, 48));
    t.push_back(Make(现尺寸_标签, "现尺寸_标签", L, Panel, 188, 101, 48, 16, Gbk(u8"12.78M"), true));
    t.push_back(Make(原尺寸_标签, "原尺寸_标签", L, Panel, 66, 101, 48, 16, Gbk(u8"12.78M"), true));
    t.push_back(Make(标签11, "标签11", L, Panel, 168, 112, 88, 24, Gbk(u8"覆盖文件保存"), true));
    t.push_back(Make(标签10, "标签10", L, Panel, 44, 112, 88, 24, Gbk(u8"重命名保存"), true));
    t.push_back(Make(标签9, "标签9", L, Panel, 4, 0, 296, 48, Gbk(u8"检 测 到 相 同 文 件 名"), true));
    // Every message sets the caption before showing the label, so it starts empty.
    t.push_back(Make(提示_标签, "提示_标签", L, W, 8, 273, 304, 109, {}, false));
    t.push_back(Make(下载_标签, "下载_标签", Kind::TransparentLabel, W, 8, 495, 238, 28,
                     Gbk(u8"T O V R E N I K"), false));
    t.push_back(Make(下载_图片框, "下载_图片框", P, W, 9, 496, 238, 28, {}, false));
    t.push_back(Make(标签1, "标签1", L, W, 8, 243, 304, 30, Gbk(u8"小说简介"), true));
    t.push_back(Make(搜索_超级按钮5, "搜索_超级按钮5", B, W, 256, 427, 56, 22, {}, true));
    t.push_back(Make(搜索_超级按钮4, "搜索_超级按钮4", B, W, 194, 427, 54, 22, {}, true));
    t.push_back(Make(搜索_超级按钮3, "搜索_超级按钮3", B, W, 132, 427, 54, 22, {}, true));
    t.push_back(Make(搜索_超级按钮2, "搜索_超级按钮2", B, W, 70, 427, 54, 22, {}, true));
    t.push_back(Make(搜索_超级按钮1, "搜索_超级按钮1", B, W, 8, 427, 54, 22, {}, true));
    t.push_back(Edit(小说简介_编辑框, "小说简介_编辑框", 9, 272, 302, 146, Gbk(kStartNotice), true, true,
                     false));
    t.push_back(Edit(小说最新_编辑框, "小说最新_编辑框", 9, 204, 302, 30, Gbk(u8"V.1.0"), true,
                     false, true));
    t.push_back(Make(标签4, "标签4", L, W, 8, 174, 304, 30, Gbk(u8" 最新章节"), true));
    t.push_back(Make(标签3, "标签3", L, W, 8, 105, 304, 30, Gbk(u8" 小说作者"), true));
    t.push_back(Edit(小说作者_编辑框, "小说作者_编辑框", 9, 135, 302, 30, Gbk(u8"tovrenik"), true,
                     false, true));
    t.push_back(Make(标签2, "标签2", L, W, 8, 36, 304, 30, Gbk(u8" 小说名称"), true));
    t.push_back(Edit(小说名称_编辑框, "小说名称_编辑框", 9, 66, 302, 30, Gbk(u8"Sorvane"), true,
                     false, true));
    t.push_back(Make(下载_超级按钮, "下载_超级按钮", B, W, 8, 495, 240, 30, Gbk(u8"下载"), true));
    t.push_back(Edit(搜索_编辑框, "搜索_编辑框", 8, 457, 240, 30, Gbk(u8"点此输入小说名称"), false, false,
                     true));
    t.push_back(Make(搜索_超级按钮, "搜索_超级按钮", B, W, 256, 457, 56, 68, Gbk(u8"搜索"), true));
    t.push_back(Make(窗口位置_销毁, "窗口位置_销毁", B, W, 296, 4, 20, 20, Gbk(u8"×"), true));
    t.push_back(Make(窗口移动_标签, "窗口移动_标签", L, W, 0, 0, 320, 28, Gbk(u8"Sorvane"), true));
    // The frames lie one pixel wider on each side and one taller at the bottom than their boxes,
    // so only a thin edge shows around each borderless box.
    t.push_back(Make(标签5, "标签5", L, W, 8, 66, 304, 31, Gbk(u8"小说名称"), true));
    t.push_back(Make(标签6, "标签6", L, W, 8, 135, 304, 31, Gbk(u8"小说作者"), true));
    t.push_back(Make(标签7, "标签7", L, W, 8, 204, 304, 31, Gbk(u8"最新章节"), true));
    t.push_back(Make(标签8, "标签8", L, W, 8, 273, 304, 146, Gbk(u8"小说简介"), true));
    return t;
}

struct Value {
    Text text;
    bool visible = false;
    int width = 0;
};

// One lock guards every value and the listener list. Listeners run under it, so two writes to
// the same control reach every listener in the order the store took them.
struct Store {
    std::mutex lock;
    std::array<Value, kControlCount> values;
    std::map<int, Listener> listeners;
    int nextId = 1;

    Store() { ResetLocked(); }

    void ResetLocked() {
        for (const ControlSpec& s : ControlTable()) values[s.id] = {s.startText, s.shownAtStart, s.width};
    }

    void Notify(const Change& c) {
        for (auto& [id, listener] : listeners) listener(c);
    }
};

// Never destroyed: a thread that is still finishing at exit may write a caption after static
// destructors have begun.
Store& TheStore() {
    static Store* store = new Store;
    return *store;
}

bool Valid(Ctl c) { return c >= 0 && c < kControlCount; }

}  // namespace

const std::vector<ControlSpec>& ControlTable() {
    static const std::vector<ControlSpec> table = BuildTable();
    return table;
}

const ControlSpec& TableEntry(Ctl c) { return ControlTable().at(static_cast<std::size_t>(c)); }

int ControlByName(std::string_view utf8Name) {
    for (const ControlSpec& s : ControlTable())
        if (utf8Name == s.name) return s.id;
    return -1;
}

Text GetText(Ctl c) {
    if (!Valid(c)) return {};
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    return s.values[c].text;
}

void SetText(Ctl c, Text value) {
    if (!Valid(c)) return;
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    s.values[c].text = value;
    s.Notify(Change{c, Prop::Text, std::move(value), s.values[c].visible, s.values[c].width});
}

bool IsVisible(Ctl c) {
    if (!Valid(c)) return false;
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    return s.values[c].visible;
}

void SetVisible(Ctl c, bool visible) {
    if (!Valid(c)) return;
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    s.values[c].visible = visible;
    s.Notify(Change{c, Prop::Visible, {}, visible, s.values[c].width});
}

int GetWidth(Ctl c) {
    if (!Valid(c)) return 0;
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    return s.values[c].width;
}

void SetWidth(Ctl c, int width) {
    if (!Valid(c)) return;
    width = std::max(width, 0);
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    s.values[c].width = width;
    s.Notify(Change{c, Prop::Width, {}, s.values[c].visible, width});
}

int Subscribe(Listener listener) {
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    int id = s.nextId++;
    s.listeners.emplace(id, std::move(listener));
    return id;
}

void Unsubscribe(int id) {
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    s.listeners.erase(id);
}

void ResetControls() {
    Store& s = TheStore();
    std::lock_guard lock(s.lock);
    s.ResetLocked();
    for (const ControlSpec& entry : ControlTable()) {
        const Value& v = s.values[entry.id];
        s.Notify(Change{entry.id, Prop::Text, v.text, v.visible, v.width});
        s.Notify(Change{entry.id, Prop::Visible, {}, v.visible, v.width});
        s.Notify(Change{entry.id, Prop::Width, {}, v.visible, v.width});
    }
}

}  // namespace ui
