// The toolbar and application icons, drawn for this program with QPainter. Each
// icon paints itself at whatever pixel size it is asked for, so it stays sharp at
// every size and device pixel ratio.
#pragma once
#include <QIcon>

namespace qm {

// Arrow is the reduced editor's plain "箭头" button (a polyline arrow of its own).
enum class ToolIcon {
    Rectangle, Diamond, Ellipse,
    LeftArrow, RightArrow, UpArrow, DownArrow, PolylineArrow,
    Label, VerticalLabel,
    New, Open, Save,
    Arrow,
};

QIcon toolbarIcon(ToolIcon which);

// The window and desktop icon; the same drawing as packaging/desktop/quillmap.svg.
QIcon applicationIcon();

}  // namespace qm
