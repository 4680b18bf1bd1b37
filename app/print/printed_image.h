// One picture on the print layout's sheet. The list of them is in stacking order: the first
// entry is the active picture, drawn last (on top) and selected in the print dialog.
#pragma once

#include "my_list.h"

#include <QString>

#include <cstdint>

class TDIBImage;

struct TPrintedImage {
    QString Name; // the image window's file name without its folder
    // Position of the top-left corner from the corner of the physical sheet, and printed size,
    // in printer pixels.
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    long double ResolutionX = 0; // the picture's pixels per inch
    long double ResolutionY = 0;
    // Height / width of the picture as printed at its own resolution: each side's pixels
    // divided by that axis's resolution, so that pictures with unequal resolutions keep their
    // shape.
    long double Aspect = 1;
    bool KeepAspectRatio = false;
    bool FitToPage = false;
    bool OneToOne = false;
    bool CenterHorizontally = false;
    bool CenterVertically = false;
    QString Title;                    // printed centred below the picture
    const TDIBImage* Image = nullptr; // the image window's picture, not owned
};

// The pictures to print. They refer to the pictures of image windows, so the list is never
// kept in a stream: reading and writing items refuse.
class TPrintedImageList : public TMyList<TPrintedImage> {
public:
    // Adds a picture under a name; the layout fills in the rest.
    TPrintedImage* AddPicture(const QString& name, const TDIBImage& image);
    // Moves the entry at `index` to the front, the others keeping their order.
    void MoveToFront(int index);

protected:
    std::unique_ptr<TPrintedImage> ReadItem(QIODevice&) override { return nullptr; }
    bool WriteItem(QIODevice&, const TPrintedImage&) const override { return false; }
};
