// qmptool on many charts at once: folders walked, outputs mirrored into one
// folder, failures reported without stopping the rest, the same bytes whatever the
// number of workers, Ctrl+C leaving only whole files, and find across the texts.
#include <gtest/gtest.h>

#include <signal.h>

#include <future>
#include <thread>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include "batch/batch_run.h"
#include "drawings.h"
#include "io/document_io.h"
#include "tool_run.h"

namespace qm {
namespace {

using test::DrawingEditor;
using test::TempFolder;

// Every file below `dir`, as paths relative to it, sorted.
QStringList filesBelow(const QString& dir) {
    QStringList out;
    for (QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();)
        out << QDir(dir).relativeFilePath(it.next());
    out.sort();
    return out;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// PDF files carry the moment they were made and nothing else that varies.
QByteArray undated(QByteArray pdf) {
    static const QRegularExpression date(QStringLiteral("/CreationDate \\(D:[0-9+\\-Z']*\\)"));
    return QString::fromLatin1(pdf).remove(date).toLatin1();
}

// Two different charts: every kind of element, and the same with a form number
// typed in, full-width digits and letters apart.
struct Charts {
    DrawingEditor plain{Layout::Quillmap}, numbered{Layout::Quillmap};
    Charts() {
        test::drawEveryKind(plain);
        test::drawEveryKind(numbered);
        numbered.type(numbered.doc.shapeRec[1].label2, "表单ABC123号");
    }
};

TEST(Archive, ATreeIsMirroredAndEveryFailureIsOneLineThatStopsNothing) {
    Charts c;
    TempFolder dir;
    const QString in = dir.qpath("档案");
    for (const char* sub : {"档案/2019/财务", "档案/2020", "档案/2021"}) QDir().mkpath(dir.qpath(sub));
    ASSERT_TRUE(writeDocument(dir.path("档案/2019/财务/图1.QMP"), c.plain.doc));
    ASSERT_TRUE(writeDocument(dir.path("档案/2019/b.qmp"), c.numbered.doc));
    ASSERT_TRUE(writeDocument(dir.path("档案/2020/c.Qmp"), c.plain.doc));
    ASSERT_TRUE(writeDocument(dir.path("档案/2021/d.QMP"), c.plain.doc));
    dir.write("档案/2020/damaged.QMP", dir.read("档案/2019/b.qmp").substr(0, 300));
    dir.write("档案/2020/empty.QMP", "");
    dir.write("档案/2020/notes.txt", "not a chart");
    ASSERT_TRUE(QFile::link(QStringLiteral(".."), dir.qpath("档案/2020/loop")));
    // The output of 2021/d.QMP cannot be written: a file stands where its folder goes.
    QDir().mkpath(dir.qpath("pdf"));
    dir.write("pdf/2021", "in the way");
    const QStringList inputs = filesBelow(in);

    const test::ToolRun run = test::runQmptool({QStringLiteral("print"), in, QStringLiteral("-o"), dir.qpath("pdf")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(filesBelow(dir.qpath("pdf")),
              (QStringList{QStringLiteral("2019/b.pdf"), QStringLiteral("2019/财务/图1.pdf"),
                           QStringLiteral("2020/c.pdf"), QStringLiteral("2021")}));
    EXPECT_EQ(filesBelow(in), inputs) << "nothing is written beside the charts";
    const QStringList err = run.errLines();
    ASSERT_EQ(err.size(), 4) << run.err.toStdString();
    EXPECT_TRUE(
        err[0].startsWith(QStringLiteral("qmptool: \"") + in + QStringLiteral("/2020/damaged.QMP\" is not a valid")));
    EXPECT_TRUE(
        err[1].startsWith(QStringLiteral("qmptool: \"") + in + QStringLiteral("/2020/empty.QMP\" is not a valid")));
    EXPECT_TRUE(err[2].startsWith(QStringLiteral("qmptool: ")) && err[2].contains(QStringLiteral("2021/d.pdf")));
    EXPECT_TRUE(err[3].startsWith(QStringLiteral("6 charts: 3 written, 0 kept, 3 failed, "))) << err[3].toStdString();
    EXPECT_TRUE(run.out.isEmpty());

    // Again: what is there is kept, unless forced.
    const test::ToolRun again = test::runQmptool({QStringLiteral("print"), in, QStringLiteral("-o"), dir.qpath("pdf")});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_TRUE(again.errLines().last().startsWith(QStringLiteral("6 charts: 0 written, 3 kept, 3 failed, ")));
    const test::ToolRun forced = test::runQmptool({QStringLiteral("print"), in, QStringLiteral("-o"), dir.qpath("pdf"),
                                                   QStringLiteral("--force"), QStringLiteral("--quiet")});
    EXPECT_EQ(forced.exitCode, 1);
    EXPECT_EQ(forced.errLines().size(), 3) << "--quiet leaves the failures alone";

    // check says the same of each chart on standard output, in the tree's order.
    const test::ToolRun check = test::runQmptool({QStringLiteral("check"), in});
    EXPECT_EQ(check.exitCode, 1);
    const QStringList lines = QString::fromUtf8(check.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines[0].startsWith(in + QStringLiteral("/2019/b.qmp: quillmap: ")));
    EXPECT_TRUE(lines[3].startsWith(in + QStringLiteral("/2020/damaged.QMP: not a valid quillmap document")));
    EXPECT_TRUE(check.errLines().last().startsWith(QStringLiteral("6 charts: 4 valid, 2 failed, ")));

    // An output folder that cannot be made, or one inside the charts, is refused
    // before any chart is read.
    for (const QString& out : {dir.qpath("pdf/2021/x"), in + QStringLiteral("/pdf")}) {
        const test::ToolRun refused = test::runQmptool(
            {QStringLiteral("render"), in, QStringLiteral("-o"), out, QStringLiteral("--to"), QStringLiteral("png")});
        EXPECT_EQ(refused.exitCode, 2) << out.toStdString();
        EXPECT_EQ(refused.errLines().size(), 1) << refused.err.toStdString();
    }
    EXPECT_EQ(filesBelow(in), inputs);
}

TEST(Archive, EachChartIsTheSameBytesAloneAndInABatchOfAnyWorkers) {
    Charts c;
    TempFolder dir;
    QDir().mkpath(dir.qpath("in/sub"));
    for (int k = 0; k < 6; ++k) {
        ASSERT_TRUE(writeDocument(dir.path("in/p" + std::to_string(k) + ".QMP"), c.plain.doc));
        ASSERT_TRUE(writeDocument(dir.path("in/sub/n" + std::to_string(k) + ".qmp"), c.numbered.doc));
    }
    struct Format {
        QString command, ext;
    };
    for (const Format& f : {Format{QStringLiteral("render"), QStringLiteral("png")},
                            Format{QStringLiteral("render"), QStringLiteral("svg")},
                            Format{QStringLiteral("print"), QStringLiteral("pdf")}}) {
        const auto same = [&](const QByteArray& a, const QByteArray& b) {
            return f.ext == QStringLiteral("pdf") ? undated(a) == undated(b) : a == b;
        };
        QByteArray alone[2];
        const QString inputs[2] = {dir.qpath("in/p0.QMP"), dir.qpath("in/sub/n0.qmp")};
        for (int k = 0; k < 2; ++k) {
            const QString out = dir.qpath("alone." + f.ext.toStdString());
            ASSERT_EQ(test::runQmptool({f.command, inputs[k], out}).exitCode, 0);
            alone[k] = bytesOf(out);
            QFile::remove(out);
        }
        ASSERT_NE(alone[0], alone[1]);
        // The file's name is the picture's title, so each chart is compared with
        // itself made alone, and all of them between the numbers of workers.
        QList<QByteArray> batches[2];
        for (int j = 0; j < 2; ++j) {
            const QString jobs = j == 0 ? QStringLiteral("1") : QStringLiteral("4");
            const QString out = dir.qpath((f.ext + jobs).toStdString());
            const test::ToolRun run = test::runQmptool({f.command, dir.qpath("in"), QStringLiteral("-o"), out,
                                                        QStringLiteral("--to"), f.ext, QStringLiteral("-j"), jobs});
            ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
            for (int k = 0; k < 6; ++k) {
                batches[j] << bytesOf(out + QStringLiteral("/p%1.").arg(k) + f.ext)
                           << bytesOf(out + QStringLiteral("/sub/n%1.").arg(k) + f.ext);
            }
            EXPECT_TRUE(same(batches[j][0], alone[0])) << f.ext.toStdString() << " -j " << jobs.toStdString();
            EXPECT_TRUE(same(batches[j][1], alone[1])) << f.ext.toStdString() << " -j " << jobs.toStdString();
        }
        for (qsizetype k = 0; k < batches[0].size(); ++k)
            EXPECT_TRUE(same(batches[0][k], batches[1][k])) << f.ext.toStdString() << " chart " << k;
    }
}

TEST(Archive, CtrlCStopsBetweenChartsLeavingOnlyWholeFilesAndTheSummary) {
    Charts c;
    TempFolder dir;
    QDir().mkpath(dir.qpath("in"));
    const int charts = 400;
    ASSERT_TRUE(writeDocument(dir.path("in/0.QMP"), c.plain.doc));
    for (int k = 1; k < charts; ++k)
        ASSERT_TRUE(QFile::copy(dir.qpath("in/0.QMP"), dir.qpath("in/" + std::to_string(k) + ".QMP")));
    QProcess p;
    p.start(QStringLiteral(QMPTOOL_PATH), {QStringLiteral("print"), dir.qpath("in"), QStringLiteral("-o"),
                                           dir.qpath("out"), QStringLiteral("-j"), QStringLiteral("2")});
    ASSERT_TRUE(p.waitForStarted());
    // Interrupted once some charts are written.
    for (int tries = 0; tries < 600 && filesBelow(dir.qpath("out")).size() < 10; ++tries) QThread::msleep(50);
    ASSERT_GE(filesBelow(dir.qpath("out")).size(), 10);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 130);
    const QStringList written = filesBelow(dir.qpath("out"));
    EXPECT_LT(written.size(), charts);
    for (const QString& name : written) {
        EXPECT_TRUE(name.endsWith(QStringLiteral(".pdf"))) << name.toStdString();
        EXPECT_TRUE(bytesOf(dir.qpath("out/" + name.toStdString())).trimmed().endsWith("%%EOF")) << name.toStdString();
    }
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("%1 charts: %1 written, 0 kept, 0 failed").arg(written.size())) &&
                err.contains(QStringLiteral("(stopped: %1 not started)").arg(charts - written.size())))
        << err.toStdString();
}

TEST(Archive, AChartThatHangsIsReportedAndTheOthersFinish) {
    std::promise<void> gate;
    const std::shared_future<void> open = gate.get_future().share();
    // Without the time limit the batch would wait for this.
    std::thread opener([&gate] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        gate.set_value();
    });
    batch::BatchSettings settings;
    settings.workers = 2;
    settings.timeLimit = std::chrono::milliseconds(300);
    settings.name = [](size_t k) { return "chart" + std::to_string(k); };
    std::vector<batch::ChartOutcome> got;
    const auto start = std::chrono::steady_clock::now();
    const batch::BatchTally t = batch::runBatch(
        6,
        [open](size_t k) {
            if (k == 1) open.wait();  // a disk that hangs
            return batch::ChartOutcome{batch::ChartResult::Written, std::to_string(k), {}};
        },
        settings, [&](size_t, batch::ChartOutcome& o) { got.push_back(o); });
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1500));
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[1].result, batch::ChartResult::Failed);
    EXPECT_EQ(got[1].error, "chart1 took more than 0.3 s and was given up");
    for (size_t k : {0, 2, 3, 4, 5}) EXPECT_EQ(got[k].out, std::to_string(k));
    EXPECT_EQ(t.written, 5u);
    EXPECT_EQ(t.failed, 1u);
    EXPECT_EQ(t.abandoned, 1u);
    opener.join();
}

