// Every frame the canvas shows equals a full repaint of the same state, pixel for
// pixel: random sequences of what a user does (inserting and carrying every kind,
// drops, drags of one element and of several, resizing, handle drags, nudges, 全选
// and clearing it, paste, undo and redo, Esc, zoom steps), each event going into
// the core and the canvas's drawing brought in line as the editing view does it,
// with the idle preparation of 全选 run whole, in part or not at all between
// events. After each event the screen, built only from what was repainted, is
// compared with the drawing painted afresh, at every zoom step and device pixel
// ratios 1, 1.25, 1.5 and 2. A failure prints its seed and the shortest sequence
// found that still fails.
//
// QM_FRAMES_SEQUENCES=n runs n sequences (a campaign) at every zoom and ratio,
// QM_FRAMES_SEED=s starts at seed s, QM_FRAMES_LENGTH=n makes each n events long,
// QM_FRAMES_RATIO=r keeps to one ratio, QM_FRAMES_ZOOMS=100,200 to those zooms.
// Seed by seed the sequences take the ratios in turn and start at the zooms in
// turn, so that the test command's own few sequences meet every ratio and zoom.
#include <QPainter>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <tuple>

#include "edit/clipboard.h"
#include "edit/insert.h"
#include "edit/quillmap_commands.h"
#include "edit/undo.h"
#include "interact/move.h"
#include "interact/pointer.h"
#include "interact/pointer_routing.h"
#include "interact/selection.h"
#include "interact/timers.h"
#include "model/chart_elements.h"
#include "model/element_parts.h"
#include "model/moving_parts.h"
#include "model/labels.h"
#include "model/null_host.h"
#include "model/sel_kind.h"
#include "model/text_metrics_cache.h"
#include "model/title_block.h"
#include "render/canvas_frames.h"
#include "render/qt_text_metrics.h"

namespace qm {
namespace {

constexpr std::array<qreal, 9> kZooms{0.25, 0.5, 0.75, 1, 1.25, 1.5, 2, 3, 4};
constexpr std::array<qreal, 4> kRatios{1, 1.25, 1.5, 2};
const QSize kClient(957, 637);   // the canvas's client area at 100%
const QSize kWindow(957, 637);   // the part of the canvas a window shows
const QPoint kFrame(2, 2);       // where the client area lies in the widget
constexpr float kTwips = 15;     // to a pixel at 100%

// The zoom steps the sequences go through (indices into kZooms): all of them, or
// those of QM_FRAMES_ZOOMS (percentages, comma separated).
const std::vector<int>& zoomSteps() {
    static const std::vector<int> steps = [] {
        std::vector<int> out;
        for (const QByteArray& p : qgetenv("QM_FRAMES_ZOOMS").split(','))
            for (size_t k = 0; k < kZooms.size(); ++k)
                if (!p.isEmpty() && std::lround(kZooms[k] * 100) == p.toInt()) out.push_back(static_cast<int>(k));
        if (out.empty())
            for (size_t k = 0; k < kZooms.size(); ++k) out.push_back(static_cast<int>(k));
        return out;
    }();
    return steps;
}

// One event, with all it needs to be replayed without the state it was chosen in.
struct Event {
    enum Op { Press, Move, Release, Insert, SelectAll, Paste, Undo, Redo, Escape, Key, Zoom, Idle } op;
    int a = 0, b = 0;      // button or command, shift; zoom step; idle steps (-1: all)
    float x = 0, y = 0;    // twips; for a zoom, where the window's corner lies (pixels)
};

std::string describe(const Event& e) {
    static const char* names[] = {"press", "move",  "release", "insert", "selectAll", "paste",
                                  "undo",  "redo",  "escape",  "key",    "zoom",      "idle"};
    char line[128];
    std::snprintf(line, sizeof line, "%s a=%d b=%d x=%g y=%g", names[e.op], e.a, e.b, static_cast<double>(e.x),
                  static_cast<double>(e.y));
    return line;
}

struct IdleHost : NullHost {
    std::function<bool()> idle;
    bool timer1 = false;
    // Where the pointer is, in canvas pixels as the screen's: the label timer,
    // which carries a new or dragged label, reads it from there.
    ScreenPoint pointer;
    ScreenPoint cursorPos() override { return pointer; }
    void whenIdle(int, std::function<bool()> step) override { idle = std::move(step); }
    void setTimerEnabled(TimerId t, bool on) override {
        if (t == TimerId::Timer1) timer1 = on;
    }
};

// What the editing view compares before and after a move: when it changed, the
// move is taken as any other event.
auto glanceOf(const Editor& ed) {
    const Document& d = ed.doc;
    return std::tuple(d.selKind, d.selIndex, ed.drag.hitIndex, d.isModified(), d.shapeCount, d.labelCount, d.arrowCount,
                      d.segCount, d.diamondCount, ed.text1.visible, ed.text2.visible);
}

// The editor and its canvas, driven as the editing view drives them; the screen
// is a window onto the canvas, painted only where the canvas asked.
class Session {
public:
    Session(qreal dpr, size_t layerFrom) : dpr_(dpr), frames_(layerFrom) {
        frames_.setIdleHost(&host_, [this] { return selectedByAll(ed_); });
        startUp(ed_);
        startHistory(ed_, Layout::Quillmap);
        frames_.setDocument(&ed_.doc);
        zoom(3, 0, 0);
    }

