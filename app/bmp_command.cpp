#include "app/bmp_command.h"

#include "app/export_command.h"

namespace qm {

bool saveAsBmpCommand(Editor& ed, CanvasWidget& canvas) {
    return savePictureAs(ed, canvas, {"未命名.BMP", "BMP图片|*.BMP", "BMP"}, 1);
}

}  // namespace qm
