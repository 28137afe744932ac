// The SVG pictures' writer, Qt's QSvgGenerator, in the module quillmap_svg.so
// (see modules.h): Qt's SVG library is loaded with it when the first SVG picture
// is made (an export, the clipboard's picture), not when a program starts.
#pragma once
#include <functional>

#include <QSize>
#include <QString>

class QIODevice;
class QPainter;

namespace qm {

inline constexpr const char* kSvgModule = "quillmap_svg.so";

struct SvgModule {
    // Writes to `out` the SVG picture that `paint` paints on `size` logical pixels,
    // `dpi` of them to the inch, titled `title`; false when Qt could not start one.
    bool (*paintSvg)(QIODevice& out, QSize size, int dpi, const QString& title,
                     const std::function<void(QPainter&)>& paint);
};

}  // namespace qm