    // Runs an event; false when its frame differs from a full repaint, `diff`
    // then says by how many pixels.
    bool run(const Event& given, int& diff) {
        Event e = given;
        // The pointer comes in whole device pixels of the screen, as the canvas
        // widget turns them into twips.
        const auto perDevicePixel = static_cast<float>(kTwipsPerPixel / zoomNow() / dpr_);
        e.x = std::round(e.x / perDevicePixel) * perDevicePixel;
        e.y = std::round(e.y / perDevicePixel) * perDevicePixel;
        if (given.op == Event::Zoom) e = given;
        if (e.op == Event::Press || e.op == Event::Move || e.op == Event::Release)
            host_.pointer = {static_cast<int>(std::lround(e.x / ed_.twipsPerScreenPixel)),
                             static_cast<int>(std::lround(e.y / ed_.twipsPerScreenPixel))};
        switch (e.op) {
            case Event::Press:
                pointerDown(ed_, e.a, e.b, e.x, e.y);
                refresh();
                break;
            case Event::Move:
                pointerMove(ed_, e.a, e.b, e.x, e.y);
                if (e.a && ed_.capture.kind == PointerTarget::None)
                    refresh();
                else
                    afterMove();
                if (host_.timer1) {  // the label timer's tick that follows
                    timer1Tick(ed_);
                    afterMove();
                }
                break;
            case Event::Release:
                pointerUp(ed_, e.a, e.b, e.x, e.y);
                refresh();
                break;
            case Event::Insert: insert(e.a); refresh(); break;
            case Event::SelectAll: selectAll(ed_); refresh(); break;
            case Event::Paste: {
                const std::vector<ElementRef> chosen = copyableSelection(ed_.doc);
                if (!chosen.empty()) pasteElements(ed_, extractElements(ed_.doc, chosen), 1 + e.a % 3);
                refresh();
                break;
            }
            case Event::Undo: undo(ed_); refresh(); break;
            case Event::Redo: redo(ed_); refresh(); break;
            case Event::Escape: escape(ed_); refresh(); break;
            case Event::Key: canvasKeyDown(ed_, e.a, e.b); refresh(); break;
            case Event::Zoom: zoom(e.a, static_cast<int>(e.x), static_cast<int>(e.y)); break;
            case Event::Idle:
                for (int k = 0; host_.idle && (e.a < 0 || k < e.a) && k < 100000; ++k)
                    if (!host_.idle()) break;
                break;
        }
        show();
        ++frames;
        diff = differences();
        return diff == 0;
    }

    const Editor& editor() const { return ed_; }
    // What typing `caption` into label `i`'s box and leaving it would leave.
    void retype(int i, const std::string& caption) {
        setCaption(*ed_.doc.Label.find(i), caption, ed_.metrics);
        refresh();
        show();
    }
    // One step of the work asked for idle moments; whether more remains.
    bool idleStep() { return host_.idle && host_.idle(); }
    qreal zoomNow() const { return kZooms[static_cast<size_t>(zoomStep_)]; }
    int frames = 0;

private:
    void insert(int what) {
        switch (what % 10) {
            case 0: insertShape(ed_, ShapeStyle::Rectangle); break;
            case 1: insertShape(ed_, ShapeStyle::Oval); break;
            case 2: insertDiamond(ed_); break;
            case 3: insertLabel(ed_, false); break;
            case 4: insertLabel(ed_, true); break;
            case 5: insertStraightArrow(ed_, Dir::Up); break;
            case 6: insertStraightArrow(ed_, Dir::Right); break;
            case 7: insertStraightArrow(ed_, Dir::Down); break;
            case 8: insertStraightArrow(ed_, Dir::Left); break;
            default: insertPolylineArrow(ed_); break;
        }
    }

    void refresh() {
        frames_.setMoving(movingParts(ed_, ed_.capture.kind != PointerTarget::None));
        unpainted_ += frames_.refreshDrawing();
        show();  // the frame goes out before the history settles
        settle(ed_);
        last_ = glanceOf(ed_);
    }

    void afterMove() {
        if (glanceOf(ed_) != last_) {
            refresh();
            return;
        }
        frames_.setMoving(movingParts(ed_, ed_.capture.kind != PointerTarget::None));
        unpainted_ += frames_.refreshMoving();
    }

    // A zoom step: the canvas widget takes its new size, the window shows the part
    // of it from `left`, `top` (widget pixels, as far as it reaches) and the
    // screen is painted anew, as when a scroll area shows a widget of a new size.
    void zoom(int step, int left, int top) {
        zoomStep_ = std::clamp(step, 0, static_cast<int>(kZooms.size()) - 1);
        const qreal z = zoomNow();
        const QSize widget = QSize(static_cast<int>(std::ceil(kClient.width() * z)),
                                   static_cast<int>(std::ceil(kClient.height() * z))) +
                             QSize(2 * kFrame.x(), 2 * kFrame.y());
        // Scrolled by steps of four pixels, which fall on whole device pixels at
        // every ratio tried.
        const auto within = [](int at, int spare) { return std::clamp(at / 4 * 4, 0, std::max(0, spare / 4 * 4)); };
        const QPoint corner(within(left, widget.width() - kWindow.width()), within(top, widget.height() - kWindow.height()));
        view_ = QRect(corner, kWindow) & QRect(QPoint(0, 0), widget);
        ed_.twipsPerScreenPixel = static_cast<float>(kTwipsPerPixel / z);
        frames_.place(kClient, z, dpr_, kFrame);
        screen_ = QImage((QSizeF(view_.size()) * dpr_).toSize(), QImage::Format_RGB32);
        screen_.setDevicePixelRatio(dpr_);
        screen_.fill(Qt::gray);
        unpainted_ = QRect(QPoint(0, 0), widget);
        show();
    }

