#include "edit/clipboard.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "edit/insert.h"
#include "edit/splice.h"
#include "interact/label_editing.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/clipboard_payload.h"
#include "io/document_io.h"
#include "io/error_text.h"
#include "io/qmp_convert.h"
#include "model/labels.h"
#include "model/rounding.h"
#include "model/sel_kind.h"
#include "model/selection_look.h"

namespace qm {
namespace {

template <class T, class Fn>
void eachVisible(const Collection<T>& c, int count, Fn fn) {
    for (int i = 1; i <= count; ++i)
        if (const T* e = c.find(i); e && e->visible) fn(*e);
}

// The offset along one axis: `want`, less what would take the elements past the
// canvas where they fit on it; elements larger than the canvas stay where they are.
float fit(float want, float low, float high, float extent) {
    if (high - low > extent) return 0;
    return std::clamp(want, -low, extent - high);
}

std::string qmpLackName(QmpLack lack) {
    switch (lack) {
        case QmpLack::VerticalLabel: return "竖向标签";
        case QmpLack::StraightArrow: return "上、下、左、右箭头";
        case QmpLack::ShapeSize: return "改变了大小的矩形或椭圆";
        case QmpLack::DiamondSize: return "改变了大小的菱形";
        case QmpLack::LabelFont: return "使用其他字体的标签";
        case QmpLack::None: break;
    }
    return {};
}

// The payload's elements in the drawing's own layout, or nothing after telling why.
std::optional<Document> readPayload(Editor& ed, std::string_view payload, Layout layout) {
    auto read = decodePayload(payload, ed.metrics);
    if (!read) {
        ed.host.message("错误", "剪贴板中的图形已损坏或来自不兼容的版本，不能粘贴。\n" + chineseReason(read.error()),
                        Icon::Stop);
        return std::nullopt;
    }
    if (read->layout == layout) return std::move(read->elements);
    if (layout == Layout::Quillmap) {
        Document out;
        if (Status s = convertQmpElements(read->elements, out, ed.metrics); !s) {
            ed.host.message("提示", "剪贴板中的图形不能粘贴。\n" + chineseReason(s.error()), Icon::Information);
            return std::nullopt;
        }
        return out;
    }
    if (const QmpLack lack = qmpCannotHold(read->elements); lack != QmpLack::None) {
        ed.host.message("提示", "本程序的图表中没有" + qmpLackName(lack) + "，不能粘贴。", Icon::Information);
        return std::nullopt;
    }
    auto converted = convertElementsToQmp(read->elements, ed.metrics);
    if (!converted) {
        ed.host.message("提示", "剪贴板中的图形不能粘贴。\n" + chineseReason(converted.error()), Icon::Information);
        return std::nullopt;
    }
    return std::move(converted).value();
}

// Line breaks as labels hold them, without the one that ends a copied line.
std::string captionOf(std::string_view text) {
    std::string out;
    for (size_t k = 0; k < text.size(); ++k) {
        if (text[k] != '\r') {
            out += text[k];
        } else {
            out += '\n';
            if (k + 1 < text.size() && text[k + 1] == '\n') ++k;
        }
    }
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

}  // namespace

std::vector<ElementRef> copyableSelection(const Document& doc) {
    std::vector<ElementRef> chosen = selectedElements(doc);
    std::erase_if(chosen, [](ElementRef e) { return e.kind == ElementKind::TitleBlock; });
    return chosen;
}

std::string elementTexts(const Document& elements) {
    std::string text;
    eachVisible(elements.Label, elements.labelCount, [&](const LabelEl& l) {
        if (l.caption.empty()) return;
        if (!text.empty()) text += '\n';
        text += l.caption;
    });
    return text;
}

int PasteSeries::next(std::string_view payload) {
    if (payload != last_) {
        last_ = payload;
        count_ = 0;
    }
    return ++count_;
}

std::vector<ElementRef> pasteElements(Editor& ed, const Document& elements, int step) {
    if (!commitOpenEditors(ed)) return {};
    const Needs needs{.shapes = elements.shapeCount,
                      .diamonds = elements.diamondCount,
                      .arrows = elements.arrowCount,
                      .labels = elements.labelCount,
                      .segments = elements.segCount};
    if (const std::string why = noRoomFor(ed.doc, needs); !why.empty()) {
        ed.host.message("提示", why, Icon::Information);
        return {};
    }
    const std::optional<BoxF> box = extent(elements);
    const float want = kPasteStep * static_cast<float>(step);
    float dx = want, dy = want;
    if (box) {
        const CanvasGeometry& c = ed.canvas;
        dx = std::round(fit(want, box->left, box->right, c.width - 2 * c.frame));
        dy = std::round(fit(want, box->top, box->bottom, c.height - 2 * c.frame));
    }
    // Moved, the elements must still be what a file can hold, or the drawing
    // could no longer be saved.
    Document moved = elements;
    shiftElements(moved, dx, dy);
    if (auto saved = encodeDocument(moved, Layout::Quillmap); !saved) {
        ed.host.message("提示", "剪贴板中的图形不能粘贴。\n" + chineseReason(saved.error()), Icon::Information);
        return {};
    }
    finishArrowDrawing(ed);
    clearSelection(ed);
    endInteraction(ed);
    std::vector<ElementRef> pasted = spliceElements(ed.doc, moved);
    selectElements(ed, pasted);
    ed.markModified();
    return pasted;
}

std::vector<ElementRef> pastePayload(Editor& ed, std::string_view payload, Layout layout, PasteSeries& series) {
    if (!commitOpenEditors(ed)) return {};
    std::optional<Document> elements = readPayload(ed, payload, layout);
    if (!elements) return {};
    return pasteElements(ed, *elements, series.next(payload));
}

std::vector<ElementRef> pasteText(Editor& ed, std::string_view text, PasteSeries& series) {
    if (!commitOpenEditors(ed)) return {};
    std::string caption = captionOf(text);
    if (caption.empty()) return {};
    Document one;
    one.Label.templ() = ed.doc.Label.templ();
    one.Label.create(1);
    one.labelCount = 1;
    LabelEl& label = *one.Label.find(1);
    label.visible = true;
    if (const char* refusal = captionRefusal(label, caption, ed.metrics)) {
        ed.host.message("提示", std::string("不能粘贴：") + refusal, Icon::Information);
        return {};
    }
    setCaption(label, std::move(caption), ed.metrics);
    return pasteElements(ed, one, series.next(text));
}

std::vector<ElementRef> duplicateSelection(Editor& ed) {
    const std::vector<ElementRef> chosen = copyableSelection(ed.doc);
    if (chosen.empty()) return {};
    return pasteElements(ed, extractElements(ed.doc, chosen), 1);
}

}  // namespace qm
