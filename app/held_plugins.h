// Qt's plugins held back while an editor makes its first frame. Its tool bar and
// menu bar read Qt's standard icons (PNG files, which Qt reads itself) as they are
// made, and Qt's first image read loads every image format plugin it finds, the
// SVG one with Qt's SVG library: half a dozen libraries the first frame does not
// need. The platform, its theme and the style are loaded by then.
#pragma once
#include <functional>

namespace qm {

// Qt finds no plugin from now until the returned job runs; the window runs it
// after its first frame. Called after the QApplication is made, before the window.
std::function<void()> holdPlugins();

}  // namespace qm
