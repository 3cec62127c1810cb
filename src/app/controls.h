#pragma once
// The control model: the truth about every control of the main window.
//
// One table lists every control (name, kind, parent, geometry, start text, shown at start) in
// stacking order, the top-most first. A thread-safe store holds each control's text (caption of
// labels and buttons, contents of edit boxes), visibility and width. Any thread may read and
// write it; a read returns a whole old or new value. The Qt window subscribes to the store and
// applies changes on its own thread; nothing outside app/window touches a widget.

#include <functional>
#include <string_view>
#include <vector>

#include "app/runtime.h"

namespace ui {

// Stacking order, top-most first (the order of the window's table).
enum Ctl : int {
    图片框1,
    现尺寸_超级按钮,
    原尺寸_超级按钮,
    现尺寸_标签,
    原尺寸_标签,
    标签11,
    标签10,
    标签9,
    提示_标签,
    下载_标签,
    下载_图片框,
    标签1,
    搜索_超级按钮5,
    搜索_超级按钮4,
    搜索_超级按钮3,
    搜索_超级按钮2,
    搜索_超级按钮1,
    小说简介_编辑框,
    小说最新_编辑框,
    标签4,
    标签3,
    小说作者_编辑框,
    标签2,
    小说名称_编辑框,
    下载_超级按钮,
    搜索_编辑框,
    搜索_超级按钮,
    窗口位置_销毁,
    窗口移动_标签,
    标签5,
    标签6,
    标签7,
    标签8,
    kControlCount
};

enum class Kind { Label, TransparentLabel, EditBox, PictureBox, StyledButton };

struct ControlSpec {
    Ctl id;
    const char* name;  // UTF-8, exactly the window's own name
    Kind kind;
    int parent;  // -1: the main window; otherwise the Ctl of the containing picture box
    int x, y, width, height;  // relative to the parent
    Text startText;           // GBK
    bool shownAtStart;        // for controls on a panel: shown with the panel
    bool readOnly = false;
    bool multiLine = false;
    bool centred = false;
    bool hasPicture = false;  // styled button showing a 50 x 50 picture
};

const std::vector<ControlSpec>& ControlTable();  // indexed by Ctl
const ControlSpec& TableEntry(Ctl c);
int ControlByName(std::string_view utf8Name);  // -1 if unknown

// ---- The store ----
Text GetText(Ctl c);
void SetText(Ctl c, Text value);
bool IsVisible(Ctl c);
void SetVisible(Ctl c, bool visible);
int GetWidth(Ctl c);
void SetWidth(Ctl c, int width);

enum class Prop { Text, Visible, Width };
struct Change {
    Ctl ctl;
    Prop prop;
    Text text;
    bool visible;
    int width;
};
// Listeners are called under the store's lock, in the order of the writes, on the writing
// thread: they must only hand the change on (queue it), never block or write to the store.
using Listener = std::function<void(const Change&)>;
int Subscribe(Listener listener);
void Unsubscribe(int id);

// Restores every control's start text, visibility and width (start-up and tests).
void ResetControls();

}  // namespace ui
