// Writes the fuzzers' seeds, one folder per target: documents as the editors
// write them, recovery copies of them as the editors keep them, and clipboard
// payloads of their elements as Copy writes them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "edit/clipboard.h"
#include "io/clipboard_payload.h"
#include "io/document_io.h"
#include "io/recovery_store.h"
#include "model/labels.h"
#include "model/sel_kind.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;

class Seeds {
public:
    explicit Seeds(fs::path dir) : dir_(std::move(dir)) {}

    // The document under `target`/`name`, and a recovery copy of it as a drawing
    // saved under `path` (empty: never saved).
    void add(const char* target, const std::string& name, const Document& doc, Layout layout,
             const std::string& path = "/home/用户/流程图/审批.QMP") {
        const Result<std::string> bytes = encodeDocument(doc, layout);
        if (!bytes) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), bytes.error().describe().c_str());
            ok_ = false;
            return;
        }
        write(target, name, *bytes);
        const RecoveryCopy copy{path, 1700000000, *bytes};
        write("recovery", std::string(target) + "-" + name + ".copy", encodeRecoveryCopy(copy, layout));
    }
    // Every element of the drawing copied, as the clipboard payload `name`.
    void addElements(const std::string& name, const Document& doc, Layout layout) {
        std::vector<ElementRef> all;
        for (int i = 1; i <= doc.shapeCount; ++i) all.push_back({ElementKind::Shape, i});
        for (int i = 1; i <= doc.diamondCount; ++i) all.push_back({ElementKind::Diamond, i});
        for (int i = 1; i <= doc.arrowCount; ++i) all.push_back({ElementKind::Arrow, i});
        for (int i = 1; i <= doc.labelCount; ++i) all.push_back({ElementKind::Label, i});
        const Result<std::string> payload = encodePayload(extractElements(doc, all), layout);
        if (!payload) {
            std::fprintf(stderr, "%s: %s\n", name.c_str(), payload.error().describe().c_str());
            ok_ = false;
            return;
        }
        write("clipboard", name, *payload);
    }
    bool ok() const { return ok_; }

private:
    void write(const char* target, const std::string& name, const std::string& bytes) {
        fs::create_directories(dir_ / target);
        std::ofstream out(dir_ / target / name, std::ios::binary);
        out << bytes;
        ok_ = ok_ && out.good();
    }

    fs::path dir_;
    bool ok_ = true;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    Seeds seeds(argv[1]);

    test::TestEditor fresh;
    seeds.add("document", "new-document.QMP", fresh.doc, Layout::Quillmap, "");

    test::TestEditor every;
    test::addEveryKind(every.doc, every.metrics);
    seeds.add("document", "every-kind.QMP", every.doc, Layout::Quillmap);

    test::TestEditor wide;
    setCaption(*wide.doc.Label.find(2), "标题 😀 €", wide.metrics);
    setFontSize(*wide.doc.Label.find(2), 10.5f, wide.metrics);
    seeds.add("document", "gb18030-title.QMP", wide.doc, Layout::Quillmap);

    seeds.add("qmp", "empty-qmp.QMP", Document(), Layout::Qmp, "");
    Document reduced;
    test::addEveryReducedKind(reduced, every.metrics);
    seeds.add("qmp", "every-kind-qmp.QMP", reduced, Layout::Qmp);
    seeds.addElements("every-kind.elements", every.doc, Layout::Quillmap);
    seeds.addElements("every-kind-qmp.elements", reduced, Layout::Qmp);
    return seeds.ok() ? 0 : 1;
}
