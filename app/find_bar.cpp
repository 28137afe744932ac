#include "app/find_bar.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "app/canvas_widget.h"
#include "app/editor_view.h"
#include "edit/undo.h"
#include "interact/selection.h"

namespace qm {
namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// The longest caption a file holds is 65,535 bytes; as many characters as half
// that stays within it in any character the code page has in two bytes.
constexpr int kLongestPattern = 32767;

}  // namespace

FindBar::FindBar(EditorView& view, QWidget* parent) : QWidget(parent), view_(view) {
    setObjectName(QStringLiteral("findBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    const auto labelFor = [this, row](const char* text, QLineEdit* field) {
        auto* label = new QLabel(u(text), this);
        label->setBuddy(field);
        row->addWidget(label);
        row->addWidget(field, 1);
        return label;
    };
    find_ = new QLineEdit(this);
    find_->setObjectName(QStringLiteral("findPattern"));
    find_->setMaxLength(kLongestPattern);
    labelFor("查找(&N):", find_);
    count_ = new QLabel(this);
    count_->setObjectName(QStringLiteral("findCount"));
    count_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000/00000")));
    row->addWidget(count_);
    matchCase_ = new QCheckBox(u("区分大小写(&C)"), this);
    matchCase_->setObjectName(QStringLiteral("findMatchCase"));
    row->addWidget(matchCase_);
    with_ = new QLineEdit(this);
    with_->setObjectName(QStringLiteral("replaceWith"));
    with_->setMaxLength(kLongestPattern);
    withLabel_ = labelFor("替换为(&W):", with_);
    replace_ = new QPushButton(u("替换(&R)"), this);
    replace_->setObjectName(QStringLiteral("replaceOne"));
    replaceAll_ = new QPushButton(u("全部替换(&A)"), this);
    replaceAll_->setObjectName(QStringLiteral("replaceAll"));
    row->addWidget(replace_);
    row->addWidget(replaceAll_);
    auto* shut = new QToolButton(this);
    shut->setObjectName(QStringLiteral("findClose"));
    shut->setText(u("×"));
    shut->setToolTip(u("关闭"));
    shut->setAccessibleName(u("关闭查找"));
    row->addWidget(shut);
    // Tab goes from the pattern to the replacement, then on through the bar.
    setTabOrder(find_, with_);
    setTabOrder(with_, matchCase_);

    connect(find_, &QLineEdit::textChanged, this, [this] {
        current_ = -1;
        search();
        showCurrent();
    });
    connect(matchCase_, &QCheckBox::toggled, this, [this] {
        current_ = -1;
        search();
        showCurrent();
    });
    connect(replace_, &QPushButton::clicked, this, &FindBar::replaceOne);
    connect(replaceAll_, &QPushButton::clicked, this, &FindBar::replaceEvery);
    connect(shut, &QToolButton::clicked, this, &FindBar::close);
    find_->installEventFilter(this);
    with_->installEventFilter(this);
    // The drawing may change under an open bar: the count follows it once the
    // editor rests, not at every pointer move of a drag, on a drawing of tens of
    // thousands of texts.
    connect(&view_, &EditorView::refreshed, this, [this] {
        if (isVisible() && atRest(view_.editor())) search();
    });
    updateButtons();
    hide();
}

void FindBar::open(bool replacing) {
    for (QWidget* w : std::initializer_list<QWidget*>{withLabel_, with_, replace_, replaceAll_}) w->setVisible(replacing);
    show();
    find_->setFocus(Qt::ShortcutFocusReason);
    find_->selectAll();
    search();
}

void FindBar::close() {
    hide();
    view_.canvas()->setFocus(Qt::OtherFocusReason);
}

TextPattern FindBar::pattern() const {
    return TextPattern(find_->text().toStdString(), {.matchCase = matchCase_->isChecked()});
}

void FindBar::search() {
    const TextHit was = current_ >= 0 && current_ < static_cast<int>(hits_.size()) ? hits_[current_] : TextHit{};
    hits_ = findInChart(view_.editor().doc, pattern());
    const auto at = std::find(hits_.begin(), hits_.end(), was);
    current_ = at == hits_.end() ? (current_ >= 0 && !hits_.empty() ? 0 : -1) : static_cast<int>(at - hits_.begin());
    count_->setText(countText());
    updateButtons();
}

QString FindBar::countText() const {
    return QStringLiteral("%1/%2").arg(current_ < 0 ? 0 : current_ + 1).arg(hits_.size());
}

void FindBar::step(int by) {
    search();
    if (hits_.empty()) return;
    const int n = static_cast<int>(hits_.size());
    current_ = current_ < 0 ? (by > 0 ? 0 : n - 1) : ((current_ + by) % n + n) % n;
    showCurrent();
}

void FindBar::showCurrent() {
    if (current_ < 0 && !hits_.empty()) current_ = 0;
    count_->setText(countText());
    if (current_ < 0) return;
    const ElementText text = hits_[static_cast<size_t>(current_)].text;
    const ElementRef e = text.element;
    view_.perform([e](Editor& ed) { selectElement(ed, e.kind, e.index); });
    view_.showElement(e, text.label);
}

void FindBar::replaceOne() {
    search();
    if (current_ < 0) return;
    const TextHit hit = hits_[static_cast<size_t>(current_)];
    const std::string with = with_->text().toStdString();
    const std::vector<ElementText> order = chartTexts(view_.editor().doc);
    ReplaceOutcome done;
    view_.perform([&](Editor& ed) { done = replaceHit(ed, hit, with); });
    if (!done.refusal.empty()) {
        view_.host().message("提示", done.refusal, Icon::Information);
        return;
    }
    // On to the next hit after the replaced one, in the order the texts had:
    // replacing may lay a text out anew, never move it up or down.
    const auto rank = [&order, &hit, &with](const TextHit& h) {
        const auto text = std::find(order.begin(), order.end(), h.text) - order.begin();
        const bool after = h.text == hit.text && h.match.begin >= hit.match.begin + with.size();
        return std::pair(text, after ? 1 : 0);
    };
    const auto here = rank(hit);
    current_ = -1;
    search();
    for (size_t k = 0; k < hits_.size() && current_ < 0; ++k) {
        const auto r = rank(hits_[k]);
        if (r.first > here.first || (r.first == here.first && r.second == 1)) current_ = static_cast<int>(k);
    }
    if (current_ < 0 && !hits_.empty()) current_ = 0;
    showCurrent();
}

void FindBar::replaceEvery() {
    ReplaceOutcome done;
    view_.perform([&](Editor& ed) { done = replaceAll(ed, pattern(), with_->text().toStdString()); });
    if (!done.refusal.empty()) {
        view_.host().message("提示", "没有替换任何文字。\n" + done.refusal, Icon::Information);
        return;
    }
    current_ = -1;
    search();
    count_->setText(QString::fromUtf8("已替换 %1 个文字").arg(done.texts));
}

void FindBar::updateButtons() {
    const bool any = !find_->text().isEmpty();
    replace_->setEnabled(any && !hits_.empty());
    replaceAll_->setEnabled(any);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool back = key->modifiers() & Qt::ShiftModifier;
    const bool ours = key->key() == Qt::Key_Escape || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (!ours) return QWidget::eventFilter(watched, event);
    // The window's own Esc (backing out of an action on the canvas) must not take
    // the key from the bar.
    if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
    }
    if (key->key() == Qt::Key_Escape)
        close();
    else if (watched == with_ && !back)
        replaceOne();
    else
        step(back ? -1 : 1);
    return true;
}

}  // namespace qm
