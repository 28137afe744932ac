// The faces labels are drawn and measured with. Documents name fonts the way the
// program writes them ("宋体", "黑体"); this is the one place that turns such a
// name and a point size into the QFont both the painter and the metrics use.
#pragma once
#include <string_view>

#include <QFont>
#include <QString>

namespace qm {

// Logical pixels for a point size on the canvas: 20 twips per point, 15 twips per
// pixel, so 9 pt is 12 px whatever DPI the screen claims.
int fontPixelSize(float points);

// The installed family that stands in for a document's font name: the name itself
// when such a family is installed, otherwise a CJK face of the same kind (serif for
// "宋体" and unknown names, sans for "黑体").
QString resolveFamily(std::string_view documentName);

// The font a label with this font name and point size is drawn and measured with.
// Cached; needs a QGuiApplication.
const QFont& labelFont(std::string_view documentName, float points);

}  // namespace qm
