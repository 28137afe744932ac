#include "edit/odf_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

#include "edit/xml_text.h"
#include "model/editor.h"

namespace qm {
namespace {

constexpr const char* kNamespaces =
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " office:version=\"1.2\"";

std::string mm(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.3fmm", std::abs(v) < 0.0005 ? 0.0 : v);
    return buf;
}

std::string colour(Color c) { return hexColour(c, false); }

std::string attr(const char* name, const std::string& value) { return xmlAttribute(name, value); }

// LibreOffice's own glue points of any figure, by number: the middles of the
// box's top, right, bottom and left edges. Ours are left, right, top, bottom.
constexpr int kOwnGluePoint[4] = {3, 1, 0, 2};
PointF ownGluePoint(const BoxF& b, int point) {
    const float cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
    const PointF at[4] = {{b.left, cy}, {b.right, cy}, {cx, b.top}, {cx, b.bottom}};
    return at[point];
}
bool coincide(PointF a, PointF b) { return std::abs(a.x - b.x) < 0.5f && std::abs(a.y - b.y) < 0.5f; }

class Writer {
public:
    Writer(const OdfPage& page, const FontFamilies& families) : page_(page), families_(families) {}

    std::string x(float twips) const { return mm(page_.leftMm + twips * page_.mmPerTwip); }
    std::string y(float twips) const { return mm(page_.topMm + twips * page_.mmPerTwip); }
    std::string len(float twips) const { return mm(twips * page_.mmPerTwip); }
    std::string box(const BoxF& b) const {
        return attr("svg:x", x(b.left)) + attr("svg:y", y(b.top)) + attr("svg:width", len(b.right - b.left)) +
               attr("svg:height", len(b.bottom - b.top));
    }

    double mmPerTwip() const { return page_.mmPerTwip; }
    std::string text(std::string_view t) { return xmlEscaped(t, replaced); }

    // An automatic style of `family` with these properties, made once.
    std::string style(const char* family, const char* prefix, const std::string& properties) {
        const std::string key = std::string(family) + properties;
        auto [at, fresh] = styles_.try_emplace(key, prefix + std::to_string(styles_.size() + 1));
        if (fresh)
            autoStyles_ += "<style:style" + attr("style:name", at->second) + attr("style:family", family) + ">" +
                           properties + "</style:style>";
        return at->second;
    }

    std::string strokeStyle(Color c, bool dotted, bool head) {
        std::string p = "<style:graphic-properties draw:fill=\"none\"" + attr("svg:stroke-color", colour(c)) +
                        attr("svg:stroke-width", len(kTwipsPerPixel));
        p += dotted ? " draw:stroke=\"dash\" draw:stroke-dash=\"Dot\"" : " draw:stroke=\"solid\"";
        if (head) p += " draw:marker-end=\"Arrowhead\"" + attr("draw:marker-end-width", len(10 * kTwipsPerPixel));
        return style("graphic", "gr", p + "/>");
    }

    // A figure's texts centred in it, without padding and without growing it.
    std::string figureStyle(Color c) {
        return style("graphic", "gr",
                     "<style:graphic-properties draw:fill=\"none\" draw:stroke=\"solid\"" +
                         attr("svg:stroke-color", colour(c)) + attr("svg:stroke-width", len(kTwipsPerPixel)) +
                         " draw:auto-grow-width=\"false\" draw:auto-grow-height=\"false\" fo:padding-left=\"0mm\" fo:padding-right=\"0mm\" fo:padding-top=\"0mm\" fo:padding-bottom=\"0mm\""
                         " fo:wrap-option=\"no-wrap\" draw:textarea-horizontal-align=\"center\""
                         " draw:textarea-vertical-align=\"middle\"/>");
    }

    // A label's text frame at its place. A reader whose face is wider than the
    // one the label was measured with would break its line: the frame grows along
    // its line instead (to the right, or down for vertical writing).
    std::string frameStyle(bool vertical) {
        std::string p = "<style:graphic-properties draw:fill=\"none\" draw:stroke=\"none\" fo:padding-left=\"0mm\" fo:padding-right=\"0mm\" fo:padding-top=\"0mm\" fo:padding-bottom=\"0mm\"";
        p += vertical ? " draw:auto-grow-width=\"false\" draw:auto-grow-height=\"true\""
                        " draw:textarea-horizontal-align=\"right\" draw:textarea-vertical-align=\"top\"/>"
                        "<style:paragraph-properties style:writing-mode=\"tb-rl\"/>"
                      : " draw:auto-grow-width=\"true\" draw:auto-grow-height=\"false\""
                        " draw:textarea-horizontal-align=\"left\" draw:textarea-vertical-align=\"top\"/>";
        return style("graphic", "gr", p);
    }

