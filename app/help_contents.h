// The "内容(&C)" command: opens the help text ReadMe.txt in a viewer outside the
// program without waiting for it, or, when no viewer starts or the one started
// fails, in a read-only window of the program, so that help is never out of reach.
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

// Starts the viewer on the help file. Without a file, without a viewer, or when
// the viewer fails after starting, the help window over `parent` shows the text
// (the file's, or the copy built into the program). The drawing is never touched.
void showHelpContents(Host& host, QWidget* parent);

// The read-only help window with the text of the file at `path`, or with the copy
// built into the program when there is none or it cannot be read; shown and not
// modal, so that the help stays open beside the drawing. The one already open
// over `parent` is raised instead of opening another.
QDialog* showHelpWindow(const QString& path, QWidget* parent);

}  // namespace qm
