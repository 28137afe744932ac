// The "内容(&C)" command: opens the help text ReadMe.txt in a viewer outside the
// program without waiting for it, or, when no viewer starts, in a read-only
// window of the program, so that help is never out of reach.
#pragma once
#include <QString>

class QDialog;
class QWidget;

namespace qm {

class Host;

// ReadMe.txt as an absolute path: from the current folder first, then beside the
// program, then in the installed data folder (../share/quillmap from the program).
// Empty when none of them has it.
QString findHelpFile();

// Starts the viewer on the help file; when it is not found the viewer is still
// given "ReadMe.txt" and reports the missing file itself. When no viewer starts,
// the help window over `parent` shows the file; only a file that is missing or
// unreadable as well is told about in a message. The drawing is never touched.
void showHelpContents(Host& host, QWidget* parent);

// The read-only help window with the file's text, shown and not modal, so that
// the help stays open beside the drawing; the one already open over `parent` is
// raised instead of opening another. Null when the file cannot be read.
QDialog* showHelpWindow(const QString& path, QWidget* parent);

}  // namespace qm
