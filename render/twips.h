// Twips, the unit every position of the documents and windows is laid out in, as
// the logical pixels of the widgets: 15 twips to a pixel (Qt's scaling does the
// rest on a dense screen).
#pragma once
#include <QRect>

#include "model/editor.h"

namespace qm {

inline int pixels(double twips) { return qRound(twips / kTwipsPerPixel); }

inline QRect pixelRect(double left, double top, double width, double height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

}  // namespace qm