    std::string paragraphStyle(const LabelEl& l, const char* align, float spaceBelow) {
        const std::string face = fontFace(l.fontName);
        const double points = l.fontSize * page_.mmPerTwip / (25.4 / 1440);
        char size[32];
        std::snprintf(size, sizeof size, "%.2fpt", points);
        const std::string font = attr("style:font-name", face) + attr("style:font-name-asian", face) +
                                 attr("style:font-name-complex", face);
        const std::string sizes = attr("fo:font-size", size) + attr("style:font-size-asian", size) +
                                  attr("style:font-size-complex", size);
        return style("paragraph", "P",
                     // No extra space between Chinese and Latin letters, which the chart has none of.
                     "<style:paragraph-properties" + attr("fo:text-align", align) +
                         " style:text-autospace=\"none\" style:punctuation-wrap=\"simple\"" +
                         attr("fo:margin-bottom", len(spaceBelow)) + "/><style:text-properties" + font + sizes +
                         attr("fo:color", colour(l.foreColor)) + "/>");
    }

    // One paragraph per line of the caption, spaces and tabs kept.
    // `spaceBelow`: twips between the caption's last line and what follows it.
    std::string paragraphs(const LabelEl& l, const char* align, float spaceBelow = 0) {
        const std::string ps = paragraphStyle(l, align, 0), last = paragraphStyle(l, align, spaceBelow);
        std::string out;
        std::string_view rest = l.caption;
        while (true) {
            const size_t nl = rest.find('\n');
            std::string_view line = rest.substr(0, nl);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            const bool end = nl == std::string_view::npos;
            out += "<text:p" + attr("text:style-name", end ? last : ps) + ">" + spans(line) + "</text:p>";
            if (end) break;
            rest.remove_prefix(nl + 1);
        }
        return out;
    }

    std::string fontDecls() const {
        std::string out = "<office:font-face-decls>";
        for (const auto& [name, decl] : faces_) out += decl;
        return out + "</office:font-face-decls>";
    }
    const std::string& autoStyles() const { return autoStyles_; }

    int replaced = 0;

private:
    std::string spans(std::string_view line) {
        std::string out;
        size_t spaces = 0;
        const auto flushSpaces = [&](bool atStart) {
            if (spaces == 0) return;
            // XML readers fold runs of spaces; the first of a run stays a space.
            size_t kept = atStart ? 0 : 1;
            out.append(kept, ' ');
            if (spaces > kept) out += "<text:s" + attr("text:c", std::to_string(spaces - kept)) + "/>";
            spaces = 0;
        };
        size_t start = 0;
        for (size_t k = 0; k <= line.size(); ++k) {
            const char c = k < line.size() ? line[k] : '\0';
            if (k < line.size() && c != ' ' && c != '\t') continue;
            if (k > start) {
                flushSpaces(out.empty());
                out += text(line.substr(start, k - start));
            }
            if (c == ' ') ++spaces;
            if (c == '\t') flushSpaces(out.empty()), out += "<text:tab/>";
            start = k + 1;
        }
        flushSpaces(out.empty());
        return out;
    }

    // The face declared for a document's font name, by the name's own text (made
    // safe once: the declaration is written once, whatever refers to it).
    const std::string& fontFace(const std::string& documentName) {
        auto [at, fresh] = faceNames_.try_emplace(documentName);
        if (fresh) {
            at->second = text(documentName.empty() ? std::string(kDefaultFontName) : documentName);
            std::string list;
            for (const std::string& f : families_(documentName)) list += (list.empty() ? "" : ";") + f;
            faces_[at->second] = "<style:font-face" + attr("style:name", at->second) +
                                 attr("svg:font-family", "'" + text(list) + "'") + "/>";
        }
        return at->second;
    }

