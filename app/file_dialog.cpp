#include "app/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace qm {
namespace {

QString fromUtf8(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

QString qtNameFilter(std::string_view filter) {
    const QString f = fromUtf8(filter);
    const qsizetype bar = f.indexOf(QLatin1Char('|'));
    const QString shown = bar < 0 ? f : f.left(bar);
    const QString patternText = bar < 0 ? f : f.mid(bar + 1);
    QStringList patterns;
    for (const QString& p : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString trimmed = p.trimmed();
        if (trimmed.isEmpty()) continue;
        if (!patterns.contains(trimmed)) patterns << trimmed;
        const QString lower = trimmed.toLower();
        if (!patterns.contains(lower)) patterns << lower;
    }
    if (patterns.isEmpty()) patterns << QStringLiteral("*");
    return shown + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

QString withDefaultExtension(const QString& path, const QString& ext) {
    if (ext.isEmpty() || path.isEmpty()) return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty()) return path;
    if (name.endsWith(QLatin1Char('.'))) return path + ext;
    if (!QFileInfo(name).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + ext;
}

std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogPresets& presets, DialogMode mode) {
    QFileDialog dialog(parent);
    // A desktop's own dialog (GTK's on GNOME) speaks the desktop's language; Qt's
    // speaks Chinese like the rest of the program.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool save = mode == DialogMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilter(qtNameFilter(presets.filter));
    const QString ext = fromUtf8(presets.defaultExt);
    dialog.setDefaultSuffix(ext);
    dialog.setDirectory(QDir::current());
    if (!presets.fileName.empty()) dialog.selectFile(fromUtf8(presets.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;

    // Native dialogs do not all honour the default suffix; make sure of it here. An
    // existing file opened by its full name is taken as it is.
    QString path = chosen.first();
    if (save || !QFileInfo::exists(path)) path = withDefaultExtension(path, ext);
    return path.toStdString();
}

}  // namespace qm
