#include "app/compare_window.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QScrollArea>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include "app/canvas_widget.h"
#include "app/editor_view.h"
#include "edit/file_commands.h"
#include "edit/undo.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "io/atomic_file.h"
#include "io/document_io.h"
#include "io/error_text.h"
#include "model/sel_kind.h"
#include "render/canvas_painter.h"
#include "render/change_painter.h"

namespace qm {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

// The size the user last gave the window, for every compare window after it.
QSettings settings() { return QSettings(QStringLiteral("Quillmap"), QStringLiteral("Quillmap")); }
const QString kSizeKey = QStringLiteral("compareWindow/size");

// How the editor selects an element of this kind: a title field as the label
// holding it, the frame as the title block.
ElementKind selectionKind(ChartKind kind) {
    switch (kind) {
        case ChartKind::Rectangle:
        case ChartKind::Ellipse: return ElementKind::Shape;
        case ChartKind::Diamond: return ElementKind::Diamond;
        case ChartKind::Arrow: return ElementKind::Arrow;
        case ChartKind::TitleBlock: return ElementKind::TitleBlock;
        case ChartKind::TitleText:
        case ChartKind::TitleRow:
        case ChartKind::Label:
        case ChartKind::VerticalLabel: return ElementKind::Label;
    }
    return ElementKind::Label;
}

// The other version as quillmap holds drawings, or the reason it cannot be compared.
std::optional<Document> readOtherVersion(Host& host, const std::string& path, const TextMetrics& metrics) {
    const auto refuse = [&](const std::string& why) {
        host.message("错误", "无法与文件“" + path + "”比较。\n" + why, Icon::Critical);
        return std::nullopt;
    };
    Result<std::string> bytes = readWholeFile(path);
    if (!bytes) return refuse(chineseReason(bytes.error()));
    const Layout layout = detectLayout(*bytes);
    Result<Document> read = decodeDocumentFile(std::move(*bytes), layout, metrics);
    if (!read) return refuse(std::string(kFormatErrorMessage) + "\n" + chineseReason(read.error()));
    Version other{std::move(read).value(), layout};
    if (Status st = convertForComparison(other, Layout::Quillmap, metrics, path); !st)
        return refuse(chineseReason(st.error()));
    return std::move(other.doc);
}

}  // namespace

CompareWindow::CompareWindow(EditorView& view, const Document& older, const Document& newer,
                             const std::string& olderPath, QWidget* parent)
    : QWidget(parent, Qt::Window),
      view_(view),
      comparison_(compareDrawings(older, newer)),
      picture_(new QLabel),
      list_(new QListWidget) {
    setObjectName(QStringLiteral("compareWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    const QString name = QFileInfo(q(olderPath)).fileName();
    setWindowTitle(QStringLiteral("比较 - ") + name);

    const QSize size = canvasPixelSize(view.editor().canvas);
    const qreal dpr = devicePixelRatioF();
    QImage image = paintedImage([&](QPainter& p) { paintChangePicture(p, older, newer, comparison_, size); }, size,
                                qCeil(dpr));
    image.setDevicePixelRatio(qCeil(dpr));
    picture_->setPixmap(QPixmap::fromImage(image));
    auto* scroll = new QScrollArea;
    scroll->setWidget(picture_);

    for (const Change& c : comparison_.changes)
        list_->addItem(q(describeChange(comparison_, c, kChineseWords)));
    // A row is chosen when it is selected, by a click or the arrow keys; the list
    // taking the focus only makes its first row current, which chooses nothing.
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        const QList<QListWidgetItem*> chosen = list_->selectedItems();
        if (!chosen.isEmpty()) choose(list_->row(chosen.front()));
    });

    auto* summary = new QLabel(comparison_.same()
                                   ? QStringLiteral("当前图形与“%1”相同。").arg(name)
                                   : QStringLiteral("当前图形与“%1”相比有 %2 处改动：").arg(name).arg(comparison_.changes.size()));
    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(summary);
    lowerLayout->addWidget(list_);
    auto* split = new QSplitter(Qt::Vertical);
    split->addWidget(scroll);
    split->addWidget(lower);
    split->setStretchFactor(0, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split);
    // The whole picture and the list where the screen has room; never more than
    // nine tenths of the screen the editor is on (a laptop's, or any at scale 2).
    QSize wanted = settings().value(kSizeKey).toSize();
    if (!wanted.isValid()) wanted = QSize(size.width() + 40, size.height() + 240);
    const QScreen* on = parent ? parent->screen() : screen();
    const QRect room = on->availableGeometry();
    resize(wanted.boundedTo(room.size() * 0.9));
    // The list a third of a small window at most: the picture is what is looked at.
    const int lowerHeight = std::min(200, height() / 3);
    split->setSizes({std::max(height() - lowerHeight, size.height() + 2 * scroll->frameWidth()), lowerHeight});
    move(room.center() - rect().center());
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
    list_->setFocus();  // the arrow keys walk through the changes at once
    // The open drawing's elements are those it was compared with, until it changes.
    Editor& ed = view.editor();
    if (ed.history) {
        if (Result<Checkpoint> encoded = ed.history->coder.encode(newer)) {
            presentAt_ = std::move(encoded).value();
            present_ = comparison_.newer;
        }
    }
}

void CompareWindow::closeEvent(QCloseEvent* event) {
    settings().setValue(kSizeKey, size());
    QWidget::closeEvent(event);
}

void CompareWindow::choose(int row) {
    if (row < 0 || static_cast<size_t>(row) >= comparison_.changes.size()) return;
    const Change& c = comparison_.changes[static_cast<size_t>(row)];
    if (c.after < 0) return;  // deleted: not in the open drawing
    const ChartElement& e = comparison_.newer[static_cast<size_t>(c.after)];
    view_.perform([this, &e](Editor& ed) {
        // The drawing may have changed since it was compared. Listing its elements
        // afresh costs a large drawing far more than a step may take, so the list
        // is kept for as long as the drawing's checkpoint stays the same.
        std::optional<Checkpoint> now;
        if (ed.history) {
            if (Result<Checkpoint> encoded = ed.history->coder.encode(ed.doc)) now = std::move(encoded).value();
        }
        if (!now || !presentAt_ || !(*now == *presentAt_)) {
            present_ = comparedElements(ed.doc);
            presentAt_ = std::move(now);
        }
        if (std::any_of(present_.begin(), present_.end(),
                        [&e](const ChartElement& there) { return there.kind == e.kind && there.index == e.index; }))
            selectElement(ed, selectionKind(e.kind), e.index);
    });
}

void compareCommand(EditorView& view) {
    Editor& ed = view.editor();
    const std::optional<std::string> path = ed.host.openFileDialog(documentDialogPresets(ed.doc));
    if (!path) return;
    const std::optional<Document> older = readOtherVersion(ed.host, *path, ed.metrics);
    if (!older) return;
    auto* window = new CompareWindow(view, *older, ed.doc, *path, view.canvas()->window());
    window->show();
}

}  // namespace qm
