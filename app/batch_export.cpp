#include "app/batch_export.h"

#include <atomic>
#include <memory>

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include "batch/batch_run.h"
#include "batch/chart_inputs.h"
#include "render/canvas_painter.h"
#include "render/editable_exports.h"
#include "render/picture_encoders.h"
#include "render/print_layout.h"

namespace qm {
namespace {

using batch::BatchTally;
using batch::ChartResult;

QString text(const char* utf8) { return QString::fromUtf8(utf8); }
QString text(const std::string& utf8) { return QString::fromStdString(utf8); }

// Characters the drawings for other editors of the run under way could not hold
// (written as U+FFFD), for the summary to tell. Workers of a cancelled run may
// still add to it; it lives as long as they do.
std::atomic<int> replacedInRun{0};

batch::DrawChart editable(EditableFormat format) {
    return [format](const Editor& ed) -> Result<std::string> {
        Result<EditableFile> file = encodeEditable(ed.doc, canvasPixelSize(ed.canvas), format);
        if (!file) return file.error();
        replacedInRun += file->replaced;
        return std::move(file->bytes);
    };
}

batch::DrawChart picture(PictureFormat format, int scale) {
    return
        [format, scale](const Editor& ed) { return encodePicture(ed.doc, canvasPixelSize(ed.canvas), format, scale); };
}

class BatchExportDialog : public QDialog {
public:
    explicit BatchExportDialog(QWidget* parent) : QDialog(parent) {
        setWindowTitle(text("批量导出"));
        setObjectName(QStringLiteral("batchExportDialog"));
        auto* form = new QFormLayout(this);
        source = folderRow(form, "图表文件夹(&C):", "batchSource");
        target = folderRow(form, "目标文件夹(&T):", "batchTarget");
        format = new QComboBox(this);
        format->setObjectName(QStringLiteral("batchFormat"));
        for (const BatchExportFormat& f : batchExportFormats()) format->addItem(text(f.caption));
        auto* formatLabel = new QLabel(text("格式(&G):"), this);
        formatLabel->setBuddy(format);
        form->addRow(formatLabel, format);
        replace = new QCheckBox(text("替换已有的文件(&R)"), this);
        form->addRow(replace);
        auto* buttons = new QDialogButtonBox(this);
        buttons->addButton(text("导出"), QDialogButtonBox::AcceptRole)->setDefault(true);
        buttons->addButton(text("取消"), QDialogButtonBox::RejectRole);
        connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
        connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
        form->addRow(buttons);
        setMinimumWidth(520);
    }

