// A chart as an OpenDocument drawing (ODF 1.2, as LibreOffice Draw reads it): one
// page, figures with their texts, text frames, arrows as connectors glued to the
// figures' glue points, the title block as one group. The XML parts of the
// package, and the same drawing as one flat XML file (.fodg). No zip here: the
// package is put together beside the picture encoders.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "edit/editable_chart.h"

namespace qm {

// Where the chart lies on the paper: the canvas's top-left corner, and the size
// of one twip there (25.4 / 1440 mm at true size, less when scaled down to fit).
struct OdfPage {
    double widthMm = 297, heightMm = 210;
    double leftMm = 0, topMm = 0;
    double mmPerTwip = 25.4 / 1440;
};

// The installed faces, best first, that stand in for a document's font name.
using FontFamilies = std::function<std::vector<std::string>(std::string_view documentName)>;

// content.xml and styles.xml of the package, or the whole drawing as one .fodg
// file in `content` (styles empty): only one of them is made, since a drawing
// of the largest chart is several times the size of its document.
struct OdfDrawing {
    std::string content, styles;
    int replaced = 0;  // characters XML cannot hold, written as U+FFFD
};

enum class OdfForm { Package, Flat };
OdfDrawing odfDrawing(const EditableChart& chart, const OdfPage& page, const FontFamilies& families, OdfForm form);

// The package's META-INF/manifest.xml and its mimetype.
std::string odfManifest();
inline constexpr std::string_view kOdgMimeType = "application/vnd.oasis.opendocument.graphics";

}  // namespace qm
