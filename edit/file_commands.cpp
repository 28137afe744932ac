#include "edit/file_commands.h"

#include <ctime>

#include "edit/undo.h"
#include "interact/label_editing.h"
#include "interact/selection.h"
#include "io/atomic_file.h"
#include "io/codepage.h"
#include "io/document_io.h"
#include "io/error_text.h"
#include "io/file_identity.h"
#include "io/qmp_convert.h"
#include "model/sel_kind.h"

namespace qm {
namespace {

std::string missingCodePages(const IoError& error) {
    return "本系统无法转换文档中文字的编码（GBK、GB18030），文档不能打开，也不能保存。\n" + chineseReason(error);
}

// The answer to a question about saving: Yes saves and goes on only once the
// save completed, No goes on, anything else (Cancel, the box closed) stops the
// command with the drawing as it is.
bool mayGoOn(Editor& ed, Answer answer) {
    switch (answer) {
        case Answer::Yes: return ed.save && ed.save();
        case Answer::No: return true;
        case Answer::Cancel:
        case Answer::SaveAs:
        case Answer::Ok: return false;
    }
    return false;
}

std::string formatErrorMessage(const std::string& path, const IoError& error) {
    return std::string(kFormatErrorMessage) + "：“" + path + "”。\n" + chineseReason(error);
}

// A qmp drawing opened in quillmap: offered as a converted copy, a new untitled
// drawing with a title block, as qmptool convert writes it; the file stays as it is.
bool openConverted(Editor& ed, bool (*clear)(Editor&), const std::string& path, const Document& old) {
    const std::string question = "“" + path +
                                 "”是 qmp 的文档。是否把它转换为 Quillmap 的文档，作为一张新的未命名的图打开？"
                                 "\n原文件保持不变。";
    if (ed.host.ask("提示", question, Buttons::YesNo, Icon::Question) != Answer::Yes) return false;
    Result<Document> converted = convertQmpToQuillmap(old, ed.metrics);
    if (!converted) {
        ed.host.message("错误", "无法转换“" + path + "”。\n" + chineseReason(converted.error()), Icon::Critical);
        return false;
    }
    refreshMark(ed);
    if (!clear(ed)) return false;
    replaceDocument(ed, std::move(converted).value(), "");
    ed.fileOnDisk = {};
    restartHistory(ed);
    markUnsaved(ed);  // it is in no file yet
    return true;
}

}  // namespace

FileDialogPresets documentDialogPresets(const Document& doc) {
    // A named drawing's own file, in its own folder.
    return {doc.fileName.empty() ? "未命名.QMP" : doc.fileName, "QMP文件|*.QMP", "QMP"};
}

bool reportMissingCodePages(Editor& ed) {
    const Status codePages = checkCodePages();
    if (!codePages) ed.host.message("错误", missingCodePages(codePages.error()), Icon::Critical);
    return codePages.ok();
}

bool openDocument(Editor& ed, Layout layout, bool (*clear)(Editor&)) {
    if (!commitOpenEditors(ed)) return false;
    const auto path = ed.host.openFileDialog(documentDialogPresets(ed.doc));
    return path && openDocumentPath(ed, layout, clear, *path);
}

bool openDocumentPath(Editor& ed, Layout layout, bool (*clear)(Editor&), const std::string& path) {
    if (!commitOpenEditors(ed)) return false;
    Result<IdentifiedFile> file = readIdentifiedFile(path);
    if (!file) {
        ed.host.message("错误", "无法打开文件“" + path + "”。\n" + chineseReason(file.error()), Icon::Critical);
        return false;
    }
    std::string& bytes = file->bytes;
    // The other program's document is named as such rather than as damaged.
    const bool quillmapFile = startsWithQuillmapTag(bytes);
    if (layout == Layout::Qmp && quillmapFile) {
        ed.host.message("提示", "“" + path + "”是 Quillmap 的文档，qmp 不能打开它，请用 Quillmap 打开。",
                        Icon::Information);
        return false;
    }
    if (layout == Layout::Quillmap && !quillmapFile) {
        if (Result<Document> old = decodeDocument(bytes, Layout::Qmp, ed.metrics))
            return openConverted(ed, clear, path, *old);
    }
    Result<Document> next = decodeDocumentFile(std::move(bytes), layout, ed.metrics);
    if (!next) {
        // The file is not to blame when the system cannot read any document.
        if (const Status codePages = checkCodePages(); !codePages)
            ed.host.message("错误", missingCodePages(codePages.error()), Icon::Critical);
        else
            ed.host.message("错误", formatErrorMessage(path, next.error()), Icon::Stop);
        return false;
    }
    refreshMark(ed);
    if (!clear(ed)) return false;
    // The file by its whole path, so that it is found again wherever the
    // program's folder is at the next save or after a crash.
    replaceDocument(ed, std::move(next).value(), file->identity.path);
    ed.fileOnDisk = std::move(file->identity);
    restartHistory(ed);
    return true;
}

bool writeDocumentAs(Editor& ed, Layout layout, const std::string& path) {
    // The history's checkpoint of the drawing is what Save writes, mostly encoded
    // already: only the groups changed since the last step are encoded again.
    std::optional<Checkpoint> checkpoint;
    Result<std::string> bytes = std::string();
    if (ed.history && ed.history->coder.layout() == layout) {
        Result<Checkpoint> now = ed.history->coder.encode(ed.doc);
        if (now) {
            checkpoint = std::move(now).value();
            bytes = checkpoint->bytes();
        } else {
            bytes = now.error();
        }
    } else {
        bytes = encodeDocument(ed.doc, layout);
    }
    Status st = bytes ? writeFileAtomically(path, *bytes)
                      : Status(IoError{"cannot save \"" + path + "\": " + bytes.error().message, std::nullopt});
    if (!st) {
        ed.host.message("错误", saveFailureMessage("文件", path, st.error()), Icon::Critical);
        return false;
    }
    ed.fileOnDisk = writtenIdentity(path, *bytes);
    if (checkpoint) ed.history->steps.setSaved(*checkpoint);
    return true;
}

std::string localTimeText(int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    char buf[64];
    if (!localtime_r(&t, &tm) || std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm) == 0) return "?";
    return buf;
}

