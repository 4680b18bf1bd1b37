// Preview-sized copies of the pictures on the print layout, kept between paints so that a
// repaint draws small pictures only: each picture is reduced from its full size once, and
// each size it is shown at is made from that reduction and kept until another size is asked.
#pragma once

#include <QImage>
#include <QSize>

#include <unordered_map>

class TDIBImage;

class TPreviewPictures {
public:
    // The picture the right way up at `size`; a null image when it cannot be drawn.
    const QImage& At(const TDIBImage& picture, QSize size);

    // The longest side of the reduction: larger than any preview of a sheet.
    static constexpr int ReducedSide = 1024;

private:
    struct Copies {
        QImage reduced;
        QImage shown;
    };
    static QImage reduce(const TDIBImage& picture);

    std::unordered_map<const TDIBImage*, Copies> copies_;
};
