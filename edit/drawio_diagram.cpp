#include "edit/drawio_diagram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "edit/xml_text.h"
#include "model/editor.h"

namespace qm {
namespace {

std::string px(float twips) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", static_cast<double>(twips) / kTwipsPerPixel);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string fraction(float part, float whole) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4f", whole > 0 ? static_cast<double>(part / whole) : 0.5);
    std::string s = buf;
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

std::string colour(Color c) { return hexColour(c, true); }

std::string attr(const char* name, const std::string& value) { return xmlAttribute(name, value); }

class Writer {
public:
    explicit Writer(const FontFamilies& families) : families_(families) {}

    std::string text(std::string_view t) { return xmlEscaped(t, replaced); }

    // A style's font: the faces as one CSS-like list (a style value holds no ';').
    std::string font(const LabelEl& l) {
        auto [at, fresh] = fontLists_.try_emplace(l.fontName);
        if (fresh)
            for (std::string f : families_(l.fontName)) {
                std::replace_if(f.begin(), f.end(), [](char c) { return c == ';' || c == '=' || c == ','; }, ' ');
                at->second += (at->second.empty() ? "" : ",") + f;
            }
        return "fontFamily=" + at->second + ";fontSize=" + px(l.fontSize * 20) + ";fontColor=" + colour(l.foreColor) +
               ";";
    }

    std::string geometry(float left, float top, float width, float height) {
        return "<mxGeometry" + attr("x", px(left)) + attr("y", px(top)) + attr("width", px(width)) +
               attr("height", px(height)) + " as=\"geometry\"/>";
    }

    std::string cell(const std::string& id, const std::string& parent, const std::string& value,
                     const std::string& style, const std::string& kind, const std::string& inner) {
        return "<mxCell" + attr("id", id) + attr("value", value) + attr("style", text(style)) + " " + kind + "=\"1\"" +
               attr("parent", parent) + ">" + inner + "</mxCell>";
    }

    // A label as a text vertex at its box; `dx`, `dy`: its parent's corner.
    std::string textVertex(const ChartText& t, const std::string& id, const std::string& parent, float dx = 0,
                           float dy = 0) {
        const LabelEl& l = *t.label;
        const std::string place = geometry(l.left - dx, l.top - dy, l.width, l.height);
        const std::string look = "spacing=0;align=left;verticalAlign=top;autosize=0;" + font(l) +
                                 "strokeColor=none;fillColor=none;";
        if (!t.vertical) return cell(id, parent, text(l.caption), "text;html=0;whiteSpace=nowrap;" + look, "vertex", place);
        // A vertical label wraps at its narrow width, one character a line, as in
        // the chart; draw.io wraps only a label it reads as HTML.
        std::string html;
        for (const char c : l.caption) {
            switch (c) {
                case '&': html += "&amp;"; break;
                case '<': html += "&lt;"; break;
                case '>': html += "&gt;"; break;
                case '\n': html += "<br>"; break;
                case '\r': break;
                default: html += c;
            }
        }
        return cell(id, parent, text(html), "text;html=1;whiteSpace=wrap;" + look, "vertex", place);
    }

    std::string lineEdge(const ChartLine& l, const std::string& id, const std::string& parent, float dx, float dy) {
        const std::string style = "endArrow=none;html=0;strokeColor=" + colour(l.color) + ";" +
                                  (l.dotted ? "dashed=1;dashPattern=1 2;" : "");
        return cell(id, parent, "", style, "edge",
                    "<mxGeometry relative=\"1\" as=\"geometry\"><mxPoint" + attr("x", px(l.from.x - dx)) +
                        attr("y", px(l.from.y - dy)) + " as=\"sourcePoint\"/><mxPoint" + attr("x", px(l.to.x - dx)) +
                        attr("y", px(l.to.y - dy)) + " as=\"targetPoint\"/></mxGeometry>");
    }