    // What a paint event does with the areas asked for: the canvas paints them one
    // by one, a few boxes round them (dueAreas), and the screen takes only the
    // areas themselves.
    void show() {
        const QRect client(kFrame, QSize(static_cast<int>(std::ceil(kClient.width() * zoomNow())),
                                         static_cast<int>(std::ceil(kClient.height() * zoomNow()))));
        const QRegion due = (unpainted_ & view_) & client;
        unpainted_ = QRegion();
        if (due.isEmpty()) return;
        QImage painted = screen_.copy();
        painted.setDevicePixelRatio(dpr_);
        {
            QPainter p(&painted);
            p.translate(-view_.topLeft());
            for (const QRect& area : dueAreas(due)) frames_.paint(p, area, view_ & client);
        }
        frames_.framePainted();
        QPainter p(&screen_);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        for (const QRect& r : due) {
            const QRect device = QRectF(QPointF(r.topLeft() - view_.topLeft()) * dpr_, QSizeF(r.size()) * dpr_).toAlignedRect();
            QImage piece = painted.copy(device);
            piece.setDevicePixelRatio(1);
            p.save();
            p.resetTransform();
            p.scale(1 / dpr_, 1 / dpr_);
            p.drawImage(device.topLeft(), piece);
            p.restore();
        }
    }

    // Pixels in which the screen differs from the drawing painted afresh.
    int differences() {
        const QRect client(kFrame, QSize(static_cast<int>(std::ceil(kClient.width() * zoomNow())),
                                         static_cast<int>(std::ceil(kClient.height() * zoomNow()))));
        CanvasFrames fresh(std::numeric_limits<size_t>::max());
        fresh.setDocument(&ed_.doc);
        fresh.place(kClient, zoomNow(), dpr_, kFrame);
        QImage full = screen_.copy();
        full.setDevicePixelRatio(dpr_);
        {
            QPainter p(&full);
            p.translate(-view_.topLeft());
            fresh.paint(p, view_ & client, view_ & client);
        }
        lastFull = full;
        int n = 0;
        differing = QRect();
        for (int y = 0; y < full.height(); ++y) {
            const auto* a = reinterpret_cast<const QRgb*>(full.constScanLine(y));
            const auto* b = reinterpret_cast<const QRgb*>(screen_.constScanLine(y));
            for (int x = 0; x < full.width(); ++x)
                if (a[x] != b[x]) {
                    ++n;
                    differing |= QRect(x, y, 1, 1);
                }
        }
        return n;
    }

public:
    QImage lastFull;
    QRect differing;  // where the last frame compared differs, in the screen's device pixels
    const QImage& screen() const { return screen_; }

private:
    IdleHost host_;
    QtTextMetrics qt_;
    CachedTextMetrics metrics_{qt_};
    Editor ed_{host_, metrics_};
    qreal dpr_;
    CanvasFrames frames_;
    int zoomStep_ = 3;
    QRect view_;
    QImage screen_;
    QRegion unpainted_;
    decltype(glanceOf(std::declval<const Editor&>())) last_{};
};

// Chooses the events of a sequence from a seed, each from the state the earlier
// ones left: points on the elements there are, on their texts and their corners.
class Chooser {
public:
    explicit Chooser(uint32_t seed) : rng_(seed) {}

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    float any(float from, float to) { return std::uniform_real_distribution<float>(from, to)(rng_); }

    // Somewhere worth pressing: on an element, one of its texts or a corner of
    // its box (where handles lie), or on empty canvas.
    QPointF target(const Editor& ed) {
        std::vector<QRectF> boxes;
        for (const ElementRef& e : chartElements(ed.doc)) {
            const std::optional<BoxF> b = outlineOf(ed.doc, e);
            if (!b) continue;
            boxes.emplace_back(QPointF(b->left, b->top), QPointF(b->right, b->bottom));
            if (const ShapeRecord* r = e.kind == ElementKind::Shape ? ed.doc.shapeRecord(e.index) : nullptr)
                for (const int l : {r->label1, r->label2})
                    if (const LabelEl* t = ed.doc.Label.find(l); t && t->visible)
                        boxes.emplace_back(t->left, t->top, t->width, t->height);
        }
        if (boxes.empty() || pick(6) == 0) return {any(0, kClient.width() * kTwips), any(0, kClient.height() * kTwips)};
        const QRectF b = boxes[static_cast<size_t>(pick(static_cast<int>(boxes.size())))];
        switch (pick(3)) {
            case 0: return b.center();
            case 1: {
                const std::array<QPointF, 4> corners{b.topLeft(), b.topRight(), b.bottomLeft(), b.bottomRight()};
                return corners[static_cast<size_t>(pick(4))];
            }
            default: return {any(static_cast<float>(b.left()), static_cast<float>(b.right())),
                             any(static_cast<float>(b.top()), static_cast<float>(b.bottom()))};
        }
    }

