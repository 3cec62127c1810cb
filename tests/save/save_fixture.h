#pragma once
// A finished download waiting to be saved, in a private run directory.

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "app/controls.h"
#include "app/runtime.h"
#include "app/state.h"
#include "save/messages.h"
#include "save/save.h"
#include "support/temp_dir.h"

// A UTF-8 literal as plain bytes (file names on disk, TempDir arguments).
inline std::string U8(std::u8string_view s) { return std::string(s.begin(), s.end()); }

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        CreateState();
        ui::ResetControls();
        rt::SetWriteFailAfterBytesForTests(-1);
        ASSERT_TRUE(rt::SetRunDirectoryForTests(dir.gbkPath()));
    }

    void TearDown() override {
        rt::SetWriteFailAfterBytesForTests(-1);
        ReleaseState();
    }

    // What the download leaves behind when every chapter of `slot` is in: the result slot, the
    // three worker texts, the progress display and the search button reading "保存".
    void Downloaded(int slot, const Text& name, const Text& author, const Text& part1,
                    const Text& part2, const Text& part3) {
        ProgramState& s = State();
        s.ResultNames[slot] = name;
        s.ResultAuthors[slot] = author;
        s.DownloadPlan[5] = slot;
        s.SelectedSlot = slot;
        s.PartTexts[1] = part1;
        s.PartTexts[2] = part2;
        s.PartTexts[3] = part3;
        ui::SetVisible(ui::下载_图片框, true);
        ui::SetVisible(ui::下载_标签, true);
        ui::SetText(ui::下载_超级按钮, Text());
        ui::SetText(ui::搜索_超级按钮, save_text::SaveCaption());
    }

    // The usual novel: 小说 by 作者 in slot 2, text in three parts.
    void DownloadedNovel() {
        Downloaded(2, Gbk(u8"小说"), Gbk(u8"作者"), part1, part2, part3);
    }
    Text Joined() const { return part1 + part2 + part3; }

    Text Tip() const { return ui::GetText(ui::提示_标签); }
    Text SavedTip(std::string_view utf8Name) const {
        return save_text::SavedPrefix() + dir.GbkFile(utf8Name);
    }

    TempDir dir;
    // GBK chapter text, with a trail byte 0x5C (淺) and the one-byte 0x80 (€) in it.
    const Text part1 = Gbk(u8"第一章 淺水\r\n　　他走了。\r\n");
    const Text part2 = Gbk(u8"第二章 €\r\n　　她来了。\r\n");
    const Text part3 = Gbk(u8"第三章 终\r\n　　完。");
};
