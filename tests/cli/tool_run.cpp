#include "tool_run.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include "io/atomic_file.h"

namespace qm::test {

QStringList ToolRun::errLines() const {
    QString text = QString::fromUtf8(err);
    if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
    return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

ToolRun runQmptool(const QStringList& args, const QString& stdoutFile, const QString& program) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The tool must choose its headless platform itself.
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    p.setProcessEnvironment(env);
    if (!stdoutFile.isEmpty()) p.setStandardOutputFile(stdoutFile);
    p.start(program.isEmpty() ? QStringLiteral(QMPTOOL_PATH) : program, args);
    ToolRun run;
    if (!p.waitForStarted(10000)) return run;
    p.closeWriteChannel();
    run.finished = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit;
    run.exitCode = p.exitCode();
    run.out = p.readAllStandardOutput();
    run.err = p.readAllStandardError();
    return run;
}

QString programOutput(const QString& program, const QStringList& args, const QString& home) {
    QProcess p;
    if (!home.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString() << " failed (is it installed?): " << p.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

TempFolder::TempFolder() = default;

std::string TempFolder::path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

QString TempFolder::qpath(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)); }

void TempFolder::write(const std::string& name, const std::string& bytes) const {
    QFile f(qpath(name));
    if (f.open(QIODevice::WriteOnly)) f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string TempFolder::read(const std::string& name) const {
    const Result<std::string> bytes = readWholeFile(path(name));
    return bytes ? *bytes : std::string();
}

bool TempFolder::exists(const std::string& name) const { return QFile::exists(qpath(name)); }

QStringList TempFolder::files() const {
    return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

}  // namespace qm::test
