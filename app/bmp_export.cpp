#include "app/bmp_export.h"

#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include <QtEndian>

#include "app/canvas_widget.h"
#include "interact/label_editing.h"
#include "interact/selection.h"
#include "io/atomic_file.h"
#include "model/editor.h"

namespace qm {
namespace {

// The bits per pixel and compression fields of the BITMAPINFOHEADER that
// follows the 14-byte file header.
bool isUncompressed24Bit(const QByteArray& bmp) {
    if (bmp.size() < 54 || !bmp.startsWith("BM")) return false;
    const auto* d = reinterpret_cast<const uchar*>(bmp.constData());
    return qFromLittleEndian<quint16>(d + 28) == 24 && qFromLittleEndian<quint32>(d + 30) == 0;
}

}  // namespace

QByteArray encodeBmp24(const QImage& image) {
    if (image.isNull()) return {};
    // Qt writes 24 bits for every image that has no colour table; RGB888 is such
    // an image and carries no alpha to lose.
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "BMP");
    if (!writer.write(rgb) || !isUncompressed24Bit(bytes)) return {};
    return bytes;
}

bool saveCanvasAsBmp(Editor& ed, CanvasWidget& canvas) {
    if (!commitOpenEditors(ed)) return false;
    // Handles and selection colours belong to the editing, not to the picture.
    clearSelection(ed);
    canvas.update();
    const std::optional<std::string> path = ed.host.saveFileDialog({"未命名.BMP", "BMP图片|*.BMP", "BMP"});
    if (!path) return false;

    // Rendered from the document, not copied from the screen, so nothing that
    // covers the window can get into the picture.
    const QByteArray bytes = encodeBmp24(canvas.renderImage());
    if (bytes.isEmpty()) {
        ed.host.message("错误", "无法把画布转换为BMP图片，文件“" + *path + "”没有写入。", Icon::Critical);
        return false;
    }
    const Status st = writeFileAtomically(*path, std::string_view(bytes.constData(), size_t(bytes.size())));
    if (!st) {
        ed.host.message("错误", "图片“" + *path + "”保存失败，原来的文件保持不变。\n" + st.error().describe(),
                        Icon::Critical);
        return false;
    }
    return true;
}

}  // namespace qm
