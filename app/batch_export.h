// The menu command "批量导出...": every chart of a folder (and the folders in it)
// exported at once into another folder that mirrors its tree, in one of the
// export formats, by the workers qmptool's batch commands use, behind a progress
// dialog that can be cancelled; a summary with the failures at the end.
#pragma once
#include <string>
#include <vector>

#include "batch/chart_export.h"

class QWidget;

namespace qm {

struct BatchExportFormat {
    const char* caption;  // UTF-8, as the dialog lists it
    const char* ext;
    batch::DrawChart draw;
};

// The page as printed first, then the pictures 导出 and 保存为BMP图像 write, then
// the drawings for other editors.
const std::vector<BatchExportFormat>& batchExportFormats();

void batchExportCommand(QWidget* parent);

}  // namespace qm