    QLineEdit *source, *target;
    QComboBox* format;
    QCheckBox* replace;

private:
    QLineEdit* folderRow(QFormLayout* form, const char* caption, const char* name) {
        auto* row = new QHBoxLayout;
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        auto* browse = new QPushButton(text("浏览..."), this);
        connect(browse, &QPushButton::clicked, this, [this, edit] {
            const QString dir = QFileDialog::getExistingDirectory(this, text("选择文件夹"), edit->text());
            if (!dir.isEmpty()) edit->setText(dir);
        });
        row->addWidget(edit, 1);
        row->addWidget(browse);
        auto* label = new QLabel(text(caption), this);
        label->setBuddy(edit);
        form->addRow(label, row);
        return edit;
    }
};

QString progressLabel(const BatchTally& t) {
    return text("已完成 %1/%2 个图表，失败 %3 个").arg(t.done).arg(t.total).arg(t.failed);
}

// What was done, what was cancelled, and which charts failed and why.
void showSummary(QWidget* parent, const BatchTally& t, const std::vector<std::string>& failures) {
    const double seconds = std::chrono::duration<double>(t.elapsed).count();
    QString summary = text("共 %1 个图表：导出 %2 个，保留已有的 %3 个，失败 %4 个，用时 %5 秒。")
                          .arg(t.total)
                          .arg(t.written)
                          .arg(t.kept)
                          .arg(t.failed)
                          .arg(seconds, 0, 'f', 1);
    if (t.stopped) summary += text("\n已取消：其余 %1 个图表没有导出。").arg(t.total - t.done);
    if (const int replaced = replacedInRun; replaced > 0)
        summary += text("\n%1").arg(text(replacedWarning(replaced)));
    QStringList lines;
    for (const std::string& f : failures) lines << text(f);
    constexpr qsizetype kShown = 10;
    if (!lines.isEmpty()) {
        summary += text("\n\n失败的图表：\n") + QStringList(lines.mid(0, kShown)).join(QLatin1Char('\n'));
        if (lines.size() > kShown) summary += text("\n……（共 %1 个，见详细信息）").arg(lines.size());
    }
    QMessageBox box(t.failed > 0 ? QMessageBox::Warning : QMessageBox::Information, text("批量导出"), summary,
                    QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("batchExportSummary"));
    if (lines.size() > kShown) box.setDetailedText(lines.join(QLatin1Char('\n')));
    box.exec();
}

void runExport(QWidget* parent, const std::string& source, const batch::OutputTree& tree,
               const BatchExportFormat& format) {
    if (!batch::isFolder(source)) {
        QMessageBox::critical(parent, text("批量导出"), text("找不到图表文件夹“%1”。").arg(text(source)));
        return;
    }
    if (const std::string problem = batch::outputFolderProblem(tree, {source}); !problem.empty()) {
        QMessageBox::critical(parent, text("批量导出"),
                              text("无法导出到“%1”。\n%2").arg(text(tree.dir), text(problem)));
        return;
    }
    // What the workers use, theirs to keep: one stuck on a chart that hangs may
    // outlive this command.
    struct Work {
        batch::ChartInputs found;
        batch::OutputTree tree;
        BatchExportFormat format;
        batch::SharedTextMetrics metrics;
    };
    const auto work = std::make_shared<Work>(Work{batch::findCharts({source}), tree, format, {}});
    replacedInRun = 0;
    std::vector<std::string> failures = work->found.problems;
    const int total = static_cast<int>(work->found.charts.size());
    QProgressDialog progress(text("正在导出..."), text("取消"), 0, total, parent);
    progress.setWindowTitle(text("正在批量导出"));
    progress.setObjectName(QStringLiteral("batchExportProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.setValue(0);
    work->metrics.measure("流程", "宋体", 9, 0);  // Qt's font database on this thread first

    batch::BatchSettings settings;
    settings.progress = [&](const BatchTally& t) {
        // A cancelled dialog is hidden; a new value would show it again while the
        // charts under way finish.
        if (progress.wasCanceled()) return;
        progress.setValue(static_cast<int>(t.done));
        progress.setLabelText(progressLabel(t));
        QCoreApplication::processEvents();
    };
    settings.stop = [&] { return progress.wasCanceled(); };
    settings.name = [&work](size_t k) { return "\"" + work->found.charts[k].path + "\""; };
    const BatchTally tally = batch::runBatch(
        work->found.charts.size(),
        [work](size_t k) {
            const auto deadline = std::chrono::steady_clock::now() + batch::kChartTimeLimit;
            return batch::writeMirrored(
                work->found.charts[k], work->tree, [&work, deadline](const std::string& in, const std::string& out) {
                    return batch::drawChartFile(in, out, work->metrics, work->format.draw, "picture", deadline);
                });
        },
        settings,
        [&](size_t, batch::ChartOutcome& o) {
            if (o.result == ChartResult::Failed) failures.push_back(o.error);
        });
    progress.hide();
    showSummary(parent, tally, failures);
}

}  // namespace

const std::vector<BatchExportFormat>& batchExportFormats() {
    static const std::vector<BatchExportFormat> formats{
        {"PDF（打印的页面）", "pdf",
         [](const Editor& ed) { return printedPdf(ed.doc, canvasPixelSize(ed.canvas), printPageLayout()); }},
        {"PNG图像", "png", picture(PictureFormat::Png, 2)},
        {"SVG图像", "svg", picture(PictureFormat::Svg, 1)},
        {"PDF图像", "pdf", picture(PictureFormat::Pdf, 1)},
        {"BMP图像", "bmp", picture(PictureFormat::Bmp, 1)},
        {"OpenDocument绘图", "odg", editable(EditableFormat::Odg)},
        {"OpenDocument绘图(单个XML文件)", "fodg", editable(EditableFormat::Fodg)},
        {"draw.io图表", "drawio", editable(EditableFormat::Drawio)},
    };
    return formats;
}

void batchExportCommand(QWidget* parent) {
    BatchExportDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return;
    const auto& formats = batchExportFormats();
    const auto chosen = static_cast<size_t>(std::max(0, dialog.format->currentIndex()));
    const batch::OutputTree tree{dialog.target->text().trimmed().toStdString(), formats[chosen].ext,
                                 dialog.replace->isChecked()};
    const std::string source = dialog.source->text().trimmed().toStdString();
    if (source.empty() || tree.dir.empty()) {
        QMessageBox::critical(parent, text("批量导出"), text("请选择图表文件夹和目标文件夹。"));
        return;
    }
    runExport(parent, source, tree, formats[chosen]);
}

}  // namespace qm