    // The next gesture: one or several events.
    std::vector<Event> next(const Editor& ed) {
        std::vector<Event> out;
        const auto idle = [&] {
            switch (pick(4)) {
                case 0: out.push_back({Event::Idle, -1}); break;
                case 1: out.push_back({Event::Idle, 1 + pick(6)}); break;
                default: break;
            }
        };
        const auto point = [&](Event::Op op, int button, int shift, QPointF at) {
            out.push_back({op, button, shift, static_cast<float>(at.x()), static_cast<float>(at.y())});
        };
        const auto drag = [&](QPointF from, int steps) {
            point(Event::Press, 1, pick(5) == 0 ? 2 : 0, from);
            idle();
            QPointF at = from;
            for (int k = 0; k < steps; ++k) {
                at += QPointF(any(-1500, 1500), any(-1000, 1000));
                point(Event::Move, 1, 0, at);
                if (pick(3) == 0) idle();
            }
            point(Event::Release, 1, 0, at);
        };
        switch (pick(14)) {
            case 0:
            case 1: {  // a new element carried about, then dropped (an arrow: its points)
                const int kind = pick(10);
                out.push_back({Event::Insert, kind});
                QPointF at(any(0, kClient.width() * kTwips), any(0, kClient.height() * kTwips));
                for (int k = pick(4); k >= 0; --k) {
                    at += QPointF(any(-900, 900), any(-600, 600));
                    point(Event::Move, 0, 0, at);
                }
                point(Event::Press, 1, 0, at);
                point(Event::Release, 1, 0, at);
                if (kind >= 5) {  // an arrow's end, a polyline's further points
                    for (int k = kind == 9 ? 1 + pick(3) : 1; k > 0; --k) {
                        at += QPointF(any(-2500, 2500), any(-2000, 2000));
                        point(Event::Move, 0, 0, at);
                        point(Event::Press, 1, 0, at);
                        point(Event::Release, 1, 0, at);
                    }
                    if (kind == 9) {
                        point(Event::Press, 2, 0, at);
                        point(Event::Release, 2, 0, at);
                    }
                }
                break;
            }
            case 2:
            case 3:
            case 4: drag(target(ed), 1 + pick(4)); break;
            case 5: {  // a click, which selects, toggles or clears
                const QPointF at = target(ed);
                point(Event::Press, 1, pick(3) == 0 ? 2 : 0, at);
                point(Event::Release, 1, 0, at);
                break;
            }
            case 6: out.push_back({Event::SelectAll}); break;
            case 7: out.push_back({Event::Paste, pick(3)}); break;
            case 8: out.push_back({pick(3) == 0 ? Event::Redo : Event::Undo}); break;
            case 9: out.push_back({Event::Escape}); break;
            case 10: out.push_back({Event::Key, kLeftKey + pick(4), pick(2)}); break;
            case 11:
                out.push_back({Event::Zoom, zoomSteps()[static_cast<size_t>(pick(static_cast<int>(zoomSteps().size())))], 0,
                               static_cast<float>(pick(4000)), static_cast<float>(pick(3000))});
                break;
            case 12: {  // labels dropped one over another, as on a busy chart
                const QPointF around = target(ed);
                for (int k = 6 + pick(10); k > 0; --k) {
                    out.push_back({Event::Insert, 3});
                    const QPointF at = around + QPointF(any(-600, 600), any(-300, 300));
                    point(Event::Move, 0, 0, at);
                    point(Event::Press, 1, 0, at);
                    point(Event::Release, 1, 0, at);
                }
                break;
            }
            default: out.push_back({Event::Key, kDeleteKey}); break;
        }
        idle();
        return out;
    }

private:
    std::mt19937 rng_;
};

struct Setup {
    qreal dpr;
    size_t layerFrom;
};

Setup setupFor(uint32_t seed) {
    std::mt19937 rng(seed ^ 0x9e3779b9u);
    // Half the sequences keep a layer at rest, as a large drawing does, which is
    // what the preparation of 全选 works from.
    // Seed by seed the sequences go through the ratios in turn, so that a few
    // cover them all.
    const QByteArray only = qgetenv("QM_FRAMES_RATIO");
    const qreal dpr = !only.isEmpty() ? only.toDouble() : kRatios[seed % kRatios.size()];
    return {dpr, rng() % 2 ? size_t{0} : kLayerFrom};
}

// Replays `events`; the index of the first that fails, or -1. `told` gets what
// the failure shows, and with QM_FRAMES_IMAGES set to a folder the two images go there.
int replay(const Setup& setup, const std::vector<Event>& events, std::string* told = nullptr) {
    Session s(setup.dpr, setup.layerFrom);
    for (size_t k = 0; k < events.size(); ++k) {
        int d = 0;
        if (s.run(events[k], d)) continue;
        if (told) {
            const QRect& w = s.differing;
            *told = std::to_string(d) + " pixels differ (device pixels " + std::to_string(w.left()) + "," +
                    std::to_string(w.top()) + " to " + std::to_string(w.right()) + "," + std::to_string(w.bottom()) +
                    ") at zoom " + std::to_string(s.zoomNow()) + ", ratio " + std::to_string(setup.dpr) +
                    (setup.layerFrom ? "" : ", a layer kept at rest");
            if (const QString dir = qEnvironmentVariable("QM_FRAMES_IMAGES"); !dir.isEmpty()) {
                s.screen().save(dir + QStringLiteral("/frame-shown.png"));
                s.lastFull.save(dir + QStringLiteral("/frame-full.png"));
                // The pixels that differ in red over the full repaint, the area round them.
                QImage marked = s.lastFull.convertToFormat(QImage::Format_RGB32);
                for (int y = 0; y < marked.height(); ++y)
                    for (int x = 0; x < marked.width(); ++x)
                        if (marked.pixel(x, y) != s.screen().pixel(x, y)) marked.setPixel(x, y, qRgb(255, 0, 0));
                marked.copy(s.differing.adjusted(-40, -40, 40, 40)).save(dir + QStringLiteral("/frame-differs.png"));
            }
        }
        return static_cast<int>(k);
    }
    return -1;
}

// The shortest sequence found that still fails: events dropped while it does.
std::vector<Event> shrink(const Setup& setup, std::vector<Event> events) {
    const int first = replay(setup, events);
    if (first < 0) return events;  // not again: what failed hangs on more than the events
    events.resize(static_cast<size_t>(first) + 1);
    for (bool dropped = true; dropped;) {
        dropped = false;
        for (size_t k = events.size(); k-- > 0;) {
            std::vector<Event> fewer = events;
            fewer.erase(fewer.begin() + static_cast<std::ptrdiff_t>(k));
            const int failed = replay(setup, fewer);
            if (failed >= 0) {
                fewer.resize(static_cast<size_t>(failed) + 1);
                events = std::move(fewer);
                dropped = true;
            }
        }
    }
    return events;
}

int fromEnv(const char* name, int otherwise) {
    const QByteArray v = qgetenv(name);
    return v.isEmpty() ? otherwise : v.toInt();
}

}  // namespace
}  // namespace qm

