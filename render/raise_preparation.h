// The preparation of 全选: while a large drawing rests with nothing raised, the
// image that raising every element would need is painted a few rows at a time,
// and the memory the raising takes is touched in advance, so that the frame of
// 全选 lays that image down rather than painting every element first.
#pragma once
#include <optional>

#include <QImage>
#include <QSize>

#include "model/document.h"
#include "render/document_painter.h"
#include "render/raised_layer.h"
#include "render/still_layer.h"

namespace qm {

class RaisePreparation {
public:
    // How far the image for the raised parts of 全选 is prepared. Legal combinations:
    //   None      no image;
    //   Painting  an image for the parts and look that 全选 would raise, its rows
    //             above rows() painted, some below still to be;
    //   Ready     such an image painted whole, or a raised layer handed back where
    //             it was raised, once its parts are lowered.
    // Whatever the mode, spare() may hold memory of the still layer's size, its
    // rows touched down to a count of its own.
    enum class Mode { None, Painting, Ready };
    Mode mode() const { return mode_; }

    void clear();
    // Forgets the image: the drawing changed.
    void drop();

    // One step for `options`, what 全选 would raise, while `still` holds a layer
    // of the canvas at `dpr`: the image's place, some memory touched, or a slice
    // of rows painted. Returns whether more remains.
    bool step(const Document& doc, QSize size, qreal dpr, const PaintOptions& options, StillLayer& still);

    // The image, Ready, when it was painted for raising `options`; None after.
    std::optional<Carried> take(const PaintOptions& options);
    // A raised layer let go where it was raised: what raising its parts again needs.
    void keepLowered(const Carried& lowered);

    // Memory for a still layer to be painted over whole: taken by the still layer,
    // given back when a layer it held is let go.
    QImage& spare() { return spare_; }
    void giveSpare(QImage image);

private:
    void check() const;

    Mode mode_ = Mode::None;
    Carried ready_;     // prepared for 全选, painted down to row rows_
    int rows_ = 0;
    QImage spare_;      // memory, touched in advance, for a layer to be painted over whole
    int spareRows_ = 0;  // the rows of it touched so far
};

}  // namespace qm
