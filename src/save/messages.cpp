#include "save/messages.h"

namespace save_text {

const Text& Saving() {
    static const Text text = Gbk(u8"\r\n\r\n正 在 保 存 文 件 中 . . .");
    return text;
}

const Text& SavedPrefix() {
    static const Text text = Gbk(u8"\r\n保 存 成 功 , 文 件 存 于\r\n\r\n");
    return text;
}

const Text& Failed() {
    static const Text text = Gbk(u8"\r\n\r\n保 存 失 败 \r\n\r\n 请 尝 试 以 管 理 员 身 份 运 行");
    return text;
}

const Text& DownloadCaption() {
    static const Text text = Gbk(u8"下载");
    return text;
}

const Text& SaveCaption() {
    static const Text text = Gbk(u8"保存");
    return text;
}

const Text& SearchCaption() {
    static const Text text = Gbk(u8"搜索");
    return text;
}

}  // namespace save_text
