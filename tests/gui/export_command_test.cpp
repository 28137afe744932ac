// The "导出" command and printing failures: what the export asks, the pictures
// and drawings it writes, what it leaves alone, and how a write
// or a print that fails is told.
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

#include "app/canvas_widget.h"
#include "app/export_command.h"
#include "app/print_commands.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "interact/pointer.h"
#include "interact/selection.h"
#include "model/sel_kind.h"
#include "model/title_block.h"
#include "render/canvas_painter.h"
#include "app/batch_export.h"
#include "render/qt_text_metrics.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

// quillmap's start with a selected rectangle, a file name and no changes.
struct Fixture {
    test::FakeHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    CanvasWidget canvas;
    QTemporaryDir dir;

    Fixture() {
        startUp(ed);
        canvas.resize(961, 641);
        canvas.setDocument(&ed.doc);
        insertShape(ed, ShapeStyle::Rectangle);
        test::drop(ed, 1000, 1000);
        ed.doc.modified = 0;
        ed.doc.fileName = path("图.QMP");
    }
    ~Fixture() { canvas.setDocument(nullptr); }
    std::string path(const char* name) const { return dir.filePath(QString::fromUtf8(name)).toStdString(); }
    QByteArray read(const char* name) const {
        QFile f(dir.filePath(QString::fromUtf8(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

}  // namespace

class TestPictureExport : public QObject {
    Q_OBJECT
private slots:
    void writesPdfSvgAndPngAndLeavesTheDocumentAlone() {
        Fixture f;
        QCOMPARE(f.ed.doc.selKind, SelKind::Shape);
        for (const char* name : {"图.pdf", "图.SVG", "图.png", "图.odg", "图.FODG", "图.drawio"})
            f.host.dialogResults.push_back(f.path(name));
        for (int k = 0; k < 6; ++k) QVERIFY(exportCommand(f.ed, f.canvas));

        QCOMPARE(f.host.dialogs.size(), size_t(6));
        QCOMPARE(f.host.dialogs[0].fileName, std::string("图.pdf"));  // the drawing's name, as Print proposes
        QCOMPARE(f.host.dialogs[0].filter,
                 std::string("PDF文件|*.pdf|SVG图像|*.svg|PNG图像|*.png|OpenDocument绘图|*.odg|"
                             "OpenDocument绘图(单个XML文件)|*.fodg|draw.io图表|*.drawio"));
        QCOMPARE(f.host.dialogs[0].defaultExt, std::string("pdf"));
        QVERIFY(f.host.asked.empty());
        QCOMPARE(f.ed.doc.selKind, SelKind::Shape);  // the selection stays
        QCOMPARE(f.ed.doc.modified, int16_t(0));
        QCOMPARE(f.ed.doc.fileName, f.path("图.QMP"));

        // Titled with the file's name, never its folder: in PDF as UTF-16 text.
        const QByteArray pdf = f.read("图.pdf");
        QVERIFY(pdf.startsWith("%PDF-"));
        QVERIFY(pdf.contains("/Title (\xFE\xFF" + QByteArray("\x56\xFE\x00.\x00Q\x00M\x00P", 10) + ")"));
        const QByteArray svg = f.read("图.SVG");
        QVERIFY(svg.contains("<svg"));
        QVERIFY(svg.contains("<title>图.QMP</title>"));
        QVERIFY(svg.contains("单击这里添加标题"));
        // Twice the drawing's pixels, drawn at that density: the chart without the
        // window's frame at scale 2, as it is with nothing selected, not as the
        // canvas shows it.
        const QImage png = QImage::fromData(f.read("图.png"), "PNG").convertToFormat(QImage::Format_RGB32);
        QCOMPARE(png.size(), QSize(1914, 1274));
        QCOMPARE(png, drawingPictureImage(&f.ed.doc, QSize(961, 641), 2));
        Editor plain{f.host, f.metrics};
        plain.doc = f.ed.doc;
        clearSelection(plain);
        const QImage inFrame = canvasPictureImage(&plain.doc, QSize(961, 641), 2, CanvasLook::Editing);
        QCOMPARE(png, inFrame.copy(4, 4, 1914, 1274));
        QVERIFY(png != canvasPictureImage(&f.ed.doc, QSize(961, 641), 2, CanvasLook::Editing).copy(4, 4, 1914, 1274));

        // Drawings by the name's extension: the package's stored mimetype first.
        QVERIFY(f.read("图.odg").startsWith("PK"));
        QCOMPARE(f.read("图.odg").mid(30, 51), QByteArray("mimetypeapplication/vnd.oasis.opendocument.graphics"));
        QVERIFY(f.read("图.FODG").contains("<office:document "));
        QVERIFY(f.read("图.drawio").contains("<mxfile "));
        QVERIFY(f.read("图.drawio").contains("单击这里添加标题"));
        // 批量导出 writes the same drawings under the extensions it names.
        QStringList exts;
        for (const BatchExportFormat& format : batchExportFormats()) exts << QString::fromUtf8(format.ext);
        QCOMPARE(exts.join(u' '), QStringLiteral("pdf png svg pdf bmp odg fodg drawio"));
        for (const BatchExportFormat& format : batchExportFormats()) {
            const Result<std::string> bytes = format.draw(f.ed);
            QVERIFY2(bytes && !bytes->empty(), format.ext);
            const QByteArray alone = f.read((std::string("图.") + format.ext).c_str());
            if (std::string(format.ext) == "odg") QCOMPARE(QByteArray::fromStdString(*bytes).mid(30, 51), alone.mid(30, 51));
            if (std::string(format.ext) == "drawio") QCOMPARE(QByteArray::fromStdString(*bytes), alone);
        }
    }

    void aCharacterXmlCannotHoldIsReplacedAndTold() {
        Fixture f;
        // A control character, and a byte that is no UTF-8.
        f.ed.doc.Label.find(kTitleLabel)->caption = "流程\x01图\xFF";
        f.host.dialogResults.push_back(f.path("图.drawio"));
        QVERIFY(exportCommand(f.ed, f.canvas));
        QVERIFY(f.read("图.drawio").contains("流程\xEF\xBF\xBD图\xEF\xBF\xBD\""));
        QCOMPARE(f.host.asked.size(), size_t(1));
        QCOMPARE(f.host.asked[0].title, std::string("导出"));
        QVERIFY2(f.host.asked[0].text.find("2 个字符") != std::string::npos, f.host.asked[0].text.c_str());
    }

    void aFailedWriteOrPrintIsToldAndChangesNoFile() {
        Fixture f;
        // A folder where the picture should go: the rename over it fails.
        const QString folder = QString::fromStdString(f.path("旧.pdf"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile(folder + QStringLiteral("/keep.txt")).open(QIODevice::WriteOnly));
        f.host.dialogResults.push_back(folder.toStdString());
        QVERIFY(!exportCommand(f.ed, f.canvas));
        QCOMPARE(f.host.asked.size(), size_t(1));
        QCOMPARE(f.host.asked[0].title, std::string("错误"));
        QCOMPARE(f.host.asked[0].icon, Icon::Critical);
        QVERIFY2(f.host.asked[0].text.find(folder.toStdString()) != std::string::npos, f.host.asked[0].text.c_str());
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("keep.txt")});
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QString::fromUtf8("旧.pdf")});  // no temporary file left over

        const Result<QPagedPaintDevice*> printer = windowPrinter(f.canvas);
        QVERIFY2(printer, printer ? "" : printer.error().message.c_str());
        auto& pdf = dynamic_cast<QPrinter&>(**printer);
        pdf.setOutputFormat(QPrinter::PdfFormat);
        pdf.setOutputFileName(QString::fromStdString(f.path("no such folder/a.pdf")));
        QVERIFY(!printCanvas(f.ed, pdf));
        QCOMPARE(f.host.asked.size(), size_t(2));
        QCOMPARE(f.host.asked[1].title, std::string("错误"));
        QCOMPARE(f.ed.doc.modified, int16_t(0));
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestPictureExport)
#include "export_command_test.moc"
