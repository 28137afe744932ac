// The "内容(&C)" command: opens the help text ReadMe.txt in a viewer outside the
// program without waiting for it.
#pragma once
#include <QString>

namespace qm {

class Host;

// ReadMe.txt as an absolute path: from the current folder first, then beside the
// program, then in the installed data folder (../share/quillmap from the program).
// Empty when none of them has it.
QString findHelpFile();

// Starts the viewer on the help file; when it is not found the viewer is still
// given "ReadMe.txt" and reports the missing file itself. Tells the user when no
// viewer could be started. The drawing is never touched.
void showHelpContents(Host& host);

}  // namespace qm
