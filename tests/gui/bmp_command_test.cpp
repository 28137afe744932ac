// The BMP export: what it asks and in which order, what it leaves alone, and the
// file it writes, read back by a parser of the BMP headers of its own so that Qt's
// reader cannot hide a fault of Qt's writer.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include "app/bmp_command.h"
#include "app/canvas_widget.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "interact/pointer.h"
#include "model/sel_kind.h"
#include "render/picture_encoders.h"
#include "render/qt_text_metrics.h"
#include "unit/support/fakes.h"

namespace qm {
namespace {

// The fake host, also noting what was selected when the dialog came up.
class ExportHost : public test::FakeHost {
public:
    const Document* doc = nullptr;
    int selKindAtDialog = -1;
    std::optional<std::string> saveFileDialog(const FileDialogPresets& presets) override {
        if (doc) selKindAtDialog = int(doc->selKind);
        return FakeHost::saveFileDialog(presets);
    }
};

// quillmap's start: the title block, and a rectangle at (1000, 1000) twips that
// is selected (green outline, handles) when the export begins.
struct Fixture {
    ExportHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    CanvasWidget canvas;
    QTemporaryDir dir;

    Fixture() {
        host.doc = &ed.doc;
        startUp(ed);
        canvas.resize(961, 641);
        canvas.setDocument(&ed.doc);
        insertShape(ed, ShapeStyle::Rectangle);
        test::drop(ed, 1000, 1000);
        canvasPress(ed, 1, 0, 1500, 1500);
        canvasRelease(ed, 1, 0, 1500, 1500);
    }
    ~Fixture() { canvas.setDocument(nullptr); }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
};

// A BMP file as its headers describe it, pixels as top-down RGB.
struct Bmp {
    QString error;
    int width = 0, height = 0, bpp = 0, compression = -1;
    QImage pixels;
};

Bmp parseBmp(const QByteArray& f) {
    Bmp b;
    auto fail = [](QString why) {
        Bmp e;
        e.error = std::move(why);
        return e;
    };
    const auto* d = reinterpret_cast<const uchar*>(f.constData());
    auto u16 = [&](int at) { return qFromLittleEndian<quint16>(d + at); };
    auto u32 = [&](int at) { return qFromLittleEndian<quint32>(d + at); };
    auto s32 = [&](int at) { return qFromLittleEndian<qint32>(d + at); };
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return fail(QStringLiteral("no BM header"));
    if (u32(2) != quint32(f.size())) return fail(QStringLiteral("file size field %1 for %2 bytes").arg(u32(2)).arg(f.size()));
    if (u32(14) < 40) return fail(QStringLiteral("info header of %1 bytes").arg(u32(14)));
    b.width = s32(18);
    b.height = s32(22);
    if (u16(26) != 1) return fail(QStringLiteral("planes %1").arg(u16(26)));
    b.bpp = u16(28);
    b.compression = int(u32(30));
    if (b.bpp != 24 || b.compression != 0 || b.width <= 0 || b.height == 0) return b;
    const bool bottomUp = b.height > 0;
    const int h = qAbs(b.height);
    const qsizetype stride = (qsizetype(b.width) * 3 + 3) / 4 * 4;
    const quint32 offset = u32(10);
    if (offset < 54 || quint64(offset) + quint64(stride) * quint64(h) > quint64(f.size())) {
        b.error = QStringLiteral("pixel rows do not fit");
        return b;
    }
    b.pixels = QImage(b.width, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        const uchar* row = d + offset + stride * (bottomUp ? h - 1 - y : y);
        for (int x = 0; x < b.width; ++x) b.pixels.setPixel(x, y, qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
    return b;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Selection green, handle blue or any other colour on a canvas drawn in black on
// white: the channels of a pixel differ clearly.
bool coloured(QRgb p) {
    const int hi = qMax(qRed(p), qMax(qGreen(p), qBlue(p))), lo = qMin(qRed(p), qMin(qGreen(p), qBlue(p)));
    return hi - lo > 40;
}

int colouredPixels(const QImage& img, QRect region) {
    int n = 0;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x)
            if (coloured(img.pixel(x, y))) ++n;
    return n;
}

bool isBlack(QRgb p) { return qRed(p) == 0 && qGreen(p) == 0 && qBlue(p) == 0; }
bool isWhite(QRgb p) { return qRed(p) == 255 && qGreen(p) == 255 && qBlue(p) == 255; }

}  // namespace

class TestBmpExport : public QObject {
    Q_OBJECT
private slots:
    void cancelledAfterPresetsAndClearingWritesNothing() {
        Fixture f;
        Document& d = f.ed.doc;
        QCOMPARE(d.selKind, SelKind::Shape);
        QVERIFY(test::looksSelected(d, {Part::Shape1, 1}));
        // An editor box left open over label 1.
        d.editLabel = 1;
        f.ed.text1.visible = true;
        f.ed.text1.text = "图号:";
        d.modified = 0;
        d.fileName = "old.QMP";

        QVERIFY(!saveAsBmpCommand(f.ed, f.canvas));
        QCOMPARE(f.host.dialogs.size(), size_t(1));
        QCOMPARE(f.host.dialogs[0].fileName, std::string("old.BMP"));  // the drawing's name, as 导出 proposes
        QCOMPARE(f.host.dialogs[0].filter, std::string("BMP图片|*.BMP"));
        QCOMPARE(f.host.dialogs[0].defaultExt, std::string("BMP"));
        // Cleared before the dialog showed, and stays cleared.
        QCOMPARE(f.host.selKindAtDialog, int(SelKind::None));
        QVERIFY(!test::looksSelected(d, {Part::Shape1, 1}));
        // The open box was written into its label first; that is a change of the
        // drawing, not of the export.
        QVERIFY(!f.ed.text1.visible);
        QCOMPARE(d.Label.find(1)->caption, std::string("图号:"));
        QCOMPARE(d.fileName, std::string("old.QMP"));
        QVERIFY(f.host.asked.empty());
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    void writesTheCanvasWithFrameAsA24BitBitmap() {
        Fixture f;
        Document& d = f.ed.doc;
        // Before the export the canvas shows the selection in colour.
        QVERIFY(colouredPixels(f.canvas.renderImage(), QRect(0, 0, 961, 641)) > 100);
        d.modified = 0;
        d.fileName = "图.QMP";
        const QString target = f.path("流程图.BMP");
        {
            QFile old(target);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("an older picture");
        }
        f.host.dialogResults.push_back(target.toStdString());

        QVERIFY(saveAsBmpCommand(f.ed, f.canvas));
        QVERIFY(f.host.asked.empty());
        QCOMPARE(d.modified, int16_t(0));
        QCOMPARE(d.fileName, std::string("图.QMP"));

        const Bmp bmp = parseBmp(readAll(target));
        QVERIFY2(bmp.error.isEmpty(), qPrintable(bmp.error));
        QCOMPARE(bmp.width, 961);
        QCOMPARE(bmp.height, 641);
        QCOMPARE(bmp.bpp, 24);
        QCOMPARE(bmp.compression, 0);
        const QImage& img = bmp.pixels;

        // The sunken frame is in the picture (dark at the top left, light at the
        // bottom right); the client area inside it is white.
        QVERIFY(!isWhite(img.pixel(0, 0)));
        QVERIFY(!isWhite(img.pixel(1, 320)));
        QVERIFY(!isWhite(img.pixel(959, 639)));
        QVERIFY(isWhite(img.pixel(2, 320)));
        QVERIFY(isWhite(img.pixel(480, 320)));
        // The title block's frame: its left edge at 11500 twips (767 px) and its top
        // at 8000 twips (533 px) of the client area, two pixels in from the frame.
        QVERIFY(isBlack(img.pixel(2 + 767, 2 + 578)));
        QVERIFY(isWhite(img.pixel(2 + 766, 2 + 578)));
        QVERIFY(isBlack(img.pixel(2 + 800, 2 + 533)));
        // The rectangle: 1965 x 1215 twips at (1000, 1000), black now.
        QVERIFY(isBlack(img.pixel(2 + 67, 2 + 100)));
        QVERIFY(isBlack(img.pixel(2 + 100, 2 + 67)));
        QVERIFY(isWhite(img.pixel(2 + 100, 2 + 100)));
        // No green and no handles anywhere.
        QCOMPARE(colouredPixels(img, img.rect()), 0);
        // And exactly what the canvas shows now.
        QCOMPARE(img, f.canvas.renderImage().convertToFormat(QImage::Format_RGB32));
    }

    void aFailedWriteSaysSoAndLeavesTheTargetAlone() {
        Fixture f;
        const QString folder = f.path("图片.BMP");
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(QFile(folder + QStringLiteral("/keep.txt")).open(QIODevice::WriteOnly));
        f.host.dialogResults.push_back(folder.toStdString());
        f.ed.doc.modified = 0;

        QVERIFY(!saveAsBmpCommand(f.ed, f.canvas));
        QCOMPARE(f.host.asked.size(), size_t(1));
        const test::AskCall& m = f.host.asked[0];
        QCOMPARE(m.title, std::string("错误"));
        QCOMPARE(m.icon, Icon::Critical);
        QCOMPARE(m.buttons, Buttons::Ok);
        QVERIFY2(m.text.find(folder.toStdString()) != std::string::npos, m.text.c_str());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("keep.txt")});
        QCOMPARE(QDir(f.dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{QString::fromUtf8("图片.BMP")});  // no temporary file left over
        QCOMPARE(f.ed.doc.modified, int16_t(0));

        // Into a folder that does not exist: the same, and nothing is created.
        f.host.asked.clear();
        f.host.dialogResults.push_back(f.path("no such folder/x.BMP").toStdString());
        QVERIFY(!saveAsBmpCommand(f.ed, f.canvas));
        QCOMPARE(f.host.asked.size(), size_t(1));
        QCOMPARE(f.host.asked[0].title, std::string("错误"));
        QVERIFY(!QFileInfo::exists(f.path("no such folder")));
    }

    void encodesAnyImageAs24BitRowsBottomUp() {
        // An image with a colour table would be written with 1 or 8 bits by Qt;
        // the export wants 24 whatever it is given. Three pixels wide: each row is
        // padded to 12 bytes.
        QImage mono(3, 2, QImage::Format_Mono);
        mono.setColor(0, qRgb(255, 255, 255));
        mono.setColor(1, qRgb(0, 0, 0));
        mono.fill(0);
        mono.setPixel(0, 0, 1);
        mono.setPixel(2, 1, 1);
        Bmp b = parseBmp(encodeBmp24(mono));
        QVERIFY2(b.error.isEmpty(), qPrintable(b.error));
        QCOMPARE(b.bpp, 24);
        QCOMPARE(b.pixels.size(), QSize(3, 2));
        QCOMPARE(b.pixels.pixel(0, 0), qRgb(0, 0, 0));
        QCOMPARE(b.pixels.pixel(1, 0), qRgb(255, 255, 255));
        QCOMPARE(b.pixels.pixel(2, 1), qRgb(0, 0, 0));

        QImage argb(3, 1, QImage::Format_ARGB32);
        argb.setPixel(0, 0, qRgba(255, 0, 0, 255));
        argb.setPixel(1, 0, qRgba(0, 255, 0, 255));
        argb.setPixel(2, 0, qRgba(0, 0, 255, 255));
        b = parseBmp(encodeBmp24(argb));
        QCOMPARE(b.bpp, 24);
        QCOMPARE(b.pixels.pixel(0, 0), qRgb(255, 0, 0));
        QCOMPARE(b.pixels.pixel(1, 0), qRgb(0, 255, 0));
        QCOMPARE(b.pixels.pixel(2, 0), qRgb(0, 0, 255));

        QVERIFY(encodeBmp24(QImage()).isEmpty());
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestBmpExport)
#include "bmp_command_test.moc"
