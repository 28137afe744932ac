// Running the built qmptool as a user runs it: in a separate process with no
// display and no platform chosen, for its exit status and what it printed; and
// a temporary folder for the files of one test.
#pragma once
#include <string>

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>

namespace qm::test {

struct ToolRun {
    int exitCode = -1;
    bool finished = false;  // false: it crashed or hung
    QByteArray out, err;

    // Standard error as lines, without the last line break.
    QStringList errLines() const;
};

// Standard output goes to `stdoutFile` when given (such as /dev/full); `program`,
// when given, is a copy of the built qmptool elsewhere.
ToolRun runQmptool(const QStringList& args, const QString& stdoutFile = {}, const QString& program = {});

// Standard output of another program (a PDF or SVG reader that is not ours); empty,
// and the test failed, when it did not run or ended with an error. `home`, when
// given, is its HOME, for programs that keep settings there.
QString programOutput(const QString& program, const QStringList& args, const QString& home = {});

class TempFolder {
public:
    TempFolder();
    // A path in the folder, as UTF-8 and as a QString.
    std::string path(const std::string& name) const;
    QString qpath(const std::string& name) const;
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;
    bool exists(const std::string& name) const;
    // Names of the files in the folder.
    QStringList files() const;

private:
    QTemporaryDir dir_;
};

}  // namespace qm::test