// Declared before the test's first QFETCH: an optimised build instantiates the
// metatype there and a later declaration would be a second definition.
Q_DECLARE_METATYPE(std::vector<qm::Event>)

namespace qm {

class TestEveryFrame : public QObject {
    Q_OBJECT

private slots:
    void randomSequencesShowWhatAFullRepaintShows() {
        const int sequences = fromEnv("QM_FRAMES_SEQUENCES", 9);
        const int length = fromEnv("QM_FRAMES_LENGTH", 24);
        const auto first = static_cast<uint32_t>(fromEnv("QM_FRAMES_SEED", 1));
        int frames = 0;
        std::array<int, kZooms.size()> zoomsSeen{};
        std::array<int, kRatios.size()> ratiosSeen{};
        for (uint32_t seed = first; seed < first + static_cast<uint32_t>(sequences); ++seed) {
            const Setup setup = setupFor(seed);
            Chooser choose(seed);
            Session s(setup.dpr, setup.layerFrom);
            std::vector<Event> events;
            // Each starts at a zoom of its own, the zooms in turn, so that with the
            // ratios in turn a few sequences meet every pairing of the two.
            const std::vector<Event> start{{Event::Zoom, zoomSteps()[seed % zoomSteps().size()], 0,
                                            static_cast<float>(choose.pick(4000)), static_cast<float>(choose.pick(3000))}};
            for (int g = 0; g < length; ++g)
                for (const Event& e : g == 0 ? start : choose.next(s.editor())) {
                    events.push_back(e);
                    int diff = 0;
                    if (s.run(e, diff)) {
                        ++zoomsSeen[static_cast<size_t>(std::find(kZooms.begin(), kZooms.end(), s.zoomNow()) - kZooms.begin())];
                        continue;
                    }
                    if (const QString dir = qEnvironmentVariable("QM_FRAMES_IMAGES"); !dir.isEmpty()) {
                        s.screen().save(dir + QStringLiteral("/first-shown.png"));
                        s.lastFull.save(dir + QStringLiteral("/first-full.png"));
                    }
                    const std::vector<Event> shortest = shrink(setup, events);
                    std::string shows;
                    if (replay(setup, shortest, &shows) < 0)
                        shows = std::to_string(diff) + " pixels differed at zoom " + std::to_string(s.zoomNow()) +
                                ", but not again when replayed";
                    std::string told = "seed " + std::to_string(seed) + ", " + std::to_string(events.size()) +
                                       " events: " + shows + "; the shortest sequence that fails:\n";
                    for (const Event& ev : shortest) told += "  " + describe(ev) + "\n";
                    QFAIL(told.c_str());
                }
            frames += s.frames;
            ratiosSeen[static_cast<size_t>(std::find(kRatios.begin(), kRatios.end(), setup.dpr) - kRatios.begin()) %
                       kRatios.size()] += s.frames;
        }
        std::string seen;
        for (size_t k = 0; k < kZooms.size(); ++k) seen += " " + std::to_string(kZooms[k]) + ":" + std::to_string(zoomsSeen[k]);
        seen += "; per ratio:";
        for (size_t k = 0; k < kRatios.size(); ++k) seen += " " + std::to_string(kRatios[k]) + ":" + std::to_string(ratiosSeen[k]);
        qInfo("%d sequences, %d frames compared; frames per zoom:%s", sequences, frames, seen.c_str());
    }

