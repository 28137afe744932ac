// The zoom of the view in the window's status bar: shown as a percentage at all
// times, and typed there (or picked from the levels) to set it.
#pragma once

class QComboBox;
class QWidget;

namespace qm {

class EditorView;

// The field "zoomField", following the view's zoom. A typed percentage, with or
// without "%", sets the zoom (kept within the view's limits) and hands the keys
// back to the canvas; anything else puts the zoom in use back in the field.
QComboBox* createZoomField(EditorView& view, QWidget* parent);

}  // namespace qm
