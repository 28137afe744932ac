#include "render/fonts.h"

#include <cmath>
#include <map>
#include <string>
#include <utility>

#include <QFontDatabase>
#include <QStringList>

namespace qm {
namespace {

enum class Kind { Serif, Sans };

// Preferred faces, best first. The last entries exist on every machine we set up
// (fonts-wqy-microhei) or on most desktops; Qt's own fallback covers the rest.
QStringList candidates(Kind kind) {
    if (kind == Kind::Sans)
        return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Source Han Sans SC"),
                QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
                QStringLiteral("Droid Sans Fallback")};
    return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
            QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("WenQuanYi Zen Hei"),
            QStringLiteral("Droid Sans Fallback")};
}

// Names Windows documents use for sans-serif CJK faces; everything else is treated
// like the default "宋体".
bool isSansName(const QString& name) {
    static const QStringList sans = {
        QStringLiteral("黑体"), QStringLiteral("SimHei"), QStringLiteral("微软雅黑"),
        QStringLiteral("Microsoft YaHei"), QStringLiteral("幼圆"), QStringLiteral("等线")};
    return sans.contains(name, Qt::CaseInsensitive);
}

QString firstInstalled(const QStringList& names) {
    const QStringList installed = QFontDatabase::families();
    for (const QString& n : names)
        if (installed.contains(n, Qt::CaseInsensitive)) return n;
    return {};
}

}  // namespace

int fontPixelSize(float points) {
    const long px = std::lround(static_cast<double>(points) * 20.0 / 15.0);
    return px < 1 ? 1 : static_cast<int>(px);
}

QString resolveFamily(std::string_view documentName) {
    static std::map<std::string, QString, std::less<>> cache;
    if (auto it = cache.find(documentName); it != cache.end()) return it->second;

    const QString name = QString::fromUtf8(documentName.data(), static_cast<qsizetype>(documentName.size()));
    QString family;
    if (!name.isEmpty() && QFontDatabase::families().contains(name, Qt::CaseInsensitive)) family = name;
    if (family.isEmpty()) family = firstInstalled(candidates(isSansName(name) ? Kind::Sans : Kind::Serif));
    if (family.isEmpty()) family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    cache.emplace(std::string(documentName), family);
    return family;
}

const QFont& labelFont(std::string_view documentName, float points) {
    // Painting looks a font up for every label, so the QFont objects are kept.
    static std::map<std::pair<std::string, int>, QFont, std::less<>> cache;
    const int px = fontPixelSize(points);
    auto key = std::make_pair(std::string(documentName), px);
    if (auto it = cache.find(key); it != cache.end()) return it->second;

    const QString family = resolveFamily(documentName);
    QFont font(family);
    // A family without CJK glyphs (a Latin face named by a document) still shows
    // Chinese captions with a CJK face rather than Qt's arbitrary fallback.
    QStringList families{family};
    for (const QString& c : candidates(Kind::Sans))
        if (c != family) families << c;
    font.setFamilies(families);
    font.setPixelSize(px);
    return cache.emplace(std::move(key), font).first->second;
}

}  // namespace qm
