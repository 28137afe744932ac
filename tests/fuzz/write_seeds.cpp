// Writes the fuzzer's seed corpus: documents as the editors write them.
#include <cstdio>
#include <string>

#include "io/document_io.h"
#include "model/labels.h"
#include "unit/io/sample_documents.h"
#include "unit/support/fakes.h"

namespace {

bool save(const std::string& dir, const char* name, const qm::Document& doc, qm::Layout layout) {
    const std::string path = dir + "/" + name;
    const qm::Status s = layout == qm::Layout::Quillmap ? qm::writeDocument(path, doc) : qm::writeQmpDocument(path, doc);
    if (!s) std::fprintf(stderr, "%s\n", s.error().describe().c_str());
    return s.ok();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;

    qm::test::TestEditor fresh;
    ok &= save(dir, "new-document.QMP", fresh.doc, qm::Layout::Quillmap);

    qm::test::TestEditor every;
    qm::test::addEveryKind(every.doc, every.metrics);
    ok &= save(dir, "every-kind.QMP", every.doc, qm::Layout::Quillmap);

    qm::test::TestEditor wide;
    qm::setCaption(*wide.doc.Label.find(2), "标题 😀 €", wide.metrics);
    qm::setFontSize(*wide.doc.Label.find(2), 10.5f, wide.metrics);
    ok &= save(dir, "gb18030-title.QMP", wide.doc, qm::Layout::Quillmap);

    ok &= save(dir, "empty-qmp.QMP", qm::Document(), qm::Layout::Qmp);
    qm::Document reduced;
    qm::test::addEveryReducedKind(reduced, every.metrics);
    ok &= save(dir, "every-kind-qmp.QMP", reduced, qm::Layout::Qmp);
    return ok ? 0 : 1;
}
