#include "app/clipboard_commands.h"

#include <optional>
#include <string>
#include <utility>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "app/editor_boxes.h"
#include "app/editor_view.h"
#include "edit/clipboard.h"
#include "interact/label_editing.h"
#include "interact/rules.h"
#include "interact/selection.h"
#include "io/clipboard_payload.h"
#include "io/error_text.h"
#include "render/canvas_painter.h"
#include "render/picture_encoders.h"

namespace qm {
namespace {

QString elementsType() { return QString::fromLatin1(kElementsMimeType); }
const QString kPng = QStringLiteral("image/png");
const QString kSvg = QStringLiteral("image/svg+xml");

// Pictures of a drawing, or of a part of it, for the programs that take pictures.
// Each is made when a program first asks for it: encoding a picture of a large
// drawing takes longer than copying it.
class DrawingMimeData : public QMimeData {
public:
    DrawingMimeData(Document drawing, const QRect& area) : drawing_(std::move(drawing)), area_(area) {}

    QStringList formats() const override { return QMimeData::formats() << kSvg << kPng; }
    bool hasFormat(const QString& type) const override {
        return type == kPng || type == kSvg || QMimeData::hasFormat(type);
    }

protected:
    QVariant retrieveData(const QString& type, QMetaType want) const override {
        // Twice the canvas's pixels: sharp on a high-density screen and in print.
        if (type == kPng) return picture(png_, PictureFormat::Png, 2);
        if (type == kSvg) return picture(svg_, PictureFormat::Svg, 1);
        return QMimeData::retrieveData(type, want);
    }

private:
    QByteArray picture(std::optional<QByteArray>& made, PictureFormat format, int scale) const {
        if (!made) {
            auto bytes = encodeDrawingPicture(drawing_, area_, format, scale, "Quillmap");
            made = bytes ? QByteArray::fromStdString(*bytes) : QByteArray();
        }
        return *made;
    }

    Document drawing_;
    QRect area_;
    mutable std::optional<QByteArray> png_, svg_;
};

// What the clipboard offers to Paste, looked at when it changes rather than after
// every event: asking another program what it holds takes a round trip.
struct Offer {
    bool elements = false, text = false;
};

Offer& clipboardOffer() {
    static Offer offer;
    return offer;
}

bool boxOpen(EditorView& v) { return v.editor().text1.visible || v.editor().text2.visible; }

// Runs fn on the open editor box, as the box's own key would; false when none is open.
template <class Fn>
bool inOpenBox(EditorView& v, Fn fn) {
    if (v.editor().text1.visible) {
        fn(*v.text1());
        return true;
    }
    if (v.editor().text2.visible) {
        fn(*v.text2());
        return true;
    }
    return false;
}

bool copySelection(EditorView& v, Layout layout) {
    const Document& doc = v.editor().doc;
    const std::vector<ElementRef> chosen = copyableSelection(doc);
    if (chosen.empty()) return false;
    Document elements = extractElements(doc, chosen);
    const auto payload = encodePayload(elements, layout);
    if (!payload) {
        v.host().message("错误", "不能复制所选的图形。\n" + chineseReason(payload.error()), Icon::Critical);
        return false;
    }
    const std::string text = elementTexts(elements);
    const QRect area = drawingBounds(elements);
    auto* data = new DrawingMimeData(std::move(elements), area);
    data->setData(elementsType(), QByteArray::fromStdString(*payload));
    if (!text.empty()) data->setText(QString::fromStdString(text));
    QGuiApplication::clipboard()->setMimeData(data);
    return true;
}

void cut(EditorView& v, Layout layout) {
    if (inOpenBox(v, [](auto& box) { box.cut(); })) return;
    if (copySelection(v, layout)) v.perform(deleteCommand);
}

void paste(EditorView& v, Layout layout) {
    if (inOpenBox(v, [](auto& box) { box.paste(); })) return;
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return;
    if (data->hasFormat(elementsType())) {
        const QByteArray bytes = data->data(elementsType());
        const std::string_view payload(bytes.constData(), static_cast<size_t>(bytes.size()));
        v.perform([&](Editor& ed) { pastePayload(ed, payload, layout, v.pastes()); });
    } else if (data->hasText()) {
        const std::string text = data->text().toStdString();
        v.perform([&](Editor& ed) { pasteText(ed, text, v.pastes()); });
    }
}

// The whole chart as pictures and prints show it (nothing selected, no handle),
// without the canvas's frame; an open editor box's text first goes into its label.
void copyChartPicture(EditorView& v) {
    v.perform([](Editor& ed) {
        if (!commitOpenEditors(ed)) return;
        const QSize outer = canvasPixelSize(ed.canvas);
        const QRect client(0, 0, outer.width() - 2 * kCanvasFrame, outer.height() - 2 * kCanvasFrame);
        QGuiApplication::clipboard()->setMimeData(new DrawingMimeData(ed.doc, client));
    });
}

bool canCopy(EditorView& v) { return boxOpen(v) || !copyableSelection(v.editor().doc).empty(); }

}  // namespace

void watchClipboard() {
    [[maybe_unused]] static const bool watching = [] {
        QClipboard* clipboard = QGuiApplication::clipboard();
        const auto look = [clipboard] {
            const QMimeData* m = clipboard->mimeData();
            Offer& offer = clipboardOffer();
            offer.elements = m && m->hasFormat(elementsType());
            offer.text = m && m->hasText() && !m->text().trimmed().isEmpty();
        };
        QObject::connect(clipboard, &QClipboard::dataChanged, clipboard, look);
        look();
        return true;
    }();
}

std::vector<MenuItem> clipboardItems(Layout layout) {
    const auto copy = [layout](EditorView& v) {
        if (!inOpenBox(v, [](auto& box) { box.copy(); })) copySelection(v, layout);
    };
    const auto duplicate = [](EditorView& v) {
        if (!boxOpen(v)) v.perform([](Editor& ed) { duplicateSelection(ed); });
    };
    // 全选 selects the text of an open box, or else every element but the title block.
    const auto selectAll = [](EditorView& v) {
        if (!inOpenBox(v, [](auto& box) { box.selectAll(); })) v.perform(qm::selectAll);
    };
    const auto canSelectAll = [](EditorView& v) { return boxOpen(v) || qm::canSelectAll(v.editor()); };
    const auto canPaste = [](EditorView& v) {
        const Offer& offer = clipboardOffer();
        return offer.text || (offer.elements && !boxOpen(v));
    };
    const auto canDuplicate = [](EditorView& v) { return !boxOpen(v) && !copyableSelection(v.editor().doc).empty(); };
    return {
        {"剪切(&T)", "editCut", QKeySequence(Qt::CTRL | Qt::Key_X), [layout](EditorView& v) { cut(v, layout); }, {}, {},
         canCopy},
        {"复制(&C)", "editCopy", QKeySequence(Qt::CTRL | Qt::Key_C), copy, {}, {}, canCopy},
        {"粘贴(&P)", "editPaste", QKeySequence(Qt::CTRL | Qt::Key_V), [layout](EditorView& v) { paste(v, layout); }, {},
         {}, canPaste},
        {"创建副本(&I)", "editDuplicate", QKeySequence(Qt::CTRL | Qt::Key_D), duplicate, {}, {}, canDuplicate},
        {"全选(&S)", "editSelectAll", QKeySequence(Qt::CTRL | Qt::Key_A), selectAll, {}, {}, canSelectAll},
        {"复制图表为图片(&G)", "editCopyChart", {}, copyChartPicture},
        {nullptr, "noname"},
    };
}

}  // namespace qm