TEST(Archive, FindMatchesChineseFullWidthAndFoldedCaseLikeGrep) {
    Charts c;
    TempFolder dir;
    QDir().mkpath(dir.qpath("a/b"));
    ASSERT_TRUE(writeDocument(dir.path("a/plain.QMP"), c.plain.doc));
    ASSERT_TRUE(writeDocument(dir.path("a/b/numbered.qmp"), c.numbered.doc));
    const QString a = dir.qpath("a"), plain = a + QStringLiteral("/plain.QMP"),
                  numbered = a + QStringLiteral("/b/numbered.qmp");
    const auto find = [&](QStringList args) {
        return test::runQmptool(QStringList{QStringLiteral("find")} + args + QStringList{a});
    };

    test::ToolRun run = find({QStringLiteral("通过")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(run.out),
              numbered + QStringLiteral(":diamond 1:是否通过?\n") + plain + QStringLiteral(":diamond 1:是否通过?\n"));
    run = find({QStringLiteral("ＡＢＣ１２３")});
    EXPECT_EQ(QString::fromUtf8(run.out), numbered + QStringLiteral(":rectangle 1:表单ABC123号\n"));
    EXPECT_EQ(find({QStringLiteral("abc１２３")}).exitCode, 1) << "case counts without -i";
    run = find({QStringLiteral("-i"), QStringLiteral("ａｂｃ123")});
    EXPECT_EQ(QString::fromUtf8(run.out), numbered + QStringLiteral(":rectangle 1:表单ABC123号\n"));
    run = find({QStringLiteral("-i"), QStringLiteral("step　1")});  // an ideographic space
    EXPECT_EQ(QString::fromUtf8(run.out), plain + QStringLiteral(":rectangle 1:Step 1\n"));

    EXPECT_EQ(QString::fromUtf8(find({QStringLiteral("-l"), QStringLiteral("表单")}).out),
              numbered + QStringLiteral("\n"));
    EXPECT_EQ(QString::fromUtf8(find({QStringLiteral("-c"), QStringLiteral("结束")}).out),
              numbered + QStringLiteral(":1\n") + plain + QStringLiteral(":1\n"));
    run = find({QStringLiteral("--json"), QStringLiteral("\"quoted\"")});
    const QString hit =
        QStringLiteral("{\"file\": \"%1\", \"element\": \"label 17\", \"text\": \"说明: a \\\"quoted\\\" note\"}\n");
    EXPECT_EQ(run.out.toStdString(), (hit.arg(numbered) + hit.arg(plain)).toStdString());

    // An unreadable chart is trouble, reported, and the others are still searched.
    dir.write("a/broken.QMP", "QMP?");
    run = find({QStringLiteral("结束")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.errLines().size(), 1);
    EXPECT_EQ(QString::fromUtf8(run.out).count(QLatin1Char('\n')), 2);
}

}  // namespace
}  // namespace qm