    // Sequences that once showed a frame other than the full repaint, as shrunk.
    void sequencesThatOnceFailed_data() {
        QTest::addColumn<std::vector<Event>>("events");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<bool>("layerAtRest");
        using E = Event;
        // A diamond's side, stacked above the title block, stays over it while the
        // block is dragged under it.
        QTest::newRow("still above moving") << std::vector<E>{
            {E::Insert, 4},      {E::Move, 0, 0, 8937, 5171}, {E::Press, 1, 0, 8937, 5171},
            {E::Release, 1, 0, 8937, 5171}, {E::Press, 1, 2, 12895, 8682}, {E::Move, 1, 0, 11685, 7915}}
                                          << qreal{1} << true;
        // A group with texts at half twips dragged an odd number of pixels: they
        // round otherwise than the rest, and the group's layer must not show them
        // where they were.
        QTest::newRow("group rounds otherwise") << std::vector<E>{
            {E::Insert, 8},      {E::Move, 0, 0, 7839, 7518}, {E::Insert, 0},
            {E::SelectAll},      {E::Press, 1, 0, 7245, 7515}, {E::Move, 1, 0, 8453, 7035}}
                                              << qreal{1} << true;
        // At 400% an ellipse's outline reaches past the box it is recorded in.
        QTest::newRow("zoomed outline") << std::vector<E>{
            {E::Zoom, 8, 0, 42, 197}, {E::Insert, 1}, {E::Move, 0, 0, 1104, 2712},
            {E::Press, 1, 0, 1104, 2712}, {E::Release, 1, 0, 1104, 2712}}
                                      << qreal{1} << true;
        QTest::newRow("200% at 1.25") << std::vector<E>{{E::Zoom, 6, 0, 1429, 1411}} << qreal{1.25} << true;
        QTest::newRow("selected arrow at 1.5") << std::vector<E>{{E::Insert, 2}, {E::Zoom, 4, 0, 3316, 255}, {E::Insert, 5}, {E::SelectAll}} << qreal{1.5} << true;
        QTest::newRow("ellipse at 2") << std::vector<E>{{E::Insert, 1}} << qreal{2} << false;
        QTest::newRow("press at 1.5") << std::vector<E>{{E::Insert, 1}, {E::Move, 0, 0, 2678, 6422}, {E::Press, 1, 0, 2678, 6422},
                                                        {E::Release, 1, 0, 2678, 6422}, {E::Press, 1, 0, 83.5, 2099}}
                                      << qreal{1.5} << false;
        QTest::newRow("diamond at 75%") << std::vector<E>{{E::Insert, 1}, {E::Move, 0, 0, 849.62f, 1498.14f}, {E::Zoom, 2, 0, 249, 60}, {E::Insert, 2}}
                                        << qreal{1} << false;
        QTest::newRow("arrow at 25%") << std::vector<E>{{E::Zoom, 0, 0, 1835, 2551}, {E::Insert, 5}, {E::SelectAll}, {E::Move, 1, 0, 15117.4f, 6723.73f}}
                                      << qreal{1} << true;
        QTest::newRow("title at 1.25") << std::vector<E>{{E::Press, 1, 2, 11500, 8175}} << qreal{1.25} << true;
        // At 1.5 an ellipse's pen reaches half a pixel above its box, into a device
        // row that a band of the layer ending on the box's top edge must paint.
        QTest::newRow("ellipse's top row at 1.5")
            << std::vector<E>{{E::Zoom, 3, 0, 818, 1050}, {E::Insert, 1}, {E::Move, 0, 0, 8404.27f, 2433.94f}, {E::SelectAll}, {E::Insert, 0}}
            << qreal{1.5} << false;
        // A polyline's dotted rubber line, smoothed at 62.5%, ends a grey level
        // lighter on the image of a few areas than on the canvas's.
        QTest::newRow("dotted line at 50% and 1.25")
            << std::vector<E>{{E::Zoom, 1, 0, 1461, 978}, {E::Insert, 0}, {E::Move, 0, 0, 6849.9f, 6961.6f}, {E::Press, 1, 0, 6849.9f, 6961.6f}, {E::Press, 1, 0, 6840, 6960}, {E::Move, 1, 0, 7114.86f, 5367.86f}, {E::Release, 1, 0, 7114.86f, 5367.86f}, {E::Key, 40, 1}, {E::Undo}, {E::Insert, 9}, {E::Press, 1, 0, 10517, 7346.27f}, {E::Release, 1, 0, 10517, 7346.27f}, {E::Move, 0, 0, 8703.97f, 6683.1f}}
            << qreal{1.25} << false;
        // At 25% a polyline's head ends a canvas pixel above the title block, in the
        // device pixels of its top edge; the block, pressed, moves under it.
        QTest::newRow("arrowhead on the title block at 25%")
            << std::vector<E>{{E::Zoom, 0, 0, 3724, 2962}, {E::Insert, 9}, {E::Press, 1, 0, 11263.5f, 7939.99f}, {E::Release, 1, 0, 11263.5f, 7939.99f}, {E::Move, 0, 0, 13626, 8077.32f}, {E::Press, 1, 0, 13626, 8077.32f}, {E::Release, 1, 0, 13626, 8077.32f}, {E::Press, 2, 0, 13626, 8077.32f}, {E::Release, 2, 0, 13626, 8077.32f}, {E::Press, 1, 0, 14290, 9365}}
            << qreal{1} << true;
        // At 125% an area a pixel high is painted on its own: the layer's row laid
        // down through the image of the zoomed frame must reach it.
        QTest::newRow("an area a pixel high at 125%")
            << std::vector<E>{{E::Insert, 7}, {E::Press, 1, 0, 13332.6f, 5556.34f}, {E::Release, 1, 0, 13332.6f, 5556.34f}, {E::Zoom, 4, 0, 3621, 614}, {E::Press, 1, 0, 13335, 6150}, {E::Move, 1, 0, 13205.2f, 6549.59f}, {E::Insert, 6}}
            << qreal{1} << true;
        // A rubber band's dots, scaled, painted area by area and whole.
        QTest::newRow("rubber band at 75% and 1.25")
            << std::vector<E>{{E::Zoom, 2, 0, 1224, 1138}, {E::Move, 1, 0, 13342.9f, 7149.78f}, {E::Move, 1, 0, 12317.9f, 7681.07f}}
            << qreal{1.25} << true;
        QTest::newRow("rubber band at 25%")
            << std::vector<E>{{E::Zoom, 0, 0, 1341, 791}, {E::Move, 1, 0, 2250.47f, 3922.15f}, {E::Move, 1, 0, 951.899f, 4229.82f}}
            << qreal{1} << false;
        // At 50% and ratio 2 a handle's corner lies on half a device pixel, and an
        // area can begin below it.
        QTest::newRow("handles at 50% and 2")
            << std::vector<E>{{E::Zoom, 1, 0, 1031, 1369}, {E::Insert, 1}, {E::Move, 0, 0, 2457.9f, 1100.39f},
                              {E::Press, 1, 0, 2457.9f, 1100.39f}, {E::Release, 1, 0, 2457.9f, 1100.39f}, {E::Key, 37, 1}}
            << qreal{2} << false;
        // At 50% and ratio 2 the drawing is not scaled, but a rubber band's dots are
        // still laid out for each area's image.
        QTest::newRow("rubber band at 50% and 2")
            << std::vector<E>{{E::Zoom, 1, 0, 404, 1609}, {E::Press, 1, 0, 14290, 8000}, {E::Move, 1, 0, 11717.7f, 8173.26f},
                              {E::Move, 1, 0, 12524.3f, 8437.99f}}
            << qreal{2} << true;
        // At 300% and 1.5 the title's glyphs are drawn as outlines from half a device
        // pixel, and the view's top edge cuts through them.
        QTest::newRow("title cut by the top edge at 300% and 1.5") << std::vector<E>{{E::Zoom, 7, 0, 632, 121}} << qreal{1.5} << true;
        // A polyline's rubber line, a dot, joins the still layer while a group is
        // raised; an undo lowers the group and takes both away.
        QTest::newRow("undone move at 2")
            << std::vector<E>{{E::Insert, 6}, {E::Press, 1, 0, 11500, 9365}, {E::Insert, 9}, {E::Release, 1, 0, 13143.2f, 7873.27f},
                              {E::Press, 2, 0, 14482, 7147.35f}, {E::SelectAll}, {E::Move, 1, 0, 7720.84f, 7544.08f}, {E::Undo}}
            << qreal{2} << true;
        // At 125% and 1.25 a rectangle's edge, dragged under a still one stacked
        // above it, falls on a device pixel's middle where the two are restacked.
        QTest::newRow("pasted at 125% and 1.25")
            << std::vector<E>{{E::Zoom, 4, 0, 1900, 1595}, {E::Insert, 0}, {E::Move, 0, 0, 4091.34f, 8395.34f}, {E::Press, 1, 0, 4091.34f, 8395.34f},
                              {E::Release, 1, 0, 4091.34f, 8395.34f}, {E::Escape}, {E::Press, 1, 2, 5072.1f, 8947.5f}, {E::Paste, 1},
                              {E::Release, 1, 0, 5030.79f, 9126.3f}, {E::Press, 1, 0, 5372.1f, 8947.5f}, {E::Move, 1, 0, 4578.45f, 8131.16f},
                              {E::Move, 1, 0, 4281.16f, 8397.91f}}
            << qreal{1.25} << true;
        // At 2 a group dragged half a canvas pixel keeps its box but moves its
        // diamond's and texts' device pixels: from its own layer, and painted from
        // the document.
        QTest::newRow("diamond and rectangle dragged at 2")
            << std::vector<E>{{E::Insert, 2}, {E::Insert, 0}, {E::Move, 0, 0, 9549.1f, 245.01f}, {E::SelectAll},
                              {E::Press, 1, 0, 11250.5f, 1216.5f}, {E::Move, 1, 0, 12400.7f, 361.499f}, {E::Move, 1, 0, 12389, 745.144f}}
            << qreal{2} << true;
        QTest::newRow("drawn without a layer, dragged half a pixel at 2")
            << std::vector<E>{{E::Insert, 2}, {E::Insert, 0}, {E::Move, 0, 0, 9549.1f, 2450}, {E::SelectAll},
                              {E::Press, 1, 0, 11250.5f, 3421.5f}, {E::Move, 1, 0, 12412.5f, 3421.5f}, {E::Move, 1, 0, 12405, 3421.5f}}
            << qreal{2} << false;
        QTest::newRow("dotted rubber line at 50% and 2")
            << std::vector<E>{{E::Zoom, 1, 0, 3722, 242}, {E::Insert, 9}, {E::Press, 1, 0, 4250.33f, 8808.72f},
                              {E::Release, 1, 0, 4250.33f, 8808.72f}, {E::Move, 0, 0, 3434.29f, 9802.07f}}
            << qreal{2} << true;
        QTest::newRow("ellipse carried at 300% and 2")
            << std::vector<E>{{E::Zoom, 7, 0, 92, 42}, {E::Insert, 1}, {E::Move, 0, 0, 10307.8f, 4641.39f}} << qreal{2} << false;
        // 全选's layer, prepared a few rows at a time, had the last character of a
        // vertical label cut by the edge of an image of those rows, and at 75% on a
        // screen of ratio 1.5 Qt draws it otherwise there.
        // A frame is pieced together from areas, each painted on an image of its
        // own, and at 75% on a screen of ratio 1.5 Qt drew the foot of the carried
        // label otherwise where an area's edge cut through it.
        QTest::newRow("vertical label carried at 1.125")
            << std::vector<E>{{E::Zoom, 2, 0, 1563, 1036}, {E::Insert, 4}, {E::Move, 0, 0, 13510.6f, 7615.06f},
                              {E::Move, 0, 0, 12724.7f, 7832.41f}}
            << qreal{1.5} << false;
        QTest::newRow("vertical label prepared for 全选 at 1.125")
            << std::vector<E>{{E::Zoom, 2, 0, 1767, 2835}, {E::Insert, 1}, {E::Insert, 4},
                              {E::Move, 0, 0, 10437.5f, 14.7165f}, {E::Press, 1, 0, 10437.5f, 14.7165f},
                              {E::Release, 1, 0, 10437.5f, 14.7165f}, {E::Idle, -1}, {E::SelectAll}}
            << qreal{1.5} << true;
        // The layer's repairs that the press put off were made, culled, halfway
        // through the frame, after the screen had taken the layer as it was.
        QTest::newRow("repairs put off made before the frame takes the layer")
            << std::vector<E>{{E::Zoom, 6, 0, 2466, 2394}, {E::Press, 1, 2, 13012.8f, 8497.61f}} << qreal{2} << true;
    }

