#include "cli/convert_targets.h"

#include <cstdio>

#include <QString>

#include "cli/document_file.h"

namespace qm::cli {

namespace {

// A drawing for another editor; the characters it could not hold are told on
// standard error, in one line of their own, as the single convert tells them.
ConvertChart editable(EditableFormat format) {
    return [format](const std::string& in, const std::string& out, const TextMetrics& metrics) -> Status {
        const Result<int> replaced = convertEditableFile(in, out, format, metrics);
        if (!replaced) return replaced.error();
        if (*replaced > 0) std::fprintf(stderr, "%s\n", (out + ": " + replacedWarning(*replaced)).c_str());
        return {};
    };
}

}  // namespace

std::span<const ConvertTarget> convertTargets() {
    static const ConvertTarget targets[] = {
        {"QMP",
         [](const std::string& in, const std::string& out, const TextMetrics& metrics) -> Status {
             if (Result<Layout> done = convertDocumentFile(in, out, metrics); !done) return done.error();
             return {};
         }},
        {"odg", editable(EditableFormat::Odg)},
        {"fodg", editable(EditableFormat::Fodg)},
        {"drawio", editable(EditableFormat::Drawio)},
    };
    return targets;
}

const ConvertTarget* convertTargetFor(std::string_view ext) {
    const QString wanted = QString::fromUtf8(ext.data(), static_cast<qsizetype>(ext.size()));
    for (const ConvertTarget& t : convertTargets())
        if (wanted.compare(QLatin1String(t.ext), Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

std::string convertTargetNames() {
    std::string names;
    for (const ConvertTarget& t : convertTargets()) names += (names.empty() ? "" : ", ") + std::string(t.ext);
    return names;
}

}  // namespace qm::cli
