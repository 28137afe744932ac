// Writes an archive of generated charts for timing qmptool on many files
// (archive_bench.sh): COUNT quillmap documents in year and team folders, each a
// few dozen elements with Chinese texts that differ from chart to chart.
#include <cstdio>
#include <filesystem>
#include <string>

#include <QGuiApplication>

#include "edit/quillmap_commands.h"
#include "io/atomic_file.h"
#include "io/document_io.h"
#include "large_document.h"
#include "model/labels.h"
#include "model/null_host.h"
#include "model/relayout.h"
#include "render/qt_text_metrics.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: archive_charts DIR COUNT\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string dir = argv[1];
    const int count = std::stoi(argv[2]);
    static const char* const teams[] = {"财务", "人事", "采购", "生产", "质量"};
    static const char* const steps[] = {"提交申请", "部门审核", "财务复核", "总经理批准", "归档保存", "退回修改"};
    const qm::QtTextMetrics metrics;
    for (int c = 0; c < count; ++c) {
        qm::NullHost host;
        qm::Editor ed(host, metrics);
        qm::startUp(ed);
        qm::bench::drawChart(ed, 14 + c % 8);  // 28 to 42 shapes and arrows, two texts a shape
        qm::Document& doc = ed.doc;
        for (int i = 1; i <= doc.shapeCount; ++i) {
            qm::setCaption(*doc.Label.find(doc.shapeRec[i].label2),
                           std::string(steps[(c + i) % 6]) + " 表" + std::to_string(1000 + (c * 7 + i) % 9000), metrics);
            qm::layoutOwnShapeTexts(doc, i);
        }
        const std::string folder = dir + "/" + std::to_string(2010 + c % 15) + "/" + teams[c % 5];
        std::filesystem::create_directories(qm::pathFromUtf8(folder));
        if (!qm::writeDocument(folder + "/流程图" + std::to_string(c) + ".QMP", doc)) return 1;
    }
    return 0;
}
