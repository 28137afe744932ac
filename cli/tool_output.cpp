#include "cli/tool_output.h"

#include <cstdio>

#include <QGuiApplication>

namespace qm::cli {
namespace {

// Qt's notes about its surroundings (no XDG_RUNTIME_DIR on a server, for one)
// say nothing about the user's documents; only its errors are worth a line.
void qtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) printError("Qt: " + message.toStdString());
}

}  // namespace

std::string oneLine(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

void printError(const std::string& message) { std::fprintf(stderr, "qmptool: %s\n", oneLine(message).c_str()); }

Gui::Gui(char* program) : argv_{program, nullptr} {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(qtMessage);
    if (!QCoreApplication::instance()) app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

Gui::~Gui() = default;

}  // namespace qm::cli