    const OdfPage& page_;
    const FontFamilies& families_;
    std::map<std::string, std::string> styles_;
    std::string autoStyles_;
    std::map<std::string, std::string> faces_;      // declarations by face name
    std::map<std::string, std::string> faceNames_;  // face names by document font name
};

std::string lineElement(Writer& w, const ChartLine& l, bool head = false) {
    return "<draw:line" + attr("draw:style-name", w.strokeStyle(l.color, l.dotted, head)) +
           attr("svg:x1", w.x(l.from.x)) + attr("svg:y1", w.y(l.from.y)) + attr("svg:x2", w.x(l.to.x)) +
           attr("svg:y2", w.y(l.to.y)) + "><text:p/></draw:line>";
}

std::string textFrame(Writer& w, const ChartText& t) {
    const LabelEl& l = *t.label;
    const BoxF b{l.left, l.top, l.left + l.width, l.top + l.height};
    const char* minimum = t.vertical ? "fo:min-height" : "fo:min-width";
    return "<draw:frame" + attr("draw:style-name", w.frameStyle(t.vertical)) + w.box(b) + "><draw:text-box" +
           attr(minimum, w.len(t.vertical ? l.height : l.width)) + ">" + w.paragraphs(l, "start") +
           "</draw:text-box></draw:frame>";
}

std::string figureElement(Writer& w, const ChartFigure& f) {
    std::string glue;
    for (int k = 0; k < 4; ++k) {
        const PointF p = f.points[static_cast<size_t>(k)];
        if (coincide(p, ownGluePoint(f.box, k))) continue;
        static const char* const escape[4] = {"left", "right", "up", "down"};
        glue += "<draw:glue-point" + attr("draw:id", std::to_string(4 + k)) + attr("draw:align", "top-left") +
                attr("svg:x", w.len(p.x - f.box.left)) + attr("svg:y", w.len(p.y - f.box.top)) +
                attr("draw:escape-direction", escape[k]) + "/>";
    }
    // The texts as far apart as they lie in the figure.
    std::string texts;
    for (size_t k = 0; k < f.texts.size(); ++k) {
        const LabelEl& l = *f.texts[k];
        const float below = k + 1 < f.texts.size() ? std::max(0.0f, f.texts[k + 1]->top - (l.top + l.height)) : 0;
        texts += w.paragraphs(l, "center", below);
    }
    const std::string common = attr("draw:style-name", w.figureStyle(f.color)) + attr("draw:name", f.id) +
                               attr("draw:id", f.id) + attr("xml:id", f.id) + w.box(f.box);
    std::string shape;
    switch (f.kind) {
        case FigureKind::Rectangle: shape = "<draw:rect" + common + ">" + glue + texts + "</draw:rect>"; break;
        case FigureKind::RoundedRectangle:
            shape = "<draw:rect" + common +
                    attr("draw:corner-radius", w.len(std::min(f.box.right - f.box.left, f.box.bottom - f.box.top) / 6)) +
                    ">" + glue + texts + "</draw:rect>";
            break;
        case FigureKind::Ellipse: shape = "<draw:ellipse" + common + ">" + glue + texts + "</draw:ellipse>"; break;
        case FigureKind::Diamond:
            shape = "<draw:custom-shape" + common + ">" + glue + texts +
                    "<draw:enhanced-geometry svg:viewBox=\"0 0 21600 21600\" draw:type=\"flowchart-decision\""
                    " draw:text-areas=\"0 0 21600 21600\""
                    " draw:enhanced-path=\"M 0 10800 L 10800 0 21600 10800 10800 21600 Z N\"/></draw:custom-shape>";
            break;
    }
    if (!f.divider) return shape;
    // The divider moves with its figure.
    return "<draw:g" + attr("draw:name", f.id + " group") + ">" + shape + lineElement(w, *f.divider) + "</draw:g>";
}

std::string glueAttrs(const EditableChart& chart, const ChartArrowEnd& end, const char* which) {
    if (!end.figure) return {};
    const ChartFigure& f = chart.figures[*end.figure];
    const bool own = coincide(f.points[static_cast<size_t>(end.point)], ownGluePoint(f.box, end.point));
    const int id = own ? kOwnGluePoint[end.point] : 4 + end.point;
    return attr((std::string("draw:") + which + "-shape").c_str(), f.id) +
           attr((std::string("draw:") + which + "-glue-point").c_str(), std::to_string(id));
}

std::string arrowElement(Writer& w, const EditableChart& chart, const ChartArrow& a) {
    const std::string st = attr("draw:style-name", w.strokeStyle(a.color, a.dotted, a.head));
    const PointF s = a.points.front(), e = a.points.back();
    if (a.start.figure || a.end.figure) {
        // A glued arrow of several segments is routed by the reader; one segment
        // stays a straight line between its ends.
        const bool straight = a.points.size() == 2;
        return "<draw:connector" + st + attr("draw:type", straight ? "line" : "standard") + attr("svg:x1", w.x(s.x)) +
               attr("svg:y1", w.y(s.y)) + attr("svg:x2", w.x(e.x)) + attr("svg:y2", w.y(e.y)) +
               glueAttrs(chart, a.start, "start") + glueAttrs(chart, a.end, "end") + "><text:p/></draw:connector>";
    }
    if (a.points.size() == 2) return lineElement(w, {s, e, a.color, a.dotted}, a.head);
    // Free at both ends: a polyline keeps every bend.
    float l = s.x, t = s.y, r = s.x, b = s.y;
    for (PointF p : a.points) l = std::min(l, p.x), t = std::min(t, p.y), r = std::max(r, p.x), b = std::max(b, p.y);
    // The view box counts in hundredths of a millimetre, at least one of them.
    const double scale = 100 * w.mmPerTwip();
    const long vw = std::max(1L, std::lround((r - l) * scale)), vh = std::max(1L, std::lround((b - t) * scale));
    std::string points;
    for (PointF p : a.points)
        points += (points.empty() ? "" : " ") + std::to_string(std::lround((p.x - l) * scale)) + "," +
                  std::to_string(std::lround((p.y - t) * scale));
    return "<draw:polyline" + st + attr("svg:x", w.x(l)) + attr("svg:y", w.y(t)) +
           attr("svg:width", mm(static_cast<double>(vw) / 100)) + attr("svg:height", mm(static_cast<double>(vh) / 100)) +
           attr("svg:viewBox", "0 0 " + std::to_string(vw) + " " + std::to_string(vh)) + attr("draw:points", points) +
           "><text:p/></draw:polyline>";
}

std::string titleBlockElement(Writer& w, const ChartTitleBlock& t) {
    std::string out = "<draw:g draw:name=\"title block\">";
    out += "<draw:rect" + attr("draw:style-name", w.figureStyle(t.color)) + w.box(t.frame) +
           "><text:p/></draw:rect>";
    for (const ChartLine& l : t.dividers) out += lineElement(w, l);
    for (const ChartText& text : t.texts) out += textFrame(w, text);
    return out + "</draw:g>";
}

std::string commonStyles() {
    return "<office:styles>"
           "<draw:marker draw:name=\"Arrowhead\" svg:viewBox=\"0 0 20 20\" svg:d=\"M10 0L20 20H0Z\"/>"
           "<draw:stroke-dash draw:name=\"Dot\" draw:style=\"rect\" draw:dots1=\"1\" draw:dots1-length=\"100%\""
           " draw:distance=\"100%\"/>"
           "</office:styles>";
}

std::string pageStyles(const OdfPage& page) {
    return "<style:page-layout style:name=\"PM1\"><style:page-layout-properties fo:margin-top=\"0mm\""
           " fo:margin-bottom=\"0mm\" fo:margin-left=\"0mm\" fo:margin-right=\"0mm\"" +
           attr("fo:page-width", mm(page.widthMm)) + attr("fo:page-height", mm(page.heightMm)) +
           attr("style:print-orientation", page.widthMm > page.heightMm ? "landscape" : "portrait") +
           "/></style:page-layout>"
           "<style:style style:name=\"dp1\" style:family=\"drawing-page\">"
           "<style:drawing-page-properties draw:fill=\"none\"/></style:style>";
}

constexpr const char* kMasterStyles =
    "<office:master-styles><style:master-page style:name=\"Default\" style:page-layout-name=\"PM1\""
    " draw:style-name=\"dp1\"/></office:master-styles>";

}  // namespace

OdfDrawing odfDrawing(const EditableChart& chart, const OdfPage& page, const FontFamilies& families, OdfForm form) {
    Writer w(page, families);
    // The shapes, the bulk of the file, name the styles written before them.
    std::string shapes;
    for (const ChartFigure& f : chart.figures) shapes += figureElement(w, f);
    for (const ChartArrow& a : chart.arrows) shapes += arrowElement(w, chart, a);
    for (const ChartText& t : chart.texts) shapes += textFrame(w, t);
    if (chart.titleBlock) shapes += titleBlockElement(w, *chart.titleBlock);
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    const auto withBody = [&](std::string front, const char* end) {
        const std::string_view open = "<office:body><office:drawing><draw:page draw:name=\"page1\""
                                      " draw:master-page-name=\"Default\">";
        const std::string_view close = "</draw:page></office:drawing></office:body>";
        front.reserve(front.size() + open.size() + shapes.size() + close.size() + std::strlen(end));
        front.append(open).append(shapes).append(close).append(end);
        std::string().swap(shapes);
        return front;
    };
    OdfDrawing out;
    if (form == OdfForm::Package) {
        out.content = withBody(head + "<office:document-content" + kNamespaces + ">" + w.fontDecls() +
                                   "<office:automatic-styles>" + w.autoStyles() + "</office:automatic-styles>",
                               "</office:document-content>\n");
        out.styles = head + "<office:document-styles" + kNamespaces + ">" + w.fontDecls() + commonStyles() +
                     "<office:automatic-styles>" + pageStyles(page) + "</office:automatic-styles>" + kMasterStyles +
                     "</office:document-styles>\n";
    } else {
        out.content = withBody(head + "<office:document" + kNamespaces +
                                   attr("office:mimetype", std::string(kOdgMimeType)) + ">" + w.fontDecls() +
                                   commonStyles() + "<office:automatic-styles>" + pageStyles(page) + w.autoStyles() +
                                   "</office:automatic-styles>" + kMasterStyles,
                               "</office:document>\n");
    }
    out.replaced = w.replaced;
    return out;
}

std::string odfManifest() {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\""
           " manifest:version=\"1.2\">"
           "<manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.2\"" +
           attr("manifest:media-type", std::string(kOdgMimeType)) +
           "/>"
           "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
           "<manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>"
           "</manifest:manifest>\n";
}

}  // namespace qm
