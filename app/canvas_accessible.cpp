#include "app/canvas_accessible.h"

#include <algorithm>
#include <utility>

#include <QWindow>

#include "app/canvas_widget.h"

namespace qm {
namespace {

// One element of the drawing. It has no QObject of its own: it reads the drawing
// through the canvas's interface whenever it is asked.
class ElementAccessible : public QAccessibleInterface {
public:
    ElementAccessible(CanvasAccessible* canvas, ElementRef e) : canvas_(canvas), ref_(e) {}
    ElementRef ref() const { return ref_; }

    bool isValid() const override { return canvas_ && canvas_->isValid() && canvas_->shows(ref_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return canvas_->window(); }
    QAccessibleInterface* parent() const override { return canvas_; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? canvas_->reading(ref_).name() : QString();
    }

    QRect rect() const override {
        const CanvasWidget* c = canvas_->canvas();
        const BoxF b = canvas_->reading(ref_).box;
        const QRect on = QRectF(c->toWidget(b.left, b.top), c->toWidget(b.right, b.bottom))
                             .normalized()
                             .toAlignedRect();
        return QRect(c->mapToGlobal(on.topLeft()), on.size());
    }

    QAccessible::Role role() const override {
        switch (ref_.kind) {
            case ElementKind::Label: return QAccessible::StaticText;
            case ElementKind::TitleBlock: return QAccessible::Grouping;
            default: return QAccessible::Graphic;
        }
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        s.selectable = s.focusable = true;
        s.selected = canvas_->reading(ref_).selected;
        s.focused = s.selected && canvas_->canvas()->hasFocus();
        return s;
    }

private:
    CanvasAccessible* canvas_;
    ElementRef ref_;
};

// The interfaces made for canvases: made when assistive technology first asks
// about a canvas, and until then there is no one to tell anything.
std::map<const CanvasWidget*, CanvasAccessible*>& readers() {
    static std::map<const CanvasWidget*, CanvasAccessible*> made;
    return made;
}

QAccessibleInterface* canvasFactory(const QString&, QObject* object) {
    if (auto* canvas = qobject_cast<CanvasWidget*>(object)) return new CanvasAccessible(canvas);
    return nullptr;
}

}  // namespace

void installCanvasAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(canvasFactory);
        return true;
    }();
    (void)installed;
}

void announceChanges(CanvasWidget* canvas) {
    const auto it = readers().find(canvas);
    if (it != readers().end()) it->second->announceChanges();
}

CanvasAccessible::CanvasAccessible(CanvasWidget* canvas) : QAccessibleWidget(canvas, QAccessible::Canvas) {
    if (const Document* doc = canvas->document()) show(readChart(*doc));
    readers()[canvas] = this;
}

CanvasAccessible::~CanvasAccessible() {
    readers().erase(canvas());
    for (const auto& [ref, id] : children_) QAccessible::deleteAccessibleInterface(id);
}

CanvasWidget* CanvasAccessible::canvas() const { return static_cast<CanvasWidget*>(widget()); }

QString CanvasAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) return QString::fromUtf8("画布");
    if (t == QAccessible::Description) return QString::fromUtf8("流程图，%1 个元素").arg(shown_.size());
    return QAccessibleWidget::text(t);
}

// As last announced, which is after the last event: a screen reader asks about
// every element in turn, and reading the drawing afresh for each would cost the
// whole drawing each time.
ElementReading CanvasAccessible::reading(ElementRef e) const {
    if (const auto it = at_.find(e); it != at_.end()) return shown_[it->second];
    const Document* doc = canvas()->document();
    return doc ? readElement(*doc, e) : ElementReading{};
}

bool CanvasAccessible::shows(ElementRef e) const { return at_.count(e) != 0; }

void CanvasAccessible::show(std::vector<ElementReading> now) {
    shown_ = std::move(now);
    at_.clear();
    for (size_t k = 0; k < shown_.size(); ++k) at_.emplace(shown_[k].ref, k);
}

// The elements first, then the widgets on the canvas (the editor boxes).
int CanvasAccessible::childCount() const {
    return static_cast<int>(shown_.size()) + QAccessibleWidget::childCount();
}