    void sequencesThatOnceFailed() {
        QFETCH(std::vector<Event>, events);
        QFETCH(qreal, ratio);
        QFETCH(bool, layerAtRest);
        std::string told;
        const int failed = replay({ratio, layerAtRest ? size_t{0} : kLayerFrom}, events, &told);
        QVERIFY2(failed < 0, (told + " after event " + std::to_string(failed)).c_str());
    }

    // 全选 of two rectangles and an arrow glued between them, then a quick drag
    // of the first by its lower text (press, 10 pixels, 60 more, release), with
    // the preparation of 全选 stopped after each of its steps in turn: the arrow
    // stays in the selection's colour and every frame is the full repaint.
    // A text dragged under a crowd of texts, enlarged to whole device pixels a
    // canvas pixel: where the crowd's ink hides all of a canvas pixel, the frame
    // shows the layer there and restacks only the rest.
    void aDragUnderACrowdOfTexts() {
        for (const qreal ratio : {1.0, 1.25, 2.0})
            for (const int zoom : {6, 8}) {
                Session s(ratio, 0);  // a layer kept at rest, as on a drawing with thousands of elements
                int diff = 0;
                const auto corner = static_cast<float>(3000 / kTwips * kZooms[static_cast<size_t>(zoom)] - 200);
                std::vector<Event> events{{Event::Zoom, zoom, 0, corner, corner}};
                const auto drop = [&events](float x, float y) {
                    events.insert(events.end(), {{Event::Insert, 3}, {Event::Move, 0, 0, x, y},
                                                 {Event::Press, 1, 0, x, y}, {Event::Release, 1, 0, x, y}});
                };
                // Three below the one dragged, eight above it.
                for (int k = 0; k < 3; ++k) drop(2950 + 20 * static_cast<float>(k), 2980 + 20 * static_cast<float>(k));
                drop(3000, 3000);
                for (int k = 0; k < 8; ++k) drop(3150 + 40 * static_cast<float>(k), 2950 + 30 * static_cast<float>(k));
                const size_t dropped = events.size();
                const int dragged = kLastCellLabel + 4;
                // A text is dragged once selected.
                events.insert(events.end(), {{Event::Press, 1, 0, 3050, 3100}, {Event::Release, 1, 0, 3050, 3100},
                                             {Event::Press, 1, 0, 3050, 3100}, {Event::Move, 1, 0, 3095, 3100},
                                             {Event::Move, 1, 0, 3140, 3130}, {Event::Release, 1, 0, 3140, 3130}});
                const LabelEl* under = nullptr;
                float was = 0;
                for (size_t k = 0; k < events.size(); ++k) {
                    if (k == dropped) {
                        // Texts of solid blocks: opaque ink over most of what they cover.
                        for (int i = kLastCellLabel + 1; i <= dragged + 8; ++i)
                            if (i != dragged) s.retype(i, "████████");
                        QVERIFY2(s.run({Event::Idle}, diff), std::to_string(diff).c_str());
                        under = s.editor().doc.Label.find(dragged);
                        QVERIFY(under);
                        was = under->left;
                    }
                    QVERIFY2(s.run(events[k], diff), (describe(events[k]) + " at ratio " + std::to_string(ratio) +
                                                      ", zoom " + std::to_string(kZooms[static_cast<size_t>(zoom)]) + ": " +
                                                      std::to_string(diff) + " pixels differ").c_str());
                }
                QCOMPARE(under->left, was + 90);  // the one beneath was dragged, not one of the crowd
            }
    }

