// Writes the largest drawing the limits allow as a quillmap document, for timing
// the command-line tool on it (qmptool_bench.sh); and, when asked, a version of it
// with every element changed, to compare with.
#include <cstdio>

#include <QGuiApplication>

#include "edit/quillmap_commands.h"
#include "io/document_io.h"
#include "large_document.h"
#include "model/null_host.h"
#include "render/qt_text_metrics.h"

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fputs("usage: largest_file OUT.QMP [CHANGED.QMP]\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    qm::NullHost host;
    qm::QtTextMetrics metrics;  // labels sized as the editor sizes them
    qm::Editor ed(host, metrics);
    qm::startUp(ed);
    qm::bench::fillToTheLimits(ed);
    if (!qm::writeDocument(argv[1], ed.doc)) return 1;
    if (argc == 3) {
        qm::bench::changeEveryElement(ed);
        if (!qm::writeDocument(argv[2], ed.doc)) return 1;
    }
    return 0;
}