QAccessibleInterface* CanvasAccessible::child(int index) const {
    const int n = static_cast<int>(shown_.size());
    if (index < 0) return nullptr;
    return index < n ? elementChild(shown_[static_cast<size_t>(index)].ref) : QAccessibleWidget::child(index - n);
}

int CanvasAccessible::indexOfChild(const QAccessibleInterface* child) const {
    if (const auto* element = dynamic_cast<const ElementAccessible*>(child); element && element->parent() == this) {
        const auto it = at_.find(element->ref());
        return it == at_.end() ? -1 : static_cast<int>(it->second);
    }
    const int widgets = QAccessibleWidget::indexOfChild(child);
    return widgets < 0 ? -1 : widgets + static_cast<int>(shown_.size());
}

QAccessibleInterface* CanvasAccessible::childAt(int x, int y) const {
    if (QAccessibleInterface* w = QAccessibleWidget::childAt(x, y)) return w;
    // The topmost: the last in the list whose box holds the point.
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
        QAccessibleInterface* c = elementChild(it->ref);
        if (c->rect().contains(x, y)) return c;
    }
    return nullptr;
}

QAccessibleInterface* CanvasAccessible::focusChild() const {
    for (const ElementReading& r : shown_)
        if (r.selected && canvas()->hasFocus()) return elementChild(r.ref);
    return nullptr;
}

QAccessibleInterface* CanvasAccessible::elementChild(ElementRef e) const {
    auto it = children_.find(e);
    if (it == children_.end()) {
        auto* self = const_cast<CanvasAccessible*>(this);
        it = children_.emplace(e, QAccessible::registerAccessibleInterface(new ElementAccessible(self, e))).first;
    }
    return QAccessible::accessibleInterface(it->second);
}

void CanvasAccessible::forget(ElementRef e) {
    const auto it = children_.find(e);
    if (it == children_.end()) return;
    QAccessible::deleteAccessibleInterface(it->second);
    children_.erase(it);
}

void CanvasAccessible::announceChanges() {
    const Document* doc = canvas()->document();
    std::vector<ElementReading> now = doc ? readChart(*doc) : std::vector<ElementReading>{};
    if (now == shown_) return;
    std::map<ElementRef, size_t> nowAt;
    for (size_t k = 0; k < now.size(); ++k) nowAt.emplace(now[k].ref, k);
    // Gone: announced while the child can still be asked about, then let go.
    for (const ElementReading& was : shown_) {
        if (nowAt.count(was.ref)) continue;
        QAccessibleEvent gone(elementChild(was.ref), QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&gone);
        forget(was.ref);
    }
    const std::vector<ElementReading> before = std::exchange(shown_, std::move(now));
    const std::map<ElementRef, size_t> beforeAt = std::exchange(at_, std::move(nowAt));
    // The focus goes to one element, the first newly selected, as focusChild() says.
    bool focusTold = false;
    for (const ElementReading& is : shown_) {
        const auto found = beforeAt.find(is.ref);
        const ElementReading* was = found == beforeAt.end() ? nullptr : &before[found->second];
        QAccessibleInterface* child = elementChild(is.ref);
        if (!was) {
            QAccessibleEvent added(child, QAccessible::ObjectCreated);
            QAccessible::updateAccessibility(&added);
            continue;
        }
        if (was->name() != is.name()) {
            QAccessibleEvent renamed(child, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
        if (was->selected != is.selected) {
            QAccessible::State changed;
            changed.selected = changed.focused = true;
            QAccessibleStateChangeEvent selection(child, changed);
            QAccessible::updateAccessibility(&selection);
            // Qt's AT-SPI bridge (6.4) passes a state change of `selected` on as
            // nothing; these it passes on as state-changed:selected of the element.
            QAccessibleEvent addOrRemove(child, is.selected ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
            QAccessible::updateAccessibility(&addOrRemove);
            if (is.selected && !focusTold && canvas()->hasFocus()) {
                focusTold = true;
                QAccessibleEvent focus(child, QAccessible::Focus);
                QAccessible::updateAccessibility(&focus);
            }
        }
    }
}

}  // namespace qm
