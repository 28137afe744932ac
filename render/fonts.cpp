#include "render/fonts.h"

#include <cmath>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include <QFontDatabase>
#include <QStringList>
#include <fontconfig/fontconfig.h>

namespace qm {
namespace {

enum class Kind { Serif, Sans };

// Preferred faces, best first. The last entries exist on every machine we set up
// (fonts-wqy-microhei) or on most desktops.
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

// Faces for the Latin letters, digits and signs a CJK face may lack (Droid Sans
// Fallback has none): without them Qt would take its default family, whose face
// the platform picks.
QStringList latinFaces() {
    return {QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans"),
            QStringLiteral("FreeSans")};
}

// What other systems call the same kinds of face, for pictures viewed there.
QStringList elsewhere(Kind kind) {
    if (kind == Kind::Sans)
        return {QStringLiteral("Microsoft YaHei"), QStringLiteral("SimHei"), QStringLiteral("PingFang SC"),
                QStringLiteral("Hiragino Sans GB")};
    return {QStringLiteral("SimSun"), QStringLiteral("Songti SC"), QStringLiteral("STSong")};
}

// Names Windows documents use for sans-serif CJK faces; everything else is treated
// like the default "宋体".
bool isSansName(const QString& name) {
    static const QStringList sans = {
        QStringLiteral("黑体"), QStringLiteral("SimHei"), QStringLiteral("微软雅黑"),
        QStringLiteral("Microsoft YaHei"), QStringLiteral("幼圆"), QStringLiteral("等线")};
    return sans.contains(name, Qt::CaseInsensitive);
}

Kind kindOf(std::string_view documentName) {
    return isSansName(QString::fromUtf8(documentName.data(), static_cast<qsizetype>(documentName.size())))
               ? Kind::Sans
               : Kind::Serif;
}

// Whether a face goes by that family name in any of its languages: Qt's list
// names a face in the locale's language where it has such a name ("文泉驿微米黑"
// under zh_CN). fontconfig's list is asked, which compares names regardless of
// case and spaces; QFontDatabase::hasFamily first runs the name through every
// substitution rule (so that "sans-serif" counts), about 0.1 ms a name, which
// was most of the font work before the first frame. The lists of faces share
// names: each answer is kept, for every thread.
bool installed(const QString& name) {
    static std::mutex lock;
    static std::map<QString, bool> known;
    const std::lock_guard hold(lock);
    auto it = known.find(name);
    if (it == known.end()) {
        const QByteArray utf8 = name.toUtf8();
        FcPattern* pattern = FcPatternCreate();
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
        FcObjectSet* asked = FcObjectSetBuild(FC_FAMILY, nullptr);
        FcFontSet* faces = FcFontList(nullptr, pattern, asked);
        it = known.emplace(name, faces && faces->nfont > 0).first;
        if (faces) FcFontSetDestroy(faces);
        FcObjectSetDestroy(asked);
        FcPatternDestroy(pattern);
    }
    return it->second;
}

QStringList installedOf(const QStringList& names) {
    QStringList found;
    for (const QString& n : names)
        if (installed(n)) found << n;
    return found;
}

QString firstInstalled(const QStringList& names) {
    for (const QString& n : names)
        if (installed(n)) return n;
    return {};
}

}  // namespace

int fontPixelSize(float points) {
    const long px = std::lround(static_cast<double>(points) * 20.0 / 15.0);
    return px < 1 ? 1 : static_cast<int>(px);
}

QString resolveFamily(std::string_view documentName) {
    thread_local std::map<std::string, QString, std::less<>> cache;
    if (auto it = cache.find(documentName); it != cache.end()) return it->second;

    const QString name = QString::fromUtf8(documentName.data(), static_cast<qsizetype>(documentName.size()));
    QString family;
    if (!name.isEmpty() && installed(name)) family = name;
    if (family.isEmpty()) family = firstInstalled(candidates(kindOf(documentName)));
    if (family.isEmpty()) family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    cache.emplace(std::string(documentName), family);
    return family;
}

std::mutex& fontLock() {
    static std::mutex lock;
    return lock;
}

const QFont& labelFont(std::string_view documentName, float points) {
    // Painting looks a font up for every label, so the QFont objects are kept:
    // each thread its own. A QFont caches the font engines of the thread that last
    // used it, and a thread that ends takes them down with it, whatever other
    // thread is drawing with that QFont at the time (a batch's worker that
    // finishes while others still paint).
    thread_local std::map<std::pair<std::string, int>, QFont, std::less<>> cache;
    const int px = fontPixelSize(points);
    auto key = std::make_pair(std::string(documentName), px);
    if (auto it = cache.find(key); it != cache.end()) return it->second;

    const QString family = resolveFamily(documentName);
    QFont font(family);
    static const QStringList faces = installedOf(candidates(Kind::Sans) + latinFaces());
    QStringList families{family};
    for (const QString& f : faces)
        if (f != family) families << f;
    font.setFamilies(families);
    font.setPixelSize(px);
    return cache.emplace(std::move(key), font).first->second;
}

QStringList pictureFontFamilies(std::string_view documentName) {
    const Kind kind = kindOf(documentName);
    QStringList families{resolveFamily(documentName)};
    families << QString::fromUtf8(documentName.data(), static_cast<qsizetype>(documentName.size()));
    families << candidates(kind) << elsewhere(kind);
    families.removeAll(QString());
    families.removeDuplicates();
    families << (kind == Kind::Sans ? QStringLiteral("sans-serif") : QStringLiteral("serif"));
    return families;
}

}  // namespace qm
