// Open and save dialogs with the presets the core asks for: a pre-filled name, one
// filter entry written "shown|pattern", and a default extension.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include <QString>

#include "model/host.h"

class QWidget;

namespace qm {

// "QMP文件|*.QMP" as Qt writes a name filter: "QMP文件 (*.QMP *.qmp)". The lower-case
// twin of each pattern is added because Linux file names are case-sensitive and
// files written by other programs often carry a lower-case extension.
QString qtNameFilter(std::string_view filter);

// The path with "." + ext appended when its file name has no extension.
QString withDefaultExtension(const QString& path, const QString& ext);

enum class DialogMode { Open, Save };

// Shows the dialog modally; the chosen path as UTF-8, or nothing when cancelled.
std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogPresets& presets, DialogMode mode);

}  // namespace qm
