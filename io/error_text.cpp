#include "io/error_text.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <utility>

namespace qm {
namespace {

// What the system said (strerror's English), in Chinese; empty when unknown.
std::string systemReason(std::string_view said) {
    static const std::array<std::pair<int, const char*>, 14> known{{
        {ENOENT, "文件或文件夹不存在"},
        {EACCES, "没有访问权限"},
        {EPERM, "不允许这样操作"},
        {EISDIR, "这是一个文件夹"},
        {ENOTDIR, "路径中的一项不是文件夹"},
        {ENOSPC, "磁盘空间不足"},
        {EDQUOT, "超出了磁盘配额"},
        {EROFS, "文件系统是只读的"},
        {EIO, "读写设备出错"},
        {ENAMETOOLONG, "文件名太长"},
        {EEXIST, "文件已经存在"},
        {EMFILE, "打开的文件太多"},
        {EBUSY, "文件正被占用"},
        {EWOULDBLOCK, "文件被另一个程序锁定"},
    }};
    for (const auto& [err, chinese] : known)
        if (said == std::strerror(err)) return chinese;
    return {};
}

bool startsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

// "<prefix>"PATH": REST" split into PATH and REST; false when it is not so.
bool quoted(std::string_view s, std::string_view prefix, std::string& path, std::string& rest) {
    if (!startsWith(s, prefix)) return false;
    s.remove_prefix(prefix.size());
    if (s.empty() || s.front() != '"') return false;
    const size_t end = s.find("\": ");
    if (end == std::string_view::npos) return false;
    path = std::string(s.substr(1, end - 1));
    rest = std::string(s.substr(end + 3));
    return true;
}

std::string reasonAfter(const std::string& rest) {
    if (std::string r = systemReason(rest); !r.empty()) return r;
    if (startsWith(rest, "it is not a regular file")) return "它不是普通文件，不可能是文档";
    if (startsWith(rest, "the file is ")) return "文件太大，不可能是文档";
    if (startsWith(rest, "the text") || startsWith(rest, "the character") || startsWith(rest, "the byte"))
        return "文字中有文档无法保存的字符";
    return "系统报告的错误：" + rest;
}

std::string reasonOf(const std::string& m) {
    std::string path, rest;
    static const std::array<std::pair<const char*, const char*>, 6> files{{
        {"cannot open ", "无法打开文件“"},
        {"cannot read ", "无法读取文件“"},
        {"cannot save ", "无法保存文件“"},
        {"cannot use the recovery folder ", "无法使用恢复文件夹“"},
        {"cannot lock a file in the recovery folder ", "无法锁定恢复文件夹中的文件“"},
        {"cannot take over the recovery copy ", "无法接管恢复副本“"},
    }};
    for (const auto& [english, chinese] : files)
        if (quoted(m, english, path, rest)) return chinese + path + "”：" + reasonAfter(rest);
    if (quoted(m, "cannot load the module ", path, rest)) {
        const std::string_view missing = "it is in none of the folders ";
        return "无法载入程序的组件“" + path + "”：" +
               (startsWith(rest, missing) ? "安装不完整，以下文件夹中都没有它：" + rest.substr(missing.size())
                                          : reasonAfter(rest));
    }
    if (quoted(m, "the document was written to ", path, rest))
        return "文档已写入“" + path + "”，但无法确认它已存到磁盘上";
    if (startsWith(m, "not a quillmap document")) return "这不是 Quillmap 的文档";
    if (startsWith(m, "not a qmp document")) return "这不是 qmp 的文档";
    if (startsWith(m, "not a recovery copy")) return "这不是本程序的恢复副本";
    if (startsWith(m, "no recovery folder")) return "没有恢复文件夹：环境变量 XDG_STATE_HOME 和 HOME 都没有指明文件夹";
    if (startsWith(m, "the system cannot convert document texts"))
        return "系统缺少转换 GBK、GB18030 编码的组件（glibc 的 iconv）";
    if (startsWith(m, "the text is not valid UTF-8")) return "文字不是有效的 UTF-8 编码";
    if (startsWith(m, "the character ")) return "文字中有文档无法保存的字符";
    if (startsWith(m, "the byte") || startsWith(m, "the text ends inside"))
        return "文字中有不属于 GBK 或 GB18030 编码的字节";
    if (startsWith(m, "the elements take ")) {
        // "the elements take N bytes, more than the M a paste takes"
        const std::string_view rest = std::string_view(m).substr(std::string_view("the elements take ").size());
        return "剪贴板中的图形有" + std::string(rest.substr(0, rest.find(' '))) + "字节，超过了粘贴能接受的大小";
    }
    if (startsWith(m, "these are not elements of a Quillmap program")) return "剪贴板中的数据不是本程序的图形";
    if (startsWith(m, "the drawing has too many labels")) return "图中的标签太多，无法再加上标题栏";
    if (startsWith(m, "the elements hold what a qmp drawing cannot")) return "图形中有 qmp 的图不能容纳的内容";
    if (startsWith(m, "the drawing read back")) return "写入后读回的图与原图不同";
    if (startsWith(m, "unknown picture format")) return "不认识的图片格式";
    if (startsWith(m, "cannot convert ")) return "无法转换文档";
    if (m.find("ends after") != std::string::npos || m.find("past the end") != std::string::npos)
        return "文件不完整，数据提前结束了";
    return "文档的数据不符合文件格式";
}

}  // namespace

std::string chineseReason(const IoError& error) {
    std::string out = reasonOf(error.message);
    if (error.offset) out += "（第" + std::to_string(*error.offset) + "字节）";
    return out + "。";
}

}  // namespace qm