std::string fileChangeText(const std::string& path, const FileCheck& check) {
    const std::string file = "文件“" + path + "”";
    switch (check.change) {
        case FileChange::None: return {};
        case FileChange::Changed:
            return file + "已被其他程序或其他人修改（" + localTimeText(check.changedAt) + "），与本程序读取或保存的版本不同。";
        case FileChange::Removed: return file + "已被其他程序或其他人删除。";
        case FileChange::Unreadable: return file + "已被改变，无法读取它来确认。";
    }
    return {};
}

SaveOver confirmSaveOver(Editor& ed, const std::string& path) {
    if (!ed.fileOnDisk.known() || absolutePath(path) != ed.fileOnDisk.path) return SaveOver::Write;
    const FileCheck check = checkFile(ed.fileOnDisk);
    if (check.change == FileChange::None) return SaveOver::Write;
    const std::string question = fileChangeText(path, check) +
                                 "\n是否用当前的图覆盖它？选“另存为...”把图保存为另一个文件，原文件保持不变。";
    switch (ed.host.ask("提示", question, Buttons::YesSaveAsCancel, Icon::Question)) {
        case Answer::Yes: return SaveOver::Write;
        case Answer::SaveAs: return SaveOver::SaveAs;
        case Answer::No:
        case Answer::Cancel:
        case Answer::Ok: break;
    }
    return SaveOver::Stop;
}

std::string saveFailureMessage(std::string_view subject, const std::string& path, const IoError& error) {
    const std::string what = std::string(subject) + "“" + path + "”";
    if (error.replaced) return what + "已经写入，但无法确认它已存到磁盘上，断电时可能丢失。\n" + chineseReason(error);
    return what + "保存失败，原来的文件保持不变。\n" + chineseReason(error);
}

bool saveDocument(Editor& ed, Layout layout, bool askPath) {
    if (!commitOpenEditors(ed)) return false;
    // What is selected stays selected: the selection is no part of the file. An
    // element being placed or a drag under way is ended first.
    if (followsPointer(ed.doc.selKind)) clearSelection(ed);
    std::string path = askPath ? std::string() : ed.doc.fileName;
    if (path.empty()) {
        const auto chosen = ed.host.saveFileDialog(documentDialogPresets(ed.doc));
        if (!chosen) return false;
        path = *chosen;
    }
    path = absolutePath(path);
    switch (confirmSaveOver(ed, path)) {
        case SaveOver::Write: break;
        case SaveOver::SaveAs: return saveDocument(ed, layout, true);
        case SaveOver::Stop: return false;
    }
    if (!writeDocumentAs(ed, layout, path)) return false;
    ed.doc.fileName = path;
    ed.doc.setModified(false);  // the file holds the history's checkpoint now
    if (!ed.history || ed.history->coder.layout() != layout) markSaved(ed);
    return true;
}

std::string saveQuestion(const Document& doc) { return "文件“" + doc.displayName() + "”已改变，是否保存？"; }

bool offerSave(Editor& ed) {
    if (!ed.doc.isModified()) return true;
    return mayGoOn(ed, ed.host.ask("提示", saveQuestion(ed.doc), Buttons::YesNoCancel, Icon::Question));
}

bool closeRequest(Editor& ed) {
    if (!commitOpenEditors(ed)) return false;
    refreshMark(ed);
    return offerSave(ed);
}

}  // namespace qm
