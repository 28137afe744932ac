// The faces labels are drawn and measured with. Documents name fonts the way the
// program writes them ("宋体", "黑体"); this is the one place that turns such a
// name and a point size into the QFont both the painter and the metrics use.
#pragma once
#include <mutex>
#include <string_view>

#include <QFont>
#include <QString>
#include <QStringList>

namespace qm {

// Logical pixels for a point size on the canvas: 20 twips per point, 15 twips per
// pixel, so 9 pt is 12 px whatever DPI the screen claims.
int fontPixelSize(float points);

// The installed family that stands in for a document's font name: the name itself
// when such a family is installed, otherwise a CJK face of the same kind (serif for
// "宋体" and unknown names, sans for "黑体").
QString resolveFamily(std::string_view documentName);

// The font a label with this font name and point size is drawn and measured with.
// Its families are the resolved one, then every installed face of an ordered list
// (CJK faces, then Latin ones), so that a character its first face lacks comes
// from the same face on every machine with those faces, whatever the locale: Qt
// turns to the platform's fallback, which follows the locale, only past them.
// Cached; needs a QGuiApplication.
const QFont& labelFont(std::string_view documentName, float points);

// Fonts, their engines and the caches of laid-out text are shared by the threads
// that paint one picture together (render/bands.h): whoever looks a font up,
// measures or lays out text, or draws it other than as a stamp, holds this.
std::mutex& fontLock();

// The font-family list a picture file names for a label's text, for programs that
// draw it with the faces they find: the face used here, the document's own name,
// common CJK faces of the same kind, and a generic family last.
QStringList pictureFontFamilies(std::string_view documentName);

}  // namespace qm
