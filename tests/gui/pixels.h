// Reading rendered canvases in the shell tests: colour checks and the box of
// the "ink" (non-white pixels) in a region.
#pragma once
#include <QColor>
#include <QImage>
#include <QRect>

namespace qm::test {

inline QColor at(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

inline bool isWhite(const QColor& c) { return c.red() == 255 && c.green() == 255 && c.blue() == 255; }
inline bool isBlack(const QColor& c) { return c.red() == 0 && c.green() == 0 && c.blue() == 0; }
// Anti-aliased text is grey at its edges; "dark" is what reads as ink.
inline bool isDark(const QColor& c) { return c.lightness() < 160; }

// Bounding box of the non-white pixels in the region; null when there are none.
inline QRect inkBox(const QImage& img, const QRect& region) {
    QRect box;
    const QRect r = region & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (!isWhite(img.pixelColor(x, y))) box |= QRect(x, y, 1, 1);
    return box;
}

inline int countIf(const QImage& img, const QRect& region, bool (*pred)(const QColor&)) {
    int n = 0;
    const QRect r = region & img.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (pred(img.pixelColor(x, y))) ++n;
    return n;
}

}  // namespace qm::test
