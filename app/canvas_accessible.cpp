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
    // Qt makes it as the canvas is shown, whether anyone listens or not: then it
    // is read when first needed.
    readers()[canvas] = this;
    QAccessible::installActivationObserver(this);
    if (QAccessible::isActive()) catchUp();
}

CanvasAccessible::~CanvasAccessible() {
    QAccessible::removeActivationObserver(this);
    readers().erase(canvas());
    children_.forEach([](QAccessible::Id id) { QAccessible::deleteAccessibleInterface(id); });
}

CanvasWidget* CanvasAccessible::canvas() const { return static_cast<CanvasWidget*>(widget()); }

QString CanvasAccessible::text(QAccessible::Text t) const {
    if (t == QAccessible::Name) return QString::fromUtf8("画布");
    if (t == QAccessible::Description) {
        catchUp();
        return QString::fromUtf8("流程图，%1 个元素").arg(shown_.size());
    }
    return QAccessibleWidget::text(t);
}

// As last read, which is after the last event: a screen reader asks about every
// element in turn, and reading the drawing afresh for each would cost the whole
// drawing each time.
ElementReading CanvasAccessible::reading(ElementRef e) const {
    catchUp();
    if (const uint32_t at = at_.get(e)) return shown_[at - 1];
    const Document* doc = canvas()->document();
    return doc ? readElement(*doc, e) : ElementReading{};
}

bool CanvasAccessible::shows(ElementRef e) const {
    catchUp();
    return at_.get(e) != 0;
}

CanvasAccessible::Places CanvasAccessible::placesIn(const std::vector<ElementReading>& reading) {
    Places at;
    for (size_t k = 0; k < reading.size(); ++k) at.at(reading[k].ref) = static_cast<uint32_t>(k + 1);
    return at;
}

std::vector<ElementReading> CanvasAccessible::readNow() const {
    const Document* doc = canvas()->document();
    return doc ? readChart(*doc) : std::vector<ElementReading>{};
}

void CanvasAccessible::catchUp() const {
    if (!behind_) return;
    behind_ = false;
    std::vector<ElementReading> now = readNow();
    Places nowAt = placesIn(now);
    // No one was told of these while they were there, nor needs telling they went.
    for (const ElementReading& was : shown_)
        if (!nowAt.get(was.ref)) forget(was.ref);
    shown_ = std::move(now);
    at_ = std::move(nowAt);
}

// From now on someone listens: what they are told of is the change from the
// drawing as it is now.
void CanvasAccessible::accessibilityActiveChanged(bool active) {
    if (active) catchUp();
}

// The elements first, then the widgets on the canvas (the editor boxes).
int CanvasAccessible::childCount() const {
    catchUp();
    return static_cast<int>(shown_.size()) + QAccessibleWidget::childCount();
}

QAccessibleInterface* CanvasAccessible::child(int index) const {
    catchUp();
    const int n = static_cast<int>(shown_.size());
    if (index < 0) return nullptr;
    return index < n ? elementChild(shown_[static_cast<size_t>(index)].ref) : QAccessibleWidget::child(index - n);
}

int CanvasAccessible::indexOfChild(const QAccessibleInterface* child) const {
    catchUp();
    if (const auto* element = dynamic_cast<const ElementAccessible*>(child); element && element->parent() == this)
        return static_cast<int>(at_.get(element->ref())) - 1;
    const int widgets = QAccessibleWidget::indexOfChild(child);
    return widgets < 0 ? -1 : widgets + static_cast<int>(shown_.size());
}

QAccessibleInterface* CanvasAccessible::childAt(int x, int y) const {
    if (QAccessibleInterface* w = QAccessibleWidget::childAt(x, y)) return w;
    catchUp();
    // The topmost: the last in the list whose box holds the point.
    for (auto it = shown_.rbegin(); it != shown_.rend(); ++it) {
        QAccessibleInterface* c = elementChild(it->ref);
        if (c->rect().contains(x, y)) return c;
    }
    return nullptr;
}

QAccessibleInterface* CanvasAccessible::focusChild() const {
    if (!canvas()->hasFocus()) return nullptr;
    catchUp();
    for (const ElementReading& r : shown_)
        if (r.selected) return elementChild(r.ref);
    return nullptr;
}

QAccessibleInterface* CanvasAccessible::elementChild(ElementRef e) const {
    QAccessible::Id& id = children_.at(e);
    if (!id) id = QAccessible::registerAccessibleInterface(new ElementAccessible(const_cast<CanvasAccessible*>(this), e));
    return QAccessible::accessibleInterface(id);
}

void CanvasAccessible::forget(ElementRef e) const {
    if (const QAccessible::Id id = children_.get(e)) {
        QAccessible::deleteAccessibleInterface(id);
        children_.at(e) = 0;
    }
}

void CanvasAccessible::announceChanges() {
    if (!QAccessible::isActive()) {
        behind_ = true;
        return;
    }
    std::vector<ElementReading> now = readNow();
    behind_ = false;
    if (now == shown_) return;
    Places nowAt = placesIn(now);
    // Gone: announced while the child can still be asked about, then let go.
    for (const ElementReading& was : shown_) {
        if (nowAt.get(was.ref)) continue;
        QAccessibleEvent gone(elementChild(was.ref), QAccessible::ObjectDestroyed);
        QAccessible::updateAccessibility(&gone);
        forget(was.ref);
    }
    const std::vector<ElementReading> before = std::exchange(shown_, std::move(now));
    const Places beforeAt = std::exchange(at_, std::move(nowAt));
    // The focus goes to one element, the first newly selected, as focusChild() says.
    bool focusTold = false;
    for (const ElementReading& is : shown_) {
        const uint32_t found = beforeAt.get(is.ref);
        if (!found) {
            QAccessibleEvent added(elementChild(is.ref), QAccessible::ObjectCreated);
            QAccessible::updateAccessibility(&added);
            continue;
        }
        const ElementReading& was = before[found - 1];
        if (was.kind != is.kind || was.texts != is.texts) {
            QAccessibleEvent renamed(elementChild(is.ref), QAccessible::NameChanged);
            QAccessible::updateAccessibility(&renamed);
        }
        if (was.selected != is.selected) {
            QAccessibleInterface* child = elementChild(is.ref);
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