    int replaced = 0;

private:
    const FontFamilies& families_;
    std::map<std::string, std::string> fontLists_;  // looking faces up is slow; labels share a few
};

std::string figureVertex(Writer& w, const ChartFigure& f) {
    std::string style;
    switch (f.kind) {
        case FigureKind::Rectangle: style = "rounded=0;"; break;
        case FigureKind::RoundedRectangle: style = "rounded=1;"; break;
        case FigureKind::Ellipse: style = "ellipse;"; break;
        case FigureKind::Diamond: style = "rhombus;"; break;
    }
    style += "whiteSpace=wrap;html=0;fillColor=none;strokeColor=" + colour(f.color) + ";";
    std::string value;
    for (const LabelEl* l : f.texts) value += (value.empty() ? "" : "\n") + l->caption;
    if (!f.texts.empty()) style += w.font(*f.texts.front());
    return w.cell(f.id, "1", w.text(value), style, "vertex",
                  w.geometry(f.box.left, f.box.top, f.box.right - f.box.left, f.box.bottom - f.box.top));
}

std::string point(float x, float y, const char* as = nullptr) {
    return "<mxPoint" + attr("x", px(x)) + attr("y", px(y)) + (as ? attr("as", as) : std::string()) + "/>";
}

std::string arrowEdge(Writer& w, const EditableChart& chart, const ChartArrow& a) {
    std::string style = "edgeStyle=none;rounded=0;html=0;startArrow=none;";
    style += a.head ? "endArrow=block;endFill=1;" : "endArrow=none;";
    style += "strokeColor=" + colour(a.color) + ";" + (a.dotted ? "dashed=1;dashPattern=1 2;" : "");
    std::string ends;
    const auto glued = [&](const ChartArrowEnd& end, const char* which, const char* role) {
        if (!end.figure) return;
        const ChartFigure& f = chart.figures[*end.figure];
        const PointF p = f.points[static_cast<size_t>(end.point)];
        style += std::string(which) + "X=" + fraction(p.x - f.box.left, f.box.right - f.box.left) + ";" + which +
                 "Y=" + fraction(p.y - f.box.top, f.box.bottom - f.box.top) + ";" + which + "Dx=0;" + which +
                 "Dy=0;" + which + "Perimeter=0;";
        ends += attr(role, f.id);
    };
    glued(a.start, "exit", "source");
    glued(a.end, "entry", "target");
    std::string geometry = "<mxGeometry relative=\"1\" as=\"geometry\">" + point(a.start.at.x, a.start.at.y, "sourcePoint") +
                           point(a.end.at.x, a.end.at.y, "targetPoint");
    if (a.points.size() > 2) {
        geometry += "<Array as=\"points\">";
        for (size_t k = 1; k + 1 < a.points.size(); ++k) geometry += point(a.points[k].x, a.points[k].y);
        geometry += "</Array>";
    }
    geometry += "</mxGeometry>";
    return "<mxCell" + attr("id", "arrow" + std::to_string(a.index)) + attr("value", "") + attr("style", w.text(style)) +
           " edge=\"1\"" + attr("parent", "1") + ends + ">" + geometry + "</mxCell>";
}

std::string titleBlockGroup(Writer& w, const ChartTitleBlock& t) {
    // A child's geometry is relative to its group's corner.
    BoxF all = t.frame;
    for (const ChartText& text : t.texts)
        all = unite(all, {text.label->left, text.label->top, text.label->left + text.label->width,
                          text.label->top + text.label->height});
    const std::string g = "titleblock";
    std::string out = w.cell(g, "1", "", "group;", "connectable=\"0\" vertex",
                             w.geometry(all.left, all.top, all.right - all.left, all.bottom - all.top));
    out += w.cell(g + "-frame", g, "", "rounded=0;html=0;fillColor=none;strokeColor=" + colour(t.color) + ";",
                  "vertex",
                  w.geometry(t.frame.left - all.left, t.frame.top - all.top, t.frame.right - t.frame.left,
                             t.frame.bottom - t.frame.top));
    for (size_t k = 0; k < t.dividers.size(); ++k)
        out += w.lineEdge(t.dividers[k], g + "-line" + std::to_string(k + 1), g, all.left, all.top);
    for (size_t k = 0; k < t.texts.size(); ++k)
        out += w.textVertex(t.texts[k], g + "-text" + std::to_string(k + 1), g, all.left, all.top);
    return out;
}

}  // namespace

DrawioDiagram drawioDiagram(const EditableChart& chart, const FontFamilies& families, std::string_view title) {
    Writer w(families);
    DrawioDiagram out;
    // Written straight into the file's text: the largest chart is held once.
    std::string& x = out.xml;
    x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<mxfile host=\"Quillmap\"><diagram id=\"page1\"" +
        attr("name", w.text(title)) +
        "><mxGraphModel grid=\"0\" gridSize=\"10\" guides=\"1\" tooltips=\"1\" connect=\"1\" arrows=\"1\""
        " fold=\"1\" page=\"0\" pageScale=\"1\" math=\"0\" shadow=\"0\"><root>"
        "<mxCell id=\"0\"/><mxCell id=\"1\" parent=\"0\"/>";
    for (const ChartFigure& f : chart.figures) x += figureVertex(w, f);
    for (const ChartArrow& a : chart.arrows) x += arrowEdge(w, chart, a);
    for (size_t k = 0; k < chart.texts.size(); ++k) x += w.textVertex(chart.texts[k], "text" + std::to_string(k + 1), "1");
    if (chart.titleBlock) x += titleBlockGroup(w, *chart.titleBlock);
    x += "</root></mxGraphModel></diagram></mxfile>\n";
    out.replaced = w.replaced;
    return out;
}

}  // namespace qm
