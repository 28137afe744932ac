#include "app/bmp_command.h"

#include "app/export_command.h"
#include "interact/label_editing.h"
#include "interact/selection.h"

namespace qm {

bool saveAsBmpCommand(Editor& ed, CanvasWidget& canvas) {
    // This command has always cleared the selection before its dialog, and the
    // canvas keeps it cleared; the picture would leave it out either way.
    if (!commitOpenEditors(ed)) return false;
    clearSelection(ed);
    return savePictureAs(ed, canvas, {pictureName(ed.doc, "BMP"), "BMP图片|*.BMP", "BMP"}, 1);
}

}  // namespace qm
