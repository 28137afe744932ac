#include "cli/convert_targets.h"

#include <QString>

#include "cli/document_file.h"

namespace qm::cli {

std::span<const ConvertTarget> convertTargets() {
    static const ConvertTarget targets[] = {
        {"QMP",
         [](const std::string& in, const std::string& out, const TextMetrics& metrics) -> Status {
             if (Result<Layout> done = convertDocumentFile(in, out, metrics); !done) return done.error();
             return {};
         }},
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
