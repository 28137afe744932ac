#include "cli/diff_report.h"

#include "cli/json_writer.h"

namespace qm::cli {
namespace {

using Inline = JsonWriter::Layout;

constexpr std::array<const char*, 6> kChangeNames{"added", "deleted", "moved", "resized", "text", "points"};

void pixels(JsonWriter& w, const char* name, int32_t twips) {
    w.key(name);
    w.real(pixelValue(twips));
}

void points(JsonWriter& w, const char* name, const std::vector<TwipPoint>& pts) {
    w.key(name);
    w.beginArray(Inline::Inline);
    for (const TwipPoint& p : pts) {
        w.beginArray(Inline::Inline);
        w.real(pixelValue(p.x));
        w.real(pixelValue(p.y));
        w.endArray();
    }
    w.endArray();
}

void head(JsonWriter& w, const char* name, const ChartElement& e) {
    w.key(name);
    if (e.headDir < 0) w.null();
    else w.string(kEnglishWords.directions[static_cast<size_t>(e.headDir)]);
}

// The element's kind and index, or the title block item's name.
void identity(JsonWriter& w, const ChartElement& e) {
    w.key("element");
    switch (e.kind) {
        case ChartKind::TitleText:
        case ChartKind::TitleRow:
            w.string("title field");
            w.key("field");
            w.string(elementName(e, kEnglishWords));
            return;
        case ChartKind::TitleBlock: w.string("title block"); return;
        default:
            w.string(kEnglishWords.kinds[static_cast<size_t>(e.kind)]);
            w.key("index");
            w.integer(e.index);
    }
}

// Everything of an added or deleted element.
void whole(JsonWriter& w, const ChartElement& e) {
    if (e.kind == ChartKind::Arrow) {
        points(w, "points", e.points);
        head(w, "head", e);
    } else if (kindTraits(e.kind).placed) {
        pixels(w, "x", e.box.left);
        pixels(w, "y", e.box.top);
        if (kindTraits(e.kind).sized) {
            pixels(w, "width", e.box.width);
            pixels(w, "height", e.box.height);
        }
    }
    w.key("texts");
    w.beginArray(Inline::Inline);
    for (const std::string& t : e.texts) w.string(t);
    w.endArray();
}

void change(JsonWriter& w, const Comparison& c, const Change& ch) {
    const ChartElement& e = c.element(ch);
    w.beginObject(Inline::Inline);
    w.key("change");
    w.string(kChangeNames[static_cast<size_t>(ch.kind)]);
    identity(w, e);
    if (ch.kind == ChangeKind::Added || ch.kind == ChangeKind::Deleted) {
        whole(w, e);
        w.endObject();
        return;
    }
    const ChartElement &old = c.older[static_cast<size_t>(ch.before)], &now = c.newer[static_cast<size_t>(ch.after)];
    switch (ch.kind) {
        case ChangeKind::Moved:
            pixels(w, "dx", now.box.left - old.box.left);
            pixels(w, "dy", now.box.top - old.box.top);
            pixels(w, "x", now.box.left);
            pixels(w, "y", now.box.top);
            break;
        case ChangeKind::Resized:
            for (const auto& [name, b] : {std::pair{"old", old.box}, std::pair{"new", now.box}}) {
                w.key(name);
                w.beginObject(Inline::Inline);
                pixels(w, "x", b.left);
                pixels(w, "y", b.top);
                pixels(w, "width", b.width);
                pixels(w, "height", b.height);
                w.endObject();
            }
            break;
        case ChangeKind::Text: {
            const auto k = static_cast<size_t>(ch.slot);
            w.key("text");
            w.string(textName(e, ch.slot, kEnglishWords));
            w.key("old");
            w.string(old.texts[k]);
            w.key("new");
            w.string(now.texts[k]);
            break;
        }
        case ChangeKind::Points:
            points(w, "old", old.points);
            points(w, "new", now.points);
            head(w, "oldHead", old);
            head(w, "newHead", now);
            break;
        default: break;
    }
    w.endObject();
}

}  // namespace

std::string diffText(const Comparison& c) {
    std::string out;
    for (const Change& ch : c.changes) out += describeChange(c, ch, kEnglishWords) + '\n';
    return out;
}

std::string diffJson(const Comparison& c, const std::string& oldPath, const std::string& newPath) {
    JsonWriter w;
    w.beginObject();
    w.key("old");
    w.string(oldPath);
    w.key("new");
    w.string(newPath);
    w.key("same");
    w.boolean(c.same());
    w.key("changes");
    w.beginArray();
    for (const Change& ch : c.changes) change(w, c, ch);
    w.endArray();
    w.endObject();
    return w.text() + '\n';
}

std::string drawingText(const Document& doc) {
    std::string out;
    for (const ChartElement& e : comparedElements(doc)) out += describeElement(e, kEnglishWords) + '\n';
    return out;
}

}  // namespace qm::cli
