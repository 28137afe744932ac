// The canvas to assistive technology (through Qt's accessibility, which reaches
// AT-SPI on Linux): each element of the drawing is a child with a role, a name of
// its kind and texts, its place on the screen, and the selected one selected and
// focused. After each event the canvas announces what changed: elements added and
// removed, texts changed, the selection moved. With no assistive technology active
// (Qt makes the interface for every widget it shows, listened to or not) it reads
// nothing then, and catches up when asked or when one becomes active.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include <QAccessibleWidget>

#include "app/chart_reading.h"

namespace qm {

class CanvasWidget;

class CanvasAccessible : public QAccessibleWidget, private QAccessible::ActivationObserver {
public:
    explicit CanvasAccessible(CanvasWidget* canvas);
    ~CanvasAccessible() override;

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // Reads the drawing again and tells assistive technology what changed; with
    // none active, only notes that the reading is behind the drawing.
    void announceChanges();

    CanvasWidget* canvas() const;
    // The element as it is now; a default reading when the canvas shows no document.
    ElementReading reading(ElementRef e) const;
    // Whether the element is still one of the canvas's children.
    bool shows(ElementRef e) const;

private:
    // A value for each element by its kind and index, 0 for none: the largest
    // chart has tens of thousands, and each change looks every one of them up.
    template <typename T>
    class ByElement {
    public:
        T get(ElementRef e) const {
            const std::vector<T>& v = slots_[static_cast<size_t>(e.kind)];
            const auto i = static_cast<size_t>(e.index);
            return i < v.size() ? v[i] : T{};
        }
        T& at(ElementRef e) {
            std::vector<T>& v = slots_[static_cast<size_t>(e.kind)];
            const auto i = static_cast<size_t>(e.index);
            if (i >= v.size()) v.resize(i + 1, T{});
            return v[i];
        }
        template <typename F>
        void forEach(F f) const {
            for (const std::vector<T>& v : slots_)
                for (const T& value : v)
                    if (value != T{}) f(value);
        }

    private:
        std::array<std::vector<T>, static_cast<size_t>(ElementKind::TitleBlock) + 1> slots_;
    };
    using Places = ByElement<uint32_t>;  // where in a reading, counted from 1
    static Places placesIn(const std::vector<ElementReading>& reading);

    void accessibilityActiveChanged(bool active) override;
    std::vector<ElementReading> readNow() const;
    // Reads the drawing again, telling no one, if it changed while no one listened.
    void catchUp() const;
    QAccessibleInterface* elementChild(ElementRef e) const;
    void forget(ElementRef e) const;

    mutable bool behind_ = true;                 // the drawing changed since shown_ was read
    mutable std::vector<ElementReading> shown_;  // as last read
    mutable Places at_;                          // where each element is in shown_
    mutable ByElement<QAccessible::Id> children_;  // those asked about or announced
};

// Makes Qt create a CanvasAccessible for every canvas. Once is enough.
void installCanvasAccessibility();

// Tells assistive technology what changed in the drawing the canvas shows, once
// it has asked about the canvas; costs nothing before.
void announceChanges(CanvasWidget* canvas);

}  // namespace qm
