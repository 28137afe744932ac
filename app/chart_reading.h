// The drawing as assistive technology is told about it, read through the core: for
// each element its kind, its texts, its box and whether it is selected. The core
// announces nothing itself; the accessible canvas reads this.
#pragma once
#include <vector>

#include <QString>
#include <QStringList>

#include "model/chart_elements.h"
#include "model/element_parts.h"

namespace qm {

struct ElementReading {
    ElementRef ref{ElementKind::Shape, 0};
    QString kind;       // 矩形, 椭圆, 菱形, 标签, 竖向标签, 上箭头 ... 折线箭头, 标题栏
    QStringList texts;  // the texts shown, in order; a table row as "caption：value"
    BoxF box;
    bool selected = false;
    // The kind and the texts: "矩形：接收订单 / 录入系统"; the kind alone without texts.
    QString name() const;
    bool operator==(const ElementReading&) const = default;
};

ElementReading readElement(const Document& doc, ElementRef e);
// The same with the selection sorted, as readChart reads every element.
ElementReading readElement(const Document& doc, ElementRef e, const std::vector<ElementRef>& selected);
// Every element in the order chartElements gives them.
std::vector<ElementReading> readChart(const Document& doc);

}  // namespace qm
