#include "cli/tool.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QGuiApplication>
#include <QPageLayout>

#include "batch/chart_inputs.h"
#include "cli/archive_batch.h"
#include "cli/chart_search.h"
#include "cli/convert_targets.h"
#include "cli/diff_report.h"
#include "cli/document_file.h"
#include "cli/json_dump.h"
#include "io/atomic_file.h"
#include "io/codepage.h"
#include "io/qmp_convert.h"
#include "interact/selection.h"
#include "render/canvas_painter.h"
#include "render/change_painter.h"
#include "render/editable_exports.h"
#include "render/picture_encoders.h"
#include "render/print_layout.h"
#include "render/qt_text_metrics.h"

namespace qm::cli {
namespace {

using batch::DrawChart;
using batch::drawChartFile;
using batch::isFolder;

const char* const kUsage =
    "Usage: qmptool check FILE|DIR... [-j N] [--progress] [--quiet]\n"
    "       qmptool dump [--text] FILE\n"
    "       qmptool diff OLD NEW [--json] [-o OUT]\n"
    "       qmptool render FILE OUT [--scale N]\n"
    "       qmptool print FILE OUT.pdf [--paper A4|A3|A5|Letter] [--portrait]\n"
    "       qmptool convert IN OUT\n"
    "       qmptool render|print|convert FILE|DIR... -o DIR [--to EXT] [--force] [-j N] [--progress] [--quiet]\n"
    "       qmptool find [-i] [-l|-c|--json] PATTERN FILE|DIR...\n"
    "       qmptool --help | --version\n"
    "Checks, shows, compares, draws, prints and converts Quillmap flowchart documents (.QMP)\n"
    "without a window.\n"
    "\n"
    "Commands:\n"
    "  check FILE...              one line per file: its layout (quillmap or qmp) and what it\n"
    "                             holds (deleted elements counted apart: \"arrows 3 (1\n"
    "                             deleted)\"), or what is wrong with it and at which byte\n"
    "  dump FILE                  every field of the file as one JSON object, in file order\n"
    "  dump --text FILE           one line per element: kind and index, place and size in\n"
    "                             pixels, captions; the title block first; for line diffs\n"
    "  diff OLD NEW [--json] [-o OUT]\n"
    "                             what changed from OLD to NEW, one line per change, the title\n"
    "                             block first: elements added, deleted, moved, resized, texts\n"
    "                             and arrow points changed; a qmp drawing compared with a\n"
    "                             quillmap one is converted first; -o OUT also writes a\n"
    "                             picture of the change, .png, .svg or .pdf: NEW with added\n"
    "                             elements green, deleted ones red, changed ones orange\n"
    "  render FILE OUT [--scale N]\n"
    "                             draws the document as the editor shows it after opening it;\n"
    "                             OUT's extension picks the format: .bmp .png .svg .pdf;\n"
    "                             --scale N (1 to 8) multiplies the pixels of .bmp and .png\n"
    "  print FILE OUT.pdf [--paper A4|A3|A5|Letter] [--portrait]\n"
    "                             the page the editor's Print sends to that paper (A4\n"
    "                             landscape unless told): the chart at true size, centred,\n"
    "                             or scaled down to fit the page whole\n"
    "  convert IN OUT             writes IN as a quillmap document; a qmp drawing gains a\n"
    "                             title block; OUT must not be IN. OUT's extension picks\n"
    "                             the format: .QMP a document; .odg (.fodg: one XML file)\n"
    "                             an OpenDocument drawing for LibreOffice Draw: the chart\n"
    "                             on an A4 landscape page as print lays it out, shapes\n"
    "                             with their texts, labels as text frames, arrows as\n"
    "                             connectors glued to the shapes their ends lie on (a\n"
    "                             glued polyline may be re-routed there); .drawio a\n"
    "                             draw.io diagram in the chart's pixels, glued arrows\n"
    "                             naming their shapes, every bend kept. In both the title\n"
    "                             block is a group, not a form; characters XML cannot hold\n"
    "                             are written as U+FFFD and counted on standard error\n"
    "  render|print|convert FILE|DIR... -o DIR --to EXT\n"
    "                             many charts at once: folders are searched for *.QMP in\n"
    "                             any letter case, and each chart is written to DIR at its\n"
    "                             place below its input folder with the extension EXT (render:\n"
    "                             png, svg, pdf or bmp; print: pdf; convert: QMP, odg, fodg\n"
    "                             or drawio); existing outputs are kept unless --force; one\n"
    "                             line per failure and a summary at the end; a progress\n"
    "                             line on a terminal\n"
    "  find PATTERN FILE|DIR...   every text of the charts that holds PATTERN, one line\n"
    "                             each: file:element:text; full-width and half-width forms\n"
    "                             match each other; -i ignores letter case; -l lists the\n"
    "                             files, -c counts per file, --json one object per hit\n"
    "\n"
    "Options:\n"
    "  -h, --help                 shows this help\n"
    "  --version                  shows the version\n"
    "  --scale N                  for render: the pixel multiple of .bmp and .png, 1 to 8\n"
    "  --paper A4|A3|A5|Letter    for print: the paper, A4 unless told\n"
    "  --portrait                 for print: the page upright rather than landscape\n"
    "  --text                     for dump: lines of text rather than JSON\n"
    "  --json                     for diff: the changes as one JSON object\n"
    "  -o OUT                     for diff: the picture of the change to write; for render,\n"
    "                             print and convert: the folder of the outputs\n"
    "  --to EXT                   the outputs' extension\n"
    "  --force                    replaces existing outputs rather than keeping them\n"
    "  -j N                       N charts at once (default: one per core)\n"
    "  --progress, --quiet        the progress line even off a terminal; nothing but errors\n"
    "  --                         what follows is a file name, even when it starts with -\n"
    "\n"
    "Examples:\n"
    "  qmptool check *.QMP\n"
    "  qmptool dump 流程图.QMP > 流程图.json\n"
    "  qmptool diff 旧流程图.QMP 流程图.QMP -o 改动.png\n"
    "  qmptool render 流程图.QMP 流程图.png --scale 2\n"
    "  qmptool print 流程图.QMP 流程图.pdf --paper A3\n"
    "  qmptool convert 旧流程图.QMP 新流程图.QMP\n"
    "  qmptool convert 流程图.QMP 流程图.odg\n"
    "  qmptool print 档案 -o 打印件\n"
    "  qmptool find -i 财务 档案\n"
    "\n"
    "Exit status: 0 success, 1 an invalid document or a failed read or write, 2 a wrong command line\n"
    "or an output folder that cannot be written, 130 stopped by Ctrl+C (what was written stays).\n"
    "find, as grep(1): 0 found, 1 nothing found, 2 trouble.\n"
    "diff, as diff(1): 0 the same drawing, 1 different drawings, 2 trouble (a file missing,\n"
    "unreadable or no valid document, a failed write, a wrong command line).\n";

struct Arguments {
    std::string command;
    std::vector<std::string> files;
    std::optional<int> scale;
    std::optional<QPageSize::PageSizeId> paper;
    bool portrait = false;
    bool text = false;  // dump --text
    bool json = false;  // diff --json
    std::optional<std::string> output;  // diff's picture; the output folder of a batch
    std::optional<std::string> to;      // a batch's output extension
    std::optional<int> jobs;
    bool force = false, progress = false, quiet = false;
    bool ignoreCase = false, listFiles = false, countHits = false;  // find -i -l -c
    bool help = false;
    bool version = false;
    std::string wrong;  // what is wrong with the command line, if anything
};

std::optional<QPageSize::PageSizeId> parsePaper(const std::string& name) {
    const QString n = QString::fromStdString(name);
    const std::pair<const char*, QPageSize::PageSizeId> papers[] = {
        {"A4", QPageSize::A4}, {"A3", QPageSize::A3}, {"A5", QPageSize::A5}, {"Letter", QPageSize::Letter}};
    for (const auto& [shown, id] : papers)
        if (n.compare(QLatin1String(shown), Qt::CaseInsensitive) == 0) return id;
    return std::nullopt;
}

std::optional<int> parseScale(const std::string& text) {
    int value = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value < 1 || value > kMaxScale)
        return std::nullopt;
    return value;
}

// The options that take no value, and what each turns on.
const std::pair<const char*, bool Arguments::*> kFlags[] = {
    {"-h", &Arguments::help},         {"--help", &Arguments::help},         {"--version", &Arguments::version},
    {"--portrait", &Arguments::portrait}, {"--text", &Arguments::text},     {"--json", &Arguments::json},
    {"--force", &Arguments::force},   {"--progress", &Arguments::progress}, {"--quiet", &Arguments::quiet},
    {"-i", &Arguments::ignoreCase},   {"-l", &Arguments::listFiles},        {"-c", &Arguments::countHits}};

// Options may stand anywhere after the command; "--" makes the rest file names.
Arguments parse(int argc, char** argv) {
    Arguments a;
    bool options = true;
    for (int k = 1; k < argc && a.wrong.empty(); ++k) {
        const std::string arg = argv[k];
        std::string value;
        // An option with a value, written "NAME VALUE" or NAME + `joiner` + VALUE
        // ("--to=svg", "-j4"). Without its value it is a usage error, `missing`.
        auto valued = [&](const std::string& name, const std::string& joiner, const char* missing) {
            if (!options) return false;
            if (arg == name) {
                if (k + 1 >= argc) a.wrong = missing;
                else value = argv[++k];
                return true;
            }
            const std::string prefix = name + joiner;
            if (arg.size() <= prefix.size() - (joiner.empty() ? 0 : 1) || !arg.starts_with(prefix)) return false;
            value = arg.substr(prefix.size());
            return true;
        };
        bool Arguments::*flag = nullptr;
        if (options)
            for (const auto& [name, member] : kFlags)
                if (arg == name) flag = member;
        if (flag) {
            a.*flag = true;
        } else if (options && arg == "--") {
            options = false;
        } else if (valued("--scale", "=", "--scale needs a number")) {
            if (!a.wrong.empty()) break;
            a.scale = parseScale(value);
            if (!a.scale)
                a.wrong = "--scale needs a whole number from 1 to " + std::to_string(kMaxScale) + ", not \"" + value + "\"";
        } else if (valued("--paper", "=", "--paper needs A4, A3, A5 or Letter")) {
            if (!a.wrong.empty()) break;
            a.paper = parsePaper(value);
            if (!a.paper) a.wrong = "--paper needs A4, A3, A5 or Letter, not \"" + value + "\"";
        } else if (valued("--to", "=", "--to needs an extension")) {
            if (value.starts_with('.')) value.erase(0, 1);
            a.to = value;
        } else if (valued("-j", "", "-j needs a number of workers")) {
            if (!a.wrong.empty()) break;
            int n = 0;
            const auto r = std::from_chars(value.data(), value.data() + value.size(), n);
            if (r.ec != std::errc() || r.ptr != value.data() + value.size() || n < 1 || n > 1024)
                a.wrong = "-j needs a whole number from 1 to 1024, not \"" + value + "\"";
            a.jobs = n;
        } else if (options && arg == "-o") {
            if (k + 1 >= argc) {
                a.wrong = "-o needs a file name";
                break;
            }
            a.output = argv[++k];
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            a.wrong = "unknown option \"" + arg + "\"";
        } else if (a.command.empty()) {
            a.command = arg;
        } else {
            a.files.push_back(arg);
        }
    }
    return a;
}

int usageError(const std::string& message) {
    printError(message + "; see qmptool --help");
    return kExitUsage;
}

// Standard output may be a closed pipe or a full disk; a result that did not
// arrive is no success.
void put(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int finishOutput(int status, int failed = kExitFailure) {
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        printError(std::string("cannot write to standard output: ") + std::strerror(errno));
        return failed;
    }
    return status;
}

BatchCommand batchOf(const Arguments& a, char* program) {
    BatchCommand c;
    c.inputs = a.files;
    c.outDir = a.output.value_or("");
    c.ext = a.to.value_or("");
    c.jobs = a.jobs.value_or(0);
    c.force = a.force;
    c.progress = a.progress;
    c.quiet = a.quiet;
    c.program = program;
    return c;
}

bool anyFolder(const std::vector<std::string>& files) {
    return std::any_of(files.begin(), files.end(), [](const std::string& f) { return isFolder(f); });
}

// Many charts go through the batch: an output folder or extension asked for, or
// a folder among the inputs; FILE OUT stays the command it always was.
bool batchAsked(const Arguments& a) { return a.output || a.to || anyFolder(a.files); }

int check(const Arguments& a, char* program) {
    if (a.files.empty()) return usageError("check needs at least one FILE");
    if (a.files.size() > 1 || anyFolder(a.files)) {
        BatchCommand c = batchOf(a, program);
        c.summary = anyFolder(a.files) || a.progress;
        return checkBatch(c);
    }
    const CheckLine line = checkLine(a.files[0]);
    put(oneLine(line.text) + "\n");
    return finishOutput(line.valid ? kExitOk : kExitFailure);
}

// The elements as lines; their places, sizes and captions do not depend on how
// large labels are measured, so no fonts are needed.
int dumpText(const std::string& path) {
    const Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(path, unmeasuredMetrics());
    if (!opened) {
        printError(opened.error().describe());
        return kExitFailure;
    }
    put(drawingText((*opened)->ed.doc));
    return finishOutput(kExitOk);
}

int dump(const Arguments& a) {
    if (a.files.size() != 1) return usageError("dump needs one FILE");
    const std::string& path = a.files[0];
    if (a.text) return dumpText(path);
    const Result<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        printError(bytes.error().describe());
        return kExitFailure;
    }
    const Result<std::string> json = dumpDocument(*bytes);
    if (!json) {
        printError(invalidDocument(path, detectLayout(*bytes), json.error()).describe());
        return kExitFailure;
    }
    put(*json);
    return finishOutput(kExitOk);
}

