// A small JSON writer for qmptool's dumps: objects and arrays written in order
// into a string, with correct escaping and numbers that read back exactly.
// Containers are laid out one member a line, or all on one line when asked.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qm::cli {

class JsonWriter {
public:
    enum class Layout { Block, Inline };

    void beginObject(Layout layout = Layout::Block);
    void endObject();
    void beginArray(Layout layout = Layout::Block);
    void endArray();

    // The name of the next member of the current object.
    void key(std::string_view name);

    // Text that is not UTF-8 has each bad byte replaced by U+FFFD, so the output is
    // always valid JSON; callers that must not lose bytes check before.
    void string(std::string_view utf8);
    void integer(int64_t value);
    // Finite values only; NaN and infinities have no JSON form and become null.
    void real(double value);
    void boolean(bool value);
    void null();

    // The text so far; complete once every container has been closed.
    const std::string& text() const { return out_; }
    bool complete() const { return stack_.empty() && !out_.empty(); }

private:
    struct Level {
        bool object;
        Layout layout;
        bool empty = true;
    };
    void beforeValue();
    void quoted(std::string_view utf8);
    void newline(size_t depth);
    void close(char bracket, bool object);

    std::string out_;
    std::vector<Level> stack_;
    bool afterKey_ = false;
};

// True when every byte sequence in `s` is well-formed UTF-8.
bool isUtf8(std::string_view s);

}  // namespace qm::cli
