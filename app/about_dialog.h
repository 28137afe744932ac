// The About window Form2 of both programs: version, authors, support address and
// the program's date, in a fixed window laid out in twips like the main window.
#pragma once
#include <QString>

class QDialog;
class QWidget;

namespace qm {

// The window, not yet shown; it deletes itself when closed. Its controls carry
// the object names Label1..Label4 and Command1.
QDialog* createAboutWindow(QWidget* parent, const QString& date);

// Shows the About window modally over `parent` and returns when it is closed.
void showAboutWindow(QWidget* parent, const QString& date);

}  // namespace qm
