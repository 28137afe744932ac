#include "model/editor.h"

#include <utility>

namespace qm {

void replaceDocument(Editor& ed, Document&& next, const std::string& path) {
    Document& cur = ed.doc;
    next.Label.templ() = cur.Label.templ();
    next.spHandle = std::move(cur.spHandle);
    next.orthoDraw = cur.orthoDraw;
    next.headerTag = cur.headerTag;
    next.fileVersion = cur.fileVersion;
    next.selKind = SelKind::None;
    next.fileName = path;
    next.setModified(false);
    cur = std::move(next);
    ed.capture = {};
    ed.drag = {};
    ed.guides = {};
}

}  // namespace qm
