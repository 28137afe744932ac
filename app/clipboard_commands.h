// The Edit menu's clipboard items of both programs: 剪切, 复制, 粘贴, 创建副本, 全选
// and 复制图表为图片. Copy puts one item on the system clipboard holding the
// elements as our own type, an SVG and a PNG picture of them and their texts;
// Paste takes our type from any window of either program, or plain text from any
// program. While an editor box is open they act on the box as its own keys do.
#pragma once
#include <vector>

#include "app/controls.h"
#include "io/raw_document.h"

namespace qm {

// The items and the separator after them, for a program whose drawings are in
// `layout`.
std::vector<MenuItem> clipboardItems(Layout layout);

// Paste offers what the clipboard holds from the first call on, and nothing
// before: the holder may be another program, and the first frame need not wait
// for its answer. Once is enough for every window.
void watchClipboard();

}  // namespace qm
