#include "app/export_command.h"

#include "app/canvas_widget.h"
#include "edit/file_commands.h"
#include "interact/label_editing.h"
#include "io/atomic_file.h"
#include "io/error_text.h"
#include "model/editor.h"
#include "render/canvas_painter.h"
#include "render/editable_exports.h"
#include "render/picture_encoders.h"

namespace qm {

std::string pictureName(const Document& doc, const std::string& extension) {
    std::string name = doc.displayName();
    if (const size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return name + "." + extension;
}

FileDialogPresets exportDialogPresets(const Document& doc) {
    // The first type's extension, as Print proposes its PDF.
    return {pictureName(doc, "pdf"),
            "PDF文件|*.pdf|SVG图像|*.svg|PNG图像|*.png|OpenDocument绘图|*.odg|OpenDocument绘图(单个XML文件)|*.fodg|"
            "draw.io图表|*.drawio",
            "pdf"};
}

namespace {

// A drawing others edit rather than a picture; says so when characters had to
// be changed on the way.
bool saveEditable(Editor& ed, CanvasWidget& canvas, const std::string& path, EditableFormat format) {
    const Result<EditableFile> file = encodeEditable(ed.doc, canvasPixelSize(ed.canvas), format);
    if (!file) {
        ed.host.message("错误", "无法把图表转换为绘图，文件“" + path + "”没有写入。\n" + chineseReason(file.error()),
                        Icon::Critical);
        return false;
    }
    if (const Status st = writeFileAtomically(path, file->bytes); !st) {
        ed.host.message("错误", saveFailureMessage("绘图", path, st.error()), Icon::Critical);
        return false;
    }
    canvas.update();
    if (file->replaced > 0) ed.host.message("导出", "文件“" + path + "”已写入。" + replacedWarning(file->replaced) + "。", Icon::Information);
    return true;
}

}  // namespace

bool savePictureAs(Editor& ed, CanvasWidget& canvas, const FileDialogPresets& presets, int rasterScale) {
    if (!commitOpenEditors(ed)) return false;
    canvas.update();
    std::optional<std::string> path = ed.host.saveFileDialog(presets);
    if (!path) return false;
    if (const auto editable = editableFormatFor(*path)) return saveEditable(ed, canvas, *path, *editable);
    std::optional<PictureFormat> format = pictureFormatFor(*path);
    if (!format) {
        // The dialog adds the extension of the chosen type; a name that still has
        // none of the formats' gets the first type's.
        *path += "." + presets.defaultExt;
        format = pictureFormatFor(*path);
    }
    const Result<std::string> bytes =
        format ? encodePicture(ed.doc, canvasPixelSize(ed.canvas), *format, isRaster(*format) ? rasterScale : 1)
               : Result<std::string>(IoError{"unknown picture format", std::nullopt});
    if (!bytes) {
        ed.host.message("错误", "无法把画布转换为图片，文件“" + *path + "”没有写入。\n" + chineseReason(bytes.error()),
                        Icon::Critical);
        return false;
    }
    if (const Status st = writeFileAtomically(*path, *bytes); !st) {
        ed.host.message("错误", saveFailureMessage("图片", *path, st.error()), Icon::Critical);
        return false;
    }
    return true;
}

bool exportCommand(Editor& ed, CanvasWidget& canvas) {
    return savePictureAs(ed, canvas, exportDialogPresets(ed.doc), 2);
}

}  // namespace qm
