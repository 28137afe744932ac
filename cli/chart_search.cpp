#include "cli/chart_search.h"

#include <cstdio>

#include "cli/archive_batch.h"
#include "batch/batch_run.h"
#include "batch/chart_inputs.h"
#include "cli/document_file.h"
#include "cli/json_writer.h"
#include "cli/tool_output.h"
#include "edit/compare_words.h"
#include "edit/text_search.h"
#include "io/atomic_file.h"
#include "io/document_io.h"

namespace qm::cli {
namespace {

using namespace qm::batch;

// The texts come from the document decoder and are UTF-8; a stray byte is kept as
// it is and matches only itself.
std::string hitLine(const std::string& file, const ChartElement& e, const std::string& text, FindOutput output) {
    const std::string element = elementName(e, kEnglishWords);
    if (output != FindOutput::Json) return oneLine(file + ":" + element + ":" + text) + "\n";
    JsonWriter w;
    w.beginObject(JsonWriter::Layout::Inline);
    w.key("file");
    w.string(file);
    w.key("element");
    w.string(element);
    w.key("text");
    w.string(text);
    w.endObject();
    return w.text() + "\n";
}

}  // namespace

int findInCharts(const FindRequest& r, const BatchCommand& c) {
    const TextPattern pattern(r.pattern, {.matchCase = !r.ignoreCase});
    const ChartInputs found = findCharts(c.inputs);
    for (const std::string& problem : found.problems) printError(problem);
    bool any = false, trouble = !found.problems.empty();
    BatchSettings settings;
    settings.workers = c.jobs;
    runBatch(
        found.charts.size(),
        [&](size_t k) {
            ChartOutcome o;
            const std::string& file = found.charts[k].path;
            // The document as the file holds it, without an editor round it: only
            // its texts are read.
            Result<std::string> bytes = readWholeFile(file);
            const Layout layout = bytes ? detectLayout(*bytes) : Layout::Quillmap;
            const Result<Document> doc = bytes ? decodeDocumentFile(std::move(*bytes), layout, unmeasuredMetrics())
                                               : Result<Document>(bytes.error());
            if (!doc) {
                o.result = ChartResult::Failed;
                o.error = bytes ? invalidDocument(file, layout, doc.error()).describe() : doc.error().describe();
                return o;
            }
            size_t hits = 0;
            for (const ChartElement& e : comparedElements(*doc))
                for (const std::string& text : e.texts) {
                    if (!pattern.foundIn(text)) continue;
                    ++hits;
                    if (r.output == FindOutput::Lines || r.output == FindOutput::Json)
                        o.out += hitLine(file, e, text, r.output);
                }
            if (r.output == FindOutput::Files && hits > 0) o.out = oneLine(file) + "\n";
            if (r.output == FindOutput::Counts) o.out = oneLine(file) + ":" + std::to_string(hits) + "\n";
            o.result = hits > 0 ? ChartResult::Written : ChartResult::Done;
            return o;
        },
        settings,
        [&](size_t, ChartOutcome& o) {
            any = any || o.result == ChartResult::Written;
            if (o.result == ChartResult::Failed) {
                trouble = true;
                std::fflush(stdout);
                printError(o.error);
            }
            if (!o.out.empty()) std::fwrite(o.out.data(), 1, o.out.size(), stdout);
        });
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) trouble = true;
    return trouble ? 2 : any ? 0 : 1;
}

}  // namespace qm::cli