// Opens IN as its editor opens it and writes what `draw` makes of it to OUT,
// atomically; OUT is never IN. `what` names the output in messages.
int writeDrawn(const std::string& in, const std::string& out, const char* what, char* program, const DrawChart& draw) {
    if (sameFile(in, out)) {
        printError("\"" + out + "\" is the input file; the " + what + " needs another name");
        return kExitFailure;
    }
    Gui gui(program);
    const QtTextMetrics metrics;
    if (Status st = drawChartFile(in, out, metrics, draw, what, std::chrono::steady_clock::time_point::max()); !st) {
        printError(st.error().describe());
        return kExitFailure;
    }
    return kExitOk;
}

int render(const Arguments& a, char* program) {
    if (batchAsked(a)) {
        const std::optional<PictureFormat> format = pictureFormatFor("." + a.to.value_or(""));
        if (!format) return usageError("render -o DIR needs --to png, svg, pdf or bmp");
        if (a.scale && !isRaster(*format)) return usageError("--scale is for .bmp and .png pictures only");
        return drawBatch(batchOf(a, program), [&](const Editor& ed) {
            return encodePicture(ed.doc, canvasPixelSize(ed.canvas), *format, a.scale.value_or(1));
        }, "picture");
    }
    if (a.files.size() != 2) return usageError("render needs FILE and OUT, or FILE... -o DIR --to EXT");
    const std::string &in = a.files[0], &out = a.files[1];
    const std::optional<PictureFormat> format = pictureFormatFor(out);
    if (!format) return usageError("cannot tell the picture format from \"" + out + "\": use .bmp, .png, .svg or .pdf");
    if (a.scale && !isRaster(*format)) return usageError("--scale is for .bmp and .png pictures only");
    return writeDrawn(in, out, "picture", program, [&](const Editor& ed) {
        return encodePicture(ed.doc, canvasPixelSize(ed.canvas), *format, a.scale.value_or(1));
    });
}

