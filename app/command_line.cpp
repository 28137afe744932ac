#include "app/command_line.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

namespace qm {

const EditorCommandLine kQuillmapCommandLine{
    "quillmap",
    "Quillmap flowchart editor: shapes, labels and arrows on one canvas with a title block,\n"
    "saved as .QMP documents, printed (with a preview), and exported as PDF, SVG and PNG\n"
    "pictures or as a BMP copy of the canvas.",
    true,
    "  quillmap\n"
    "  quillmap 流程图.QMP\n"
    "  quillmap -style Fusion 流程图.QMP\n",
};

const EditorCommandLine kQmpCommandLine{
    "qmp",
    "qmp, the reduced Quillmap editor: shapes, labels and polyline arrows on an empty canvas,\n"
    "saved in its own smaller .QMP layout. Documents are opened from its File menu.",
    false,
    "  qmp\n"
    "  qmp -style Fusion\n",
};

namespace {

constexpr int kExitOk = 0, kExitFailure = 1, kExitUsage = 2;

const char* const kAfterOptions =
    "\n"
    "Qt's own options, such as -platform NAME, -display DISPLAY, -style STYLE and -reverse,\n"
    "are taken as well.\n";

// The options QApplication takes out of argv (QGuiApplication, QApplication and
// the xcb platform, Qt 6.4), with whether the next word is their value. Ours are
// read before Qt has taken them, so this list tells a Qt option from an unknown
// one, and the value of "-style Fusion" from a FILE. Like Qt, "--platform" is
// "-platform".
struct QtOption {
    const char* name;
    bool takesValue;
};
constexpr QtOption kQtOptions[] = {
    {"platform", true}, {"platformpluginpath", true}, {"platformtheme", true}, {"plugin", true},
    {"qwindowgeometry", true}, {"qwindowtitle", true}, {"qwindowicon", true}, {"session", true},
    {"style", true}, {"stylesheet", true}, {"reverse", false}, {"testability", false}, {"widgetcount", false},
    // xcb's: its names for -qwindowgeometry, -qwindowtitle and -qwindowicon, and its own.
    {"geometry", true}, {"title", true}, {"icon", true}, {"display", true}, {"name", true}, {"visual", true},
    {"sync", false}, {"nograb", false}, {"dograb", false},
};
// Qt's options that come as "-name=value".
constexpr const char* kQtValueOptions[] = {"style=", "stylesheet=", "qmljsdebugger="};

// The arguments without Qt's options and their values; "--" ends the options.
QStringList withoutQtOptions(const QStringList& arguments) {
    QStringList kept = arguments.mid(0, 1);  // the program
    for (qsizetype k = 1; k < arguments.size(); ++k) {
        const QString& word = arguments[k];
        if (word == QStringLiteral("--")) return kept << arguments.mid(k);
        const QString name = word.mid(word.startsWith(QStringLiteral("--")) ? 2 : 1);
        const bool option = word.startsWith(QLatin1Char('-'));
        const auto qt = std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                                     [&](const QtOption& o) { return name == QLatin1String(o.name); });
        if (option && qt != std::end(kQtOptions)) {
            if (qt->takesValue) ++k;
        } else if (!option || std::none_of(std::begin(kQtValueOptions), std::end(kQtValueOptions), [&](const char* p) {
                       return name.startsWith(QLatin1String(p));
                   })) {
            kept << word;
        }
    }
    return kept;
}

void configure(QCommandLineParser& parser, const EditorCommandLine& line) {
    // Qt's options are single-dash words; "-foo" is one option, not -f -o -o.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QString::fromUtf8(line.summary));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Displays the version.")});
    if (line.takesFile)
        parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A .QMP document to open at start."),
                                     QStringLiteral("[FILE]"));
}

// Standard output may be a closed pipe or a full disk; an answer that did not
// arrive is no success.
int print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? kExitOk : kExitFailure;
}

QString helpText(const QCommandLineParser& parser, const EditorCommandLine& line) {
    // Qt names the program after the first argument of the running application;
    // a short-lived one with the bare name gives the usage line users type.
    int argc = 1;
    QByteArray name(line.program);
    char* argv[] = {name.data(), nullptr};
    const QCoreApplication named(argc, argv);
    return parser.helpText() + QString::fromUtf8(kAfterOptions) + QStringLiteral("\nExamples:\n") +
           QString::fromUtf8(line.examples) +
           QStringLiteral("\nExit status: 0 when the window was closed, 2 for a wrong command line.\n");
}

// A file name may hold line breaks and terminal escapes; the error must stay one
// line.
QString oneLine(QString text) {
    for (QChar& c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    return text;
}

EditorArguments usageError(const EditorCommandLine& line, const QString& what) {
    const QString program = QString::fromUtf8(line.program);
    std::fprintf(stderr, "%s\n",
                 oneLine(program + QStringLiteral(": ") + what + QStringLiteral("; see ") + program +
                         QStringLiteral(" --help"))
                     .toUtf8()
                     .constData());
    return {kExitUsage, {}};
}

}  // namespace

EditorArguments parseEditorArguments(const EditorCommandLine& line, int argc, char** argv) {
    QStringList arguments;
    for (int k = 0; k < argc; ++k) arguments << QString::fromLocal8Bit(argv[k]);
    QCommandLineParser parser;
    configure(parser, line);
    const bool parsed = parser.parse(withoutQtOptions(arguments));
    // Asked for help, the user gets it whatever else is on the line.
    if (parser.isSet(QStringLiteral("version")))
        return {print(QString::fromUtf8(line.program) + QLatin1Char(' ') + QStringLiteral(QM_VERSION "\n")), {}};
    if (parser.isSet(QStringLiteral("help"))) return {print(helpText(parser, line)), {}};
    if (!parsed) {
        QString error = parser.errorText();
        if (error.endsWith(QLatin1Char('.'))) error.chop(1);
        return usageError(line, error);
    }
    const QStringList files = parser.positionalArguments();
    if (files.isEmpty()) return {};
    if (!line.takesFile)
        return usageError(line, QStringLiteral("takes no FILE, but \"%1\" was named").arg(files.first()));
    if (files.size() > 1)
        return usageError(line, QStringLiteral("opens one FILE, but \"%1\" and \"%2\" were named")
                                    .arg(files.at(0), files.at(1)));
    return {std::nullopt, files.first()};
}

}  // namespace qm