    void aQuickDragAfterSelectAllAtEveryStepOfItsPreparation() {
        const std::vector<Event> chart = {
            {Event::Insert, 0}, {Event::Move, 0, 0, 1500, 3000}, {Event::Press, 1, 0, 1500, 3000},
            {Event::Release, 1, 0, 1500, 3000}, {Event::Insert, 0}, {Event::Move, 0, 0, 7500, 3000},
            {Event::Press, 1, 0, 7500, 3000}, {Event::Release, 1, 0, 7500, 3000}, {Event::Escape},
        };
        for (const size_t layerFrom : {size_t{0}, kLayerFrom})
            for (int steps = 0;; ++steps) {
                Session s(1, layerFrom);
                int diff = 0;
                for (const Event& e : chart) QVERIFY(s.run(e, diff));
                // The arrow from the first rectangle's right side to the second's left.
                const BoxF a = *outlineOf(s.editor().doc, {ElementKind::Shape, 1});
                const BoxF b = *outlineOf(s.editor().doc, {ElementKind::Shape, 2});
                const float y = (a.top + a.bottom) / 2;
                for (const Event& e : std::vector<Event>{{Event::Insert, 6}, {Event::Move, 0, 0, a.right, y},
                                                         {Event::Press, 1, 0, a.right, y}, {Event::Release, 1, 0, a.right, y},
                                                         {Event::Move, 0, 0, b.left, y}, {Event::Press, 1, 0, b.left, y},
                                                         {Event::Release, 1, 0, b.left, y}, {Event::SelectAll}})
                    QVERIFY2(s.run(e, diff), describe(e).c_str());
                QCOMPARE(s.editor().doc.selKind, SelKind::Several);
                QVERIFY(s.editor().doc.arrowCount >= 1);
                bool more = true;
                for (int k = 0; k < steps && more; ++k) more = s.idleStep();
                const LabelEl& lower = *s.editor().doc.Label.find(s.editor().doc.shapeRec[1].label2);
                const float x = lower.left + lower.width / 2, ly = lower.top + lower.height / 2;
                for (const Event& e : std::vector<Event>{{Event::Press, 1, 0, x, ly}, {Event::Move, 1, 0, x + 150, ly},
                                                         {Event::Move, 1, 0, x + 1050, ly}, {Event::Release, 1, 0, x + 1050, ly}})
                    QVERIFY2(s.run(e, diff), (describe(e) + " after " + std::to_string(steps) + " steps of preparing, " +
                                              std::to_string(diff) + " pixels differ").c_str());
                // The arrow's middle, on the screen (at 100% and ratio 1, a client
                // pixel past the frame), in the selection's colour.
                const BoxF arrow = *outlineOf(s.editor().doc, {ElementKind::Arrow, 1});
                const QPoint middle =
                    QPoint(qRound((arrow.left + arrow.right) / 2 / kTwips), qRound((arrow.top + arrow.bottom) / 2 / kTwips)) +
                    kFrame;
                QCOMPARE(s.screen().pixel(middle), toQColor(kGreen).rgb());
                if (!more || steps > 200) break;
            }
    }
};

}  // namespace qm

QTEST_MAIN(qm::TestEveryFrame)
#include "every_frame_test.moc"