int print(const Arguments& a, char* program) {
    const QPageLayout page = printPageLayout(a.paper.value_or(QPageSize::A4),
                                             a.portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    if (batchAsked(a)) {
        if (pictureFormatFor("." + a.to.value_or("pdf")) != PictureFormat::Pdf)
            return usageError("print writes PDF files: --to pdf");
        BatchCommand c = batchOf(a, program);
        c.ext = a.to.value_or("pdf");
        return drawBatch(c, [&](const Editor& ed) { return printedPdf(ed.doc, canvasPixelSize(ed.canvas), page); },
                         "PDF");
    }
    if (a.files.size() != 2) return usageError("print needs FILE and OUT.pdf, or FILE... -o DIR");
    const std::string &in = a.files[0], &out = a.files[1];
    if (pictureFormatFor(out) != PictureFormat::Pdf) return usageError("print writes a PDF file: OUT must end in .pdf");
    return writeDrawn(in, out, "PDF", program,
                      [&](const Editor& ed) { return printedPdf(ed.doc, canvasPixelSize(ed.canvas), page); });
}

// Both files as their editors open them, in one layout; labels measured as the
// editor measures them, since a converted title is centred by its width.
int diff(const Arguments& a, char* program) {
    if (a.files.size() != 2) return usageError("diff needs OLD and NEW");
    const std::optional<PictureFormat> format = a.output ? pictureFormatFor(*a.output) : std::nullopt;
    if (a.output && (!format || *format == PictureFormat::Bmp))
        return usageError("cannot tell the picture format from \"" + *a.output + "\": use .png, .svg or .pdf");
    for (const std::string& in : a.files)
        if (a.output && sameFile(in, *a.output)) {
            printError("\"" + *a.output + "\" is an input file; the picture needs another name");
            return kDiffTrouble;
        }
    Gui gui(program);
    const QtTextMetrics metrics;
    Version versions[2];
    CanvasGeometry canvas;  // NEW's, which the picture shows
    for (size_t k = 0; k < 2; ++k) {
        Result<std::unique_ptr<DocumentEditor>> opened = openDocumentFile(a.files[k], metrics);
        if (!opened) {
            printError(opened.error().describe());
            return kDiffTrouble;
        }
        versions[k] = {std::move((*opened)->ed.doc), (*opened)->layout};
        canvas = (*opened)->ed.canvas;
    }
    for (size_t k = 0; k < 2; ++k)
        if (Status st = convertForComparison(versions[k], versions[1 - k].layout, metrics, a.files[k]); !st) {
            printError(st.error().describe());
            return kDiffTrouble;
        }
    const Comparison c = compareDrawings(versions[0].doc, versions[1].doc);
    if (a.output) {
        const Result<std::string> bytes = encodeChangePicture(versions[0].doc, versions[1].doc, c,
                                                              canvasPixelSize(canvas), *format, a.files[1]);
        if (!bytes) {
            printError("cannot draw \"" + *a.output + "\": " + bytes.error().message);
            return kDiffTrouble;
        }
        if (Status st = writeFileAtomically(*a.output, *bytes); !st) {
            printError(st.error().describe());
            return kDiffTrouble;
        }
    }
    put(a.json ? diffJson(c, a.files[0], a.files[1]) : diffText(c));
    return finishOutput(c.same() ? kDiffSame : kDiffDifferent, kDiffTrouble);
}

int convert(const Arguments& a, char* program) {
    if (batchAsked(a)) {
        const ConvertTarget* target = convertTargetFor(a.to.value_or("QMP"));
        if (!target) return usageError("convert writes " + convertTargetNames() + ", not \"" + *a.to + "\"");
        BatchCommand c = batchOf(a, program);
        c.ext = target->ext;
        return convertBatch(c, target->convert);
    }
    if (a.files.size() != 2) return usageError("convert needs IN and OUT, or IN... -o DIR");
    Gui gui(program);
    const QtTextMetrics metrics;
    // OUT's extension picks a drawing another editor changes, or else a document.
    if (const auto format = editableFormatFor(a.files[1])) {
        const Result<int> replaced = convertEditableFile(a.files[0], a.files[1], *format, metrics);
        if (!replaced) {
            printError(replaced.error().describe());
            return kExitFailure;
        }
        if (*replaced > 0) printError(a.files[1] + ": " + replacedWarning(*replaced));
        return kExitOk;
    }
    if (const Result<Layout> done = convertDocumentFile(a.files[0], a.files[1], metrics); !done) {
        printError(done.error().describe());
        return kExitFailure;
    }
    return kExitOk;
}

int find(const Arguments& a) {
    if (a.files.size() < 2) return usageError("find needs PATTERN and at least one PATH");
    FindRequest r;
    r.pattern = a.files[0];
    r.ignoreCase = a.ignoreCase;
    r.output = a.json ? FindOutput::Json : a.listFiles ? FindOutput::Files : a.countHits ? FindOutput::Counts
                                                                                         : FindOutput::Lines;
    BatchCommand c;
    c.inputs.assign(a.files.begin() + 1, a.files.end());
    c.jobs = a.jobs.value_or(0);
    return findInCharts(r, c);
}

}  // namespace

