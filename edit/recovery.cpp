#include "edit/recovery.h"

#include <cstdlib>
#include <string>

#include "edit/file_commands.h"
#include "edit/undo.h"
#include "io/document_io.h"
#include "io/error_text.h"

namespace qm {
namespace {

constexpr std::chrono::seconds kDefaultInterval{30};

int64_t secondsSinceEpoch() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void reportSetAside(Editor& ed, const std::vector<std::string>& names) {
    if (names.empty()) return;
    std::string text = "恢复文件夹中有无法读取的副本，已改名保留，不再提示：";
    for (const std::string& n : names) text += "\n" + n;
    ed.host.message("提示", text, Icon::Information);
}

}  // namespace

std::chrono::milliseconds recoveryInterval() {
    const char* v = std::getenv("QUILLMAP_AUTOSAVE_SECONDS");
    if (!v || !*v) return kDefaultInterval;
    char* end = nullptr;
    const long s = std::strtol(v, &end, 10);
    if (*end != '\0' || s < 1 || s > 86400) return kDefaultInterval;
    return std::chrono::seconds(s);
}

std::optional<Recovery> Recovery::start(Editor& ed, std::string_view program, Layout layout) {
    Result<RecoveryStore> store = RecoveryStore::open(recoveryFolder(program), layout);
    if (!store) {
        ed.host.message("提示", "无法使用恢复文件夹，程序意外退出时未保存的修改将无法恢复。\n" + chineseReason(store.error()),
                        Icon::Information);
        return std::nullopt;
    }
    return Recovery(std::move(store).value(), layout, recoveryInterval());
}

void Recovery::update(Editor& ed, Clock::time_point now) {
    if (!ed.doc.isModified()) {
        if (store_.hasCopy()) store_.discard();
        lastCopy_.reset();
        copied_.clear();
        return;
    }
    if (!atRest(ed) || (lastCopy_ && now - *lastCopy_ < interval_)) return;
    lastCopy_ = now;
    Result<std::string> bytes = encodeDocument(ed.doc, layout_);
    // The file by its whole path: the next start may be in another folder.
    const std::string path = absolutePath(ed.doc.fileName);
    // A drawing left alone is not written again and again: the disk may sleep.
    if (bytes && store_.hasCopy() && *bytes == copied_ && copiedName_ == path) return;
    const FileIdentity file = ed.fileOnDisk.path == path ? ed.fileOnDisk : FileIdentity{};
    Status written = bytes ? store_.write({path, secondsSinceEpoch(), *bytes, file}) : Status(bytes.error());
    if (written) {
        copied_ = std::move(bytes).value();
        copiedName_ = path;
    }
    if (written || failureReported_) return;
    failureReported_ = true;
    ed.host.message("提示", "无法写入恢复副本，程序意外退出时未保存的修改将无法恢复。\n" + chineseReason(written.error()),
                    Icon::Information);
}

bool Recovery::offerOrphans(Editor& ed) {
    RecoveryStore::Scan scan = store_.scan();
    bool opened = false;
    for (OrphanCopy& orphan : scan.orphans) {
        if (opened) break;  // the rest stay for the next start
        const RecoveryCopy& copy = orphan.copy();
        Result<Document> doc = decodeDocument(copy.document, layout_, ed.metrics);
        if (!doc) {
            scan.setAside.push_back(store_.setAside(orphan));
            continue;
        }
        const std::string name = copy.documentPath.empty() ? "未命名" : copy.documentPath;
        // A copy of an older version knows only the file's name: the save that
        // follows compares with the file as it is now.
        const FileIdentity file = copy.file.known() || copy.documentPath.empty() ? copy.file
                                                                                 : currentIdentity(copy.documentPath);
        std::string changed;
        if (copy.file.known()) changed = fileChangeText(copy.documentPath, checkFile(copy.file));
        if (!changed.empty()) changed = "\n" + changed + "副本是按它原来的版本编辑的。";
        const std::string question = "程序上次没有正常退出。找到“" + name + "”在" + localTimeText(copy.writtenAt) +
                                     "自动保存的副本，是否恢复？" + changed + "\n选“否”将删除这份副本。";
        switch (ed.host.ask("提示", question, Buttons::YesNo, Icon::Question)) {
            case Answer::Yes:
                replaceDocument(ed, std::move(doc).value(), copy.documentPath);
                ed.fileOnDisk = file;
                restartHistory(ed);
                markUnsaved(ed);  // until the user saves it to the file named
                if (store_.adopt(orphan)) {
                    lastCopy_ = Clock::now();
                    copied_ = copy.document;
                    copiedName_ = copy.documentPath;
                }
                opened = true;
                break;
            case Answer::No: store_.discard(orphan); break;
            default: break;
        }
    }
    reportSetAside(ed, scan.setAside);
    store_.removeAbandonedTemporaries();
    return opened;
}

}  // namespace qm
