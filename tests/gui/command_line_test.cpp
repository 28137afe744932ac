// The three programs' command lines as a user meets them: the editors answer
// --help and --version and refuse a wrong command line in one line with status 2,
// all without a display; and each man page says what the program's --help says.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace qm {
namespace {

struct Run {
    int exitCode = -1;
    bool finished = false;  // false: crashed, aborted or hung
    QString out, err;
};

// With no display at all, so that a program which reaches for one aborts.
Run run(const char* program, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QString::fromUtf8(program), args);
    Run r;
    if (!p.waitForStarted(10000)) return r;
    p.closeWriteChannel();
    r.finished = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    if (!r.finished) p.kill();
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString manPage(const QString& name) {
    QFile f(QStringLiteral(QM_MAN_DIR "/") + name + QStringLiteral(".1"));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// The text of a man page section as it reads, without fonts and escapes; one
// string per source line.
QStringList section(const QString& page, const QString& name) {
    QStringList lines;
    bool inside = false;
    for (QString line : page.split(QLatin1Char('\n'))) {
        if (line.startsWith(QStringLiteral(".SH "))) {
            inside = line.mid(4).remove(QLatin1Char('"')) == name;
            continue;
        }
        if (!inside) continue;
        line.remove(QRegularExpression(QStringLiteral("\\\\f[BIRP]")));
        line.replace(QStringLiteral("\\-"), QStringLiteral("-"));
        line.remove(QRegularExpression(QStringLiteral("^\\.(nf|fi|TP|PP|B|I|IR|BR)( |$)")));
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

// The lines of --help from a heading ("Examples:") to the next blank line, trimmed.
QStringList helpBlock(const QString& help, const QString& heading) {
    const QStringList lines = help.split(QLatin1Char('\n'));
    QStringList block;
    for (qsizetype k = lines.indexOf(heading) + 1; k > 0 && k < lines.size() && !lines[k].isEmpty(); ++k)
        block << lines[k].trimmed();
    return block;
}

// The usage lines: "Usage: " and the indented lines under it.
QStringList usage(const QString& help) {
    QStringList lines = help.split(QLatin1Char('\n'));
    QStringList out;
    if (lines.isEmpty() || !lines[0].startsWith(QStringLiteral("Usage: "))) return out;
    out << lines[0].mid(7);
    for (qsizetype k = 1; k < lines.size() && lines[k].startsWith(QLatin1Char(' ')); ++k) out << lines[k].trimmed();
    return out;
}

}  // namespace

class TestCommandLine : public QObject {
    Q_OBJECT
private slots:
    void editorsAnswerHelpAndVersionWithoutADisplay() {
        for (const auto& [program, name] : {std::pair{QUILLMAP_PATH, "quillmap"}, std::pair{QMP_PATH, "qmp"}}) {
            const Run help = run(program, {QStringLiteral("--help")});
            QVERIFY2(help.finished && help.exitCode == 0, qPrintable(help.err));
            QVERIFY(help.out.startsWith(QStringLiteral("Usage: ") + QLatin1String(name) + QStringLiteral(" [options]")));
            QCOMPARE(help.err, QString());
            QCOMPARE(run(program, {QStringLiteral("-h")}).out, help.out);
            if (QLatin1String(name) == QLatin1String("quillmap"))  // what the program does now
                for (const char* does : {"printed", "PDF, SVG and PNG", "BMP"})
                    QVERIFY2(help.out.contains(QLatin1String(does)), does);

            const Run version = run(program, {QStringLiteral("--version")});
            QVERIFY2(version.finished && version.exitCode == 0, qPrintable(version.err));
            QCOMPARE(version.out, QLatin1String(name) + QStringLiteral(" " QM_PROJECT_VERSION "\n"));
            QCOMPARE(run(program, {QStringLiteral("-v")}).out, version.out);
            // Qt's own options before it change nothing.
            QCOMPARE(run(program, {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-v")}).out,
                     version.out);
        }
    }

    // Without a display too: the command line is read before Qt looks for one.
    void aWrongCommandLineIsOneLineAndStatusTwo() {
        const QList<std::pair<const char*, QStringList>> wrong = {
            {QUILLMAP_PATH, {QStringLiteral("--bogus")}},
            {QUILLMAP_PATH, {QStringLiteral("-x"), QStringLiteral("a.QMP")}},
            {QUILLMAP_PATH, {QStringLiteral("a.QMP"), QStringLiteral("b\nc.QMP")}},
            {QMP_PATH, {QStringLiteral("--bogus")}},
            {QMP_PATH, {QStringLiteral("a.QMP")}},
        };
        for (const auto& [program, args] : wrong) {
            const Run r = run(program, args);
            const QString what = QString::fromUtf8(program) + QLatin1Char(' ') + args.join(QLatin1Char(' '));
            QVERIFY2(r.finished, qPrintable(what));
            QCOMPARE(r.exitCode, 2);
            QCOMPARE(r.out, QString());
            QVERIFY2(r.err.endsWith(QLatin1Char('\n')) && r.err.count(QLatin1Char('\n')) == 1, qPrintable(r.err));
            QVERIFY2(r.err.contains(QStringLiteral("--help")), qPrintable(r.err));
        }
        // Qt's own options and their values are passed over; only the unknown one is named.
        Run r = run(QUILLMAP_PATH, {QStringLiteral("-platform"), QStringLiteral("xcb"), QStringLiteral("-reverse"),
                                    QStringLiteral("--bogus")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(QStringLiteral("quillmap: Unknown option 'bogus'")), qPrintable(r.err));
        r = run(QUILLMAP_PATH, {QStringLiteral("--style"), QStringLiteral("Fusion"), QStringLiteral("a.QMP"),
                                QStringLiteral("b.QMP")});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(QStringLiteral("\"a.QMP\" and \"b.QMP\"")), qPrintable(r.err));
        // ... and still reach Qt, which here has no such platform to open.
        r = run(QMP_PATH, {QStringLiteral("-platform"), QStringLiteral("nosuch")});
        QVERIFY(!r.finished || r.exitCode != 2);
        QVERIFY2(r.err.contains(QStringLiteral("\"nosuch\"")), qPrintable(r.err));
    }

    void manPagesSayWhatHelpSays() {
        for (const auto& [program, name] :
             {std::pair{QUILLMAP_PATH, "quillmap"}, std::pair{QMP_PATH, "qmp"}, std::pair{QMPTOOL_PATH, "qmptool"}}) {
            const QString help = run(program, {QStringLiteral("--help")}).out;
            const QString page = manPage(QLatin1String(name));
            QVERIFY2(!help.isEmpty() && !page.isEmpty(), name);
            QCOMPARE(section(page, QStringLiteral("SYNOPSIS")), usage(help));

            const QString text = section(page, QStringLiteral("OPTIONS")).join(QLatin1Char('\n')) + QLatin1Char('\n') +
                                 section(page, QStringLiteral("COMMANDS")).join(QLatin1Char('\n'));
            const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[a-z][a-z-]*"));
            for (const QRegularExpressionMatch& m : option.globalMatch(help)) {
                const QRegularExpression inPage(QStringLiteral("(?<![\\w-])") + QRegularExpression::escape(m.captured()) +
                                                QStringLiteral("(?![\\w-])"));
                QVERIFY2(text.contains(inPage), qPrintable(QLatin1String(name) + QStringLiteral(": ") + m.captured()));
            }

            const QStringList examples = helpBlock(help, QStringLiteral("Examples:"));
            QVERIFY(!examples.isEmpty());
            QCOMPARE(section(page, QStringLiteral("EXAMPLES")), examples);
        }
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestCommandLine)
#include "command_line_test.moc"