int runTool(int argc, char** argv) {
    const Arguments a = parse(argc, argv);
    if (!a.wrong.empty()) return usageError(a.wrong);
    if (a.help) {
        put(kUsage);
        return finishOutput(kExitOk);
    }
    if (a.version) {
        put("qmptool " QMPTOOL_VERSION "\n");
        return finishOutput(kExitOk);
    }
    if (a.command.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    if (a.scale && a.command != "render") return usageError("--scale is for render only");
    if ((a.paper || a.portrait) && a.command != "print") return usageError("--paper and --portrait are for print only");
    if (a.text && a.command != "dump") return usageError("--text is for dump only");
    const bool writes = a.command == "render" || a.command == "print" || a.command == "convert";
    const bool batch = writes || a.command == "check" || a.command == "find";
    if (a.json && a.command != "diff" && a.command != "find") return usageError("--json is for diff and find only");
    if (a.output && a.command != "diff" && !writes) return usageError("-o is for diff, render, print and convert only");
    if ((a.to || a.force) && !writes) return usageError("--to and --force are for render, print and convert only");
    if ((a.jobs || a.progress || a.quiet) && !batch)
        return usageError("-j, --progress and --quiet are for check, render, print, convert and find only");
    if ((a.ignoreCase || a.listFiles || a.countHits) && a.command != "find")
        return usageError("-i, -l and -c are for find only");
    if (int(a.json) + int(a.listFiles) + int(a.countHits) > 1) return usageError("choose one of --json, -l and -c");
    // Every command reads document texts; without the converters each file would
    // be reported as invalid.
    if (Status codePages = checkCodePages(); !codePages) {
        printError(codePages.error().describe());
        return a.command == "diff" ? kDiffTrouble : kExitFailure;
    }
    if (a.command == "check") return check(a, argv[0]);
    if (a.command == "find") return find(a);
    if (a.command == "diff") return diff(a, argv[0]);
    if (a.command == "dump") return dump(a);
    if (a.command == "render") return render(a, argv[0]);
    if (a.command == "print") return print(a, argv[0]);
    if (a.command == "convert") return convert(a, argv[0]);
    return usageError("unknown command \"" + a.command + "\" (check, dump, diff, render, print, convert or find)");
}

}  // namespace qm::cli
