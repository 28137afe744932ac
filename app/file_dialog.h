// Open and save dialogs with the presets the core asks for: a pre-filled name,
// filter entries written "shown|pattern", and a default extension.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <QString>
#include <QStringList>

#include "model/host.h"

class QWidget;

namespace qm {

// "QMP文件|*.QMP" as Qt writes a name filter: "QMP文件 (*.QMP *.qmp)". The lower-case
// twin of each pattern is added because Linux file names are case-sensitive and
// files written by other programs often carry a lower-case extension.
QString qtNameFilter(std::string_view filter);

// Each entry of a filter of several ("PDF文件|*.pdf|SVG图像|*.svg") as qtNameFilter
// writes it; a filter of one entry gives that one.
QStringList qtNameFilters(std::string_view filter);

// The path with "." + ext appended when its file name has no extension.
QString withDefaultExtension(const QString& path, const QString& ext);

// For a dialog of several file types: the path as it is when its extension is
// one of the types' (in any letter case), otherwise with the chosen type's
// extension appended.
QString withTypeExtension(const QString& path, const QStringList& qtFilters, const QString& chosen);

enum class DialogMode { Open, Save };

// Shows the dialog modally; the chosen path as UTF-8, or nothing when cancelled.
std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogPresets& presets, DialogMode mode);

}  // namespace qm
