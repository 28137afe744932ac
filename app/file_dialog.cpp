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

QStringList qtNameFilters(std::string_view filter) {
    QStringList entries;
    size_t start = 0;
    // Entries are "shown|pattern" pairs, so every second bar ends one.
    for (size_t bar = filter.find('|'); bar != std::string_view::npos; bar = filter.find('|', bar + 1)) {
        const size_t end = filter.find('|', bar + 1);
        if (end == std::string_view::npos) break;
        entries << qtNameFilter(filter.substr(start, end - start));
        start = end + 1;
        bar = end;
    }
    entries << qtNameFilter(filter.substr(start));
    return entries;
}

QString withDefaultExtension(const QString& path, const QString& ext) {
    if (ext.isEmpty() || path.isEmpty()) return path;
    const QString name = QFileInfo(path).fileName();
    if (name.isEmpty()) return path;
    if (name.endsWith(QLatin1Char('.'))) return path + ext;
    if (!QFileInfo(name).suffix().isEmpty()) return path;
    return path + QLatin1Char('.') + ext;
}

namespace {

// The extension of a Qt name filter's first pattern: "svg" for "SVG图像 (*.svg)".
QString filterExtension(const QString& qtFilter) {
    const qsizetype open = qtFilter.lastIndexOf(QLatin1Char('('));
    const QString first = qtFilter.mid(open + 1).section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
    return first.startsWith(QStringLiteral("*.")) ? first.mid(2) : QString();
}

}  // namespace

QString withTypeExtension(const QString& path, const QStringList& qtFilters, const QString& chosen) {
    const QString suffix = QFileInfo(path).suffix();
    for (const QString& f : qtFilters)
        if (!suffix.isEmpty() && suffix.compare(filterExtension(f), Qt::CaseInsensitive) == 0) return path;
    const QString ext = filterExtension(chosen);
    if (ext.isEmpty() || QFileInfo(path).fileName().isEmpty()) return path;
    return path + (path.endsWith(QLatin1Char('.')) ? ext : QLatin1Char('.') + ext);
}

std::optional<std::string> runFileDialog(QWidget* parent, const FileDialogPresets& presets, DialogMode mode) {
    QFileDialog dialog(parent);
    // A desktop's own dialog (GTK's on GNOME) speaks the desktop's language; Qt's
    // speaks Chinese like the rest of the program.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const bool save = mode == DialogMode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtNameFilters(presets.filter);
    dialog.setNameFilters(filters);
    const QString ext = fromUtf8(presets.defaultExt);
    dialog.setDefaultSuffix(ext);
    // Qt appends the default suffix itself (and asks before replacing a file by
    // that name), so it follows the chosen type.
    if (filters.size() > 1)
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& chosen) { dialog.setDefaultSuffix(filterExtension(chosen)); });
    dialog.setDirectory(QDir::current());
    if (!presets.fileName.empty()) dialog.selectFile(fromUtf8(presets.fileName));
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;

    // Native dialogs do not all honour the default suffix; make sure of it here. An
    // existing file opened by its full name is taken as it is. With several types
    // the type chosen last decides, as Qt's dialog renames a typed name when the
    // type changes.
    QString path = chosen.first();
    if (save && filters.size() > 1)
        path = withTypeExtension(path, filters, dialog.selectedNameFilter());
    else if (save || !QFileInfo::exists(path))
        path = withDefaultExtension(path, ext);
    return path.toStdString();
}

}  // namespace qm
