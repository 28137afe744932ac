// Opening, saving and drawing the largest document the limits allow, against
// what the disk does with a file of the same size. Figures are per operation;
// the editor's budget for anything done between two frames is 16.7 ms.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include "cli/document_file.h"
#include "edit/clipboard.h"
#include "edit/file_commands.h"
#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "io/atomic_file.h"
#include "io/document_io.h"
#include "large_document.h"
#include "model/null_host.h"
#include "model/text_metrics_cache.h"
#include "render/canvas_painter.h"
#include "render/document_painter.h"
#include "render/paint_cache.h"
#include "render/picture_encoders.h"
#include "render/print_layout.h"
#include "render/qt_text_metrics.h"

namespace qm {
namespace {

struct Largest {
    QTemporaryDir dir;
    NullHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    std::string path, bytes;
    Largest() {
        startUp(ed);
        bench::fillToTheLimits(ed);
        path = dir.filePath(QStringLiteral("largest.QMP")).toStdString();
        bytes = encodeDocument(ed.doc, Layout::Quillmap).value();
        if (!writeDocument(path, ed.doc)) std::abort();
    }
};

Largest& largest() {
    static Largest l;
    return l;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(largest().bytes.size()));
    state.counters["file_bytes"] = static_cast<double>(largest().bytes.size());
}

// The file from the page cache: what every open pays before parsing.
void BM_ReadRawBytes(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(readWholeFile(largest().path));
    setBytes(state);
}
BENCHMARK(BM_ReadRawBytes)->Unit(benchmark::kMillisecond);

// Parsing, checking and building the drawing, labels measured with Qt.
void BM_DecodeDocument(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(decodeDocument(largest().bytes, Layout::Quillmap, largest().metrics));
    setBytes(state);
}
BENCHMARK(BM_DecodeDocument)->Unit(benchmark::kMillisecond);

// The editor's Open: the file read and decoded.
void BM_ReadDocument(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(readDocument(largest().path, largest().metrics));
    setBytes(state);
}
BENCHMARK(BM_ReadDocument)->Unit(benchmark::kMillisecond);

// What qmptool check does: everything but measuring the labels.
void BM_CheckDocument(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(cli::checkDocument(largest().bytes, Layout::Quillmap));
    setBytes(state);
}
BENCHMARK(BM_CheckDocument)->Unit(benchmark::kMillisecond);

void BM_EncodeDocument(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(encodeDocument(largest().ed.doc, Layout::Quillmap));
    setBytes(state);
}
BENCHMARK(BM_EncodeDocument)->Unit(benchmark::kMillisecond);

// The editor's Save: encoded, written beside the target, flushed to the disk, renamed.
void BM_WriteDocument(benchmark::State& state) {
    for (auto _ : state)
        if (!writeDocument(largest().path, largest().ed.doc)) state.SkipWithError("write failed");
    setBytes(state);
}
BENCHMARK(BM_WriteDocument)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same bytes through the same atomic path: the part of a save the disk decides.
void BM_WriteRawBytesAtomically(benchmark::State& state) {
    for (auto _ : state)
        if (!writeFileAtomically(largest().path, largest().bytes)) state.SkipWithError("write failed");
    setBytes(state);
}
BENCHMARK(BM_WriteRawBytesAtomically)->Unit(benchmark::kMillisecond)->UseRealTime();

// One write and fsync of the bytes into an open file: the disk alone.
void BM_WriteRawBytesFsync(benchmark::State& state) {
    const std::string path = largest().path + ".raw";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    for (auto _ : state) {
        const std::string& b = largest().bytes;
        if (::pwrite(fd, b.data(), b.size(), 0) != static_cast<ssize_t>(b.size()) || ::fsync(fd) != 0)
            state.SkipWithError("write failed");
    }
    ::close(fd);
    ::unlink(path.c_str());
    setBytes(state);
}
BENCHMARK(BM_WriteRawBytesFsync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The editor's Open of the largest file up to its first frame on the canvas: the
// file read and decoded, labels measured as the editor measures them, the drawing
// put in place of the new one shown before and its history started, the history
// settled as after every command, the canvas's layer brought in line with the
// drawing and the canvas painted, at device pixel ratios 1 and 2.
void BM_OpenToFirstFrame(benchmark::State& state) {
    const qreal dpr = static_cast<qreal>(state.range(0));
    const QSize client(957, 637);  // the canvas's client area in logical pixels
    const PaintOptions options = defaultPaintOptions();
    const std::string& path = largest().path;  // the file written before timing starts
    for (auto _ : state) {
        state.PauseTiming();
        {
            QtTextMetrics qt;
            CachedTextMetrics metrics(qt);  // as the editor holds them, nothing measured yet
            NullHost host;
            Editor ed(host, metrics);
            startUp(ed);
            startHistory(ed, Layout::Quillmap);
            QImage canvas(client * dpr, QImage::Format_RGB32);
            canvas.setDevicePixelRatio(dpr);
            PaintCache cache;
            const std::vector<PartRef> moving;
            const auto show = [&](const QRegion& dirty) {
                QPainter p(&canvas);
                p.setClipRegion(dirty);
                cache.paint(p, ed.doc, moving, client, dpr, QRectF(dirty.boundingRect()), options);
            };
            show(cache.catchUp(ed.doc, moving, client, options));
            state.ResumeTiming();
            if (!openDocumentPath(ed, Layout::Quillmap, clearDocument, path))
                state.SkipWithError("the file did not open");
            settle(ed);
            show(cache.catchUp(ed.doc, moving, client, options));
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenToFirstFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The one painting routine over the whole canvas, no widget.
void BM_PaintDocument(benchmark::State& state) {
    QImage image(961, 641, QImage::Format_RGB32);
    const PaintOptions options = defaultPaintOptions();
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter p(&image);
        paintDocument(p, largest().ed.doc, options);
    }
}
BENCHMARK(BM_PaintDocument)->Unit(benchmark::kMillisecond);

// The canvas picture as the BMP and PNG exports and `qmptool render` take it.
void BM_RenderCanvas(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    const Editor& ed = largest().ed;
    for (auto _ : state) benchmark::DoNotOptimize(canvasPictureImage(&ed.doc, canvasPixelSize(ed.canvas), scale));
}
BENCHMARK(BM_RenderCanvas)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_EncodePicture(benchmark::State& state) {
    const auto format = static_cast<PictureFormat>(state.range(0));
    const Editor& ed = largest().ed;
    for (auto _ : state)
        benchmark::DoNotOptimize(encodePicture(ed.doc, canvasPixelSize(ed.canvas), format, 1));
}
BENCHMARK(BM_EncodePicture)
    ->Arg(static_cast<int>(PictureFormat::Bmp))
    ->Arg(static_cast<int>(PictureFormat::Png))
    ->Arg(static_cast<int>(PictureFormat::Svg))
    ->Arg(static_cast<int>(PictureFormat::Pdf))
    ->Unit(benchmark::kMillisecond);

// What another program asks of a copy of 100 rectangles with their texts and
// arrows, made when it asks: the PNG at twice the pixels, and the SVG.
void BM_CopiedElementsPicture(benchmark::State& state) {
    NullHost host;
    QtTextMetrics metrics;
    Editor ed{host, metrics};
    startUp(ed);
    const Document copied = extractElements(ed.doc, bench::drawChart(ed, 100));
    const auto format = static_cast<PictureFormat>(state.range(0));
    const int scale = format == PictureFormat::Png ? 2 : 1;
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeDrawingPicture(copied, drawingBounds(copied), format, scale, "Quillmap"));
}
BENCHMARK(BM_CopiedElementsPicture)
    ->Arg(static_cast<int>(PictureFormat::Png))
    ->Arg(static_cast<int>(PictureFormat::Svg))
    ->Unit(benchmark::kMillisecond);

// The page Print sends to an A4 printer, as a PDF.
void BM_PrintA4Pdf(benchmark::State& state) {
    const Editor& ed = largest().ed;
    for (auto _ : state)
        benchmark::DoNotOptimize(printedPdf(ed.doc, canvasPixelSize(ed.canvas), printPageLayout()));
}
BENCHMARK(BM_PrintA4Pdf)->Unit(benchmark::kMillisecond);

// A drawing with one caption of 64 KiB in a 72-point font, word-wrapped at a width
// of one twip: a line for every character. Arg 0: Latin letters, one long word;
// arg 1: Chinese characters.
struct LongCaption {
    QTemporaryDir dir;
    NullHost host;
    QtTextMetrics metrics;
    std::string path;
    explicit LongCaption(bool chinese) {
        Editor ed{host, metrics};
        startUp(ed);
        const int i = ++ed.doc.labelCount;
        ed.doc.Label.create(i);
        LabelEl& l = *ed.doc.Label.find(i);
        l.left = l.top = 600;
        l.visible = true;
        l.fontSize = 72;
        l.wordWrap = true;
        l.width = 1;
        l.caption.clear();
        while (l.caption.size() < 65535 - 3) l.caption += chinese ? "流" : "x";
        path = dir.filePath(QStringLiteral("long caption.QMP")).toStdString();
        // Written raw: the label's height is the file's business, not this setup's.
        if (!writeDocument(path, ed.doc)) std::abort();
    }
};

LongCaption& longCaption(bool chinese) {
    static LongCaption latin(false), han(true);
    return chinese ? han : latin;
}

// What qmptool and the editors do first: read the file and measure its labels.
void BM_OpenLongWrappedCaption(benchmark::State& state) {
    LongCaption& doc = longCaption(state.range(0) != 0);
    for (auto _ : state) {
        auto opened = cli::openDocumentFile(doc.path, doc.metrics);
        if (!opened) state.SkipWithError(opened.error().message.c_str());
    }
}
BENCHMARK(BM_OpenLongWrappedCaption)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// qmptool render after the open: the canvas painted and written as PNG.
void BM_RenderLongWrappedCaption(benchmark::State& state) {
    LongCaption& doc = longCaption(state.range(0) != 0);
    auto opened = cli::openDocumentFile(doc.path, doc.metrics);
    if (!opened) {
        state.SkipWithError(opened.error().message.c_str());
        return;
    }
    const Editor& ed = (*opened)->ed;
    for (auto _ : state)
        benchmark::DoNotOptimize(encodePicture(ed.doc, canvasPixelSize(ed.canvas), PictureFormat::Png, 1));
}
BENCHMARK(BM_RenderLongWrappedCaption)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qm
