// A large area of an image painted on two cores at once: the area is cut into
// bands of rows that this thread and one kept for the purpose paint side by side,
// each through a painter of its own clipped to its band. Clipped painting lays
// down the pixels unclipped painting would inside the clip (the paint cache
// already repairs its layer box by box on that ground), so the image comes out
// the same however it was cut. Text that is not stamped serialises on fontLock.
#pragma once
#include <functional>

#include <QRect>

class QImage;
class QPainter;

namespace qm {

// Calls `paint` once per band with a painter on `image`, at its device pixel
// ratio, clipped to the band, and the band in the image's logical pixels (before
// any transform `paint` sets); returns when all are painted. The cuts between
// bands lie within `area` (device pixels of the image). A clip `paint` sets must
// intersect the band's (Qt::IntersectClip), not replace it. A small area, or a
// machine of one core, is painted in one band, unclipped, on this thread.
void paintInBands(QImage& image, const QRect& area, const std::function<void(QPainter&, const QRectF& band)>& paint);

// A job run on the second painting thread while this one goes on with other
// work, until wait() or the end of the object; run at once on this thread when
// it is too small to be worth handing over (`worthIt` false), the machine has
// one core or the second thread is taken. The job must not throw.
class Beside {
public:
    explicit Beside(std::function<void()> job, bool worthIt = true);
    ~Beside() { wait(); }
    Beside(const Beside&) = delete;
    Beside& operator=(const Beside&) = delete;
    void wait();

private:
    bool running_ = false;
};

}  // namespace qm
