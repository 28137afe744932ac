// The canvas to assistive technology (through Qt's accessibility, which reaches
// AT-SPI on Linux): each element of the drawing is a child with a role, a name of
// its kind and texts, its place on the screen, and the selected one selected and
// focused. After each event the canvas announces what changed: elements added and
// removed, texts changed, the selection moved.
#pragma once
#include <map>
#include <vector>

#include <QAccessibleWidget>

#include "app/chart_reading.h"

namespace qm {

class CanvasWidget;

class CanvasAccessible : public QAccessibleWidget {
public:
    explicit CanvasAccessible(CanvasWidget* canvas);
    ~CanvasAccessible() override;

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // Reads the drawing again and tells assistive technology what changed.
    void announceChanges();

    CanvasWidget* canvas() const;
    // The element as it is now; a default reading when the canvas shows no document.
    ElementReading reading(ElementRef e) const;
    // Whether the element is still one of the canvas's children.
    bool shows(ElementRef e) const;

private:
    QAccessibleInterface* elementChild(ElementRef e) const;
    void forget(ElementRef e);
    void show(std::vector<ElementReading> now);

    std::vector<ElementReading> shown_;  // as last announced
    std::map<ElementRef, size_t> at_;    // where each element is in shown_: the largest chart has thousands
    mutable std::map<ElementRef, QAccessible::Id> children_;
};

// Makes Qt create a CanvasAccessible for every canvas. Once is enough.
void installCanvasAccessibility();

// Tells assistive technology what changed in the drawing the canvas shows, once
// it has asked about the canvas; costs nothing before.
void announceChanges(CanvasWidget* canvas);

}  // namespace qm
