// Built into the module quillmap_svg.so alone, never into a program.
#include "render/svg_module.h"

#include <QPainter>
#include <QSvgGenerator>

namespace qm {
namespace {

bool paintSvg(QIODevice& out, QSize size, int dpi, const QString& title, const std::function<void(QPainter&)>& paint) {
    QSvgGenerator svg;
    svg.setOutputDevice(&out);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(dpi);
    svg.setTitle(title);
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    paint(painter);
    return painter.end();
}

constexpr SvgModule kTable{paintSvg};

}  // namespace
}  // namespace qm

extern "C" Q_DECL_EXPORT const void* quillmap_module() { return &qm::kTable; }
