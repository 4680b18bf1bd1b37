// The print dialog's preview: the sheet, white with its margin hatched in grey; on its
// printable area the pictures from the last entry to the first (the active one on top in a
// white dotted frame), their titles centred below them, and the areas already printed on the
// chosen sheet as black dotted rectangles. Pictures are dragged with the left button: a
// pressed picture becomes the active one, and a rectangle of its size follows the pointer
// within the printable area until the button is released.
#pragma once

#include "draw_tools.h"
#include "preview_geometry.h"
#include "preview_pictures.h"

#include <QColor>
#include <QFont>
#include <QWidget>

class TPageFilling;
class TPrintLayout;

class TPrintPreview : public QWidget {
    Q_OBJECT

public:
    TPrintPreview(const TPrintLayout& layout, const TPageFilling& filling,
                  QWidget* parent = nullptr);
    ~TPrintPreview() override;

    // The sheet whose printed areas are shown (0 to 3).
    void SetSheet(int sheet);
    int Sheet() const { return sheet_; }
    // The title font with its height in printer pixels; the preview scales it.
    void SetTitleFont(const QFont& font, const QColor& colour, int printerPixels);
    const QFont& PreviewFont() const { return previewFont_; }
    // The printer's sheet changed: place the sheet and its printable area again.
    void Relayout();
    const PreviewGeometry& Geometry() const { return geometry_; }
    // The printable area's surface, on which pictures are drawn and dragged.
    QWidget* PrintableArea() const;

signals:
    // A press on a picture that is not the active one (its index in the list).
    void pictureChosen(int index);
    // A drag of the active picture ended with its corner at `sheetPoint` (printer pixels).
    void pictureMoved(QPoint sheetPoint);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Surface;
    friend class Surface;

    void paintSurface(QPainter& painter);
    void paintPicture(QPainter& painter, int index);
    void paintPrintedAreas(QPainter& painter) const;
    void press(QPoint point);
    void follow(QPoint point);
    void release(QPoint point);
    int pictureAt(QPoint point) const;

    const TPrintLayout& layout_;
    const TPageFilling& filling_;
    Surface* surface_;
    PreviewGeometry geometry_;
    TPreviewPictures pictures_;
    TConstRectTool dragTool_;
    QRect dragStart_;
    int sheet_ = 0;
    QFont printerFont_;
    int printerFontPixels_ = 1;
    QFont previewFont_;
    QColor titleColour_ = Qt::black;
};
