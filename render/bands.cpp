#include "render/bands.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include <QImage>
#include <QPainter>

#include "render/device_pixels.h"

namespace qm {
namespace {

// Below this many device pixels an area is painted in one piece: handing half of
// it to another thread would cost more than it saves.
constexpr qint64 kBandsFrom = 256 * 256;
// Over a large area, two bands per thread: work is seldom spread evenly over a
// drawing, and a thread that finishes early takes the next band left. Over a
// small one, where many elements reach into every band and each band pays for
// each of them again, one.
constexpr qint64 kEvenedFrom = 512 * 1024;

// The second painting thread: started on first need and never ended. It sleeps
// between jobs; at exit the process ends it where it sleeps. Its lock and its
// job are never destroyed, so that no static destructor pulls them away from
// under it.
class Helper {
public:
    static Helper& instance() {
        static Helper* helper = new Helper;
        return *helper;
    }

    // Runs `job` on the helper while the caller does its own share; returns false,
    // running nothing, when the helper is taken (a paint within a paint).
    bool begin(std::function<void()> job) {
        std::unique_lock lock(mutex_);
        if (job_ || !done_) return false;
        job_ = std::move(job);
        done_ = false;
        wake_.notify_one();
        return true;
    }

    void finish() {
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return done_; });
        if (std::exception_ptr e = std::exchange(error_, nullptr)) std::rethrow_exception(e);
    }

private:
    Helper() { std::thread([this] { run(); }).detach(); }

    void run() {
        for (;;) {
            std::function<void()> job;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return bool(job_); });
                job = std::move(job_);
                job_ = nullptr;
            }
            std::exception_ptr error;
            try {
                job();
            } catch (...) {
                error = std::current_exception();
            }
            std::lock_guard lock(mutex_);
            error_ = error;
            done_ = true;
            finished_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_, finished_;
    std::function<void()> job_;
    bool done_ = true;
    std::exception_ptr error_;
};

// Row `y` of the image, or the next one, that lies on a whole canvas pixel
// mapping back onto it exactly: the bands' clips are given in canvas pixels, and
// the edge two of them share must fall on one row for both, leaving no row
// between them and giving none to both. -1 when none is near.
int exactRow(int y, qreal dpr, int limit) {
    for (int row = y; row < std::min(limit, y + 64); ++row) {
        const qreal canvas = row / dpr;
        if (canvas == std::floor(canvas) && canvas * dpr == row) return row;
    }
    return -1;
}

// Asked once: the library reads the count of cores from a file each time.
int threads() {
    static const int n = static_cast<int>(std::min(2u, std::max(1u, std::thread::hardware_concurrency())));
    return n;
}

}  // namespace

Beside::Beside(std::function<void()> job, bool worthIt) {
    running_ = worthIt && threads() > 1 && Helper::instance().begin(job);
    if (!running_) job();
}

void Beside::wait() {
    if (std::exchange(running_, false)) Helper::instance().finish();
}

void paintInBands(QImage& image, const QRect& area, const std::function<void(QPainter&, const QRectF& band)>& paint) {
    const QRect rows = area & image.rect();
    if (rows.isEmpty()) return;
    const qreal dpr = image.devicePixelRatio();
    // The cuts between bands lie within the area, spread evenly over it; the first
    // band reaches up to the image's top and the last down past its bottom, so that
    // only the cuts clip anything.
    std::vector<int> cuts{0};
    const qint64 pixels = qint64{rows.width()} * rows.height();
    if (threads() > 1 && pixels >= kBandsFrom) {
        const int n = threads() * (pixels >= kEvenedFrom ? 2 : 1);
        for (int k = 1; k < n; ++k) {
            const int cut = exactRow(rows.top() + rows.height() * k / n, dpr, rows.bottom() + 1);
            if (cut > cuts.back()) cuts.push_back(cut);
        }
    }
    const qreal right = std::ceil(image.width() / dpr) + 1, end = std::ceil(image.height() / dpr) + 1;
    const auto band = [&cuts, dpr, right, end](size_t k) {
        const qreal top = cuts[k] / dpr, bottom = k + 1 < cuts.size() ? cuts[k + 1] / dpr : end;
        return QRectF(0, top, right, bottom - top);
    };
    if (cuts.size() < 2) {
        QPainter p(&image);
        followDensity(p, image);
        paint(p, band(0));
        return;
    }
    // Each band through an image of its own over the same pixels: one image takes
    // one painter at a time.
    uchar* bits = image.bits();
    std::atomic<size_t> next{0};
    const auto work = [&] {
        QImage view(bits, image.width(), image.height(), image.bytesPerLine(), image.format());
        view.setDevicePixelRatio(dpr);
        for (size_t k; (k = next++) < cuts.size();) {
            QPainter p(&view);
            followDensity(p, view);
            p.setClipRect(band(k));
            paint(p, band(k));
        }
    };
    Helper& helper = Helper::instance();
    const bool shared = helper.begin(work);
    // The helper paints through this frame's locals: it must be done before they
    // go, also when this thread's share throws.
    std::exception_ptr error;
    try {
        work();
    } catch (...) {
        error = std::current_exception();
    }
    if (shared) helper.finish();
    if (error) std::rethrow_exception(error);
}

}  // namespace qm
