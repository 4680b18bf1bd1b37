// The panorama model: the pictures of the open image windows placed by hand on one plane, each
// trimmed to a frame, the one nearer index 0 covering the others where they overlap; the zoom
// and scroll positions of the drawing surface that shows them, and the conversions between
// plane and screen. The window that edits the model draws and handles input; every rule that
// decides where a picture is, what is visible and what a point hits lives here.
//
// Rectangles are end-exclusive: Right and Bottom lie one past the last column and row. A
// rectangle whose Right is not beyond its Left or whose Bottom is not below its Top is empty,
// wherever it is used (bounds, hit-testing, drawing and copying).
#pragma once

#include "platform/packed_bitmap.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <vector>

class TLanguage;

struct PanoramaRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;

    std::int64_t Width() const { return std::int64_t{Right} - Left; }
    std::int64_t Height() const { return std::int64_t{Bottom} - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(QPoint p) const {
        return p.x() >= Left && p.x() < Right && p.y() >= Top && p.y() < Bottom;
    }
    PanoramaRect Translated(std::int32_t dx, std::int32_t dy) const {
        return {Left + dx, Top + dy, Right + dx, Bottom + dy};
    }
    // Left at most Right and Top at most Bottom.
    PanoramaRect Normalized() const;
    // Empty when either is empty (a default rectangle then).
    PanoramaRect Intersected(const PanoramaRect& other) const;
    // Either one when the other is empty.
    PanoramaRect United(const PanoramaRect& other) const;
    // The same pixels as a Qt rectangle; a null QRect when empty.
    QRect ToQRect() const;
    static PanoramaRect FromQRect(const QRect& rect);

    bool operator==(const PanoramaRect&) const = default;
};

// One open image window's picture as the panorama command hands it over: the file name
// without its folder and the picture's header and rows (borrowed).
struct PanoramaSource {
    QString Name;
    const BITMAPINFOHEADER* Header = nullptr;
    const std::uint8_t* Bits = nullptr;
};

// One placed picture.
struct TImagePanoramaData {
    QString Name;
    const BITMAPINFOHEADER* Header = nullptr; // borrowed
    const std::uint8_t* Bits = nullptr;       // bottom-up 24-bit rows; borrowed
    std::int32_t Left = 0;                    // plane position of the top-left pixel, >= 0
    std::int32_t Top = 0;
    PanoramaRect Frame; // the part used, in the picture's own pixels
    bool Checked = true;
    std::int32_t ListIndex = 0; // the entry in the window's list, the order of handing over

    // The picture's size; 0 x 0 when there is no usable 24-bit bottom-up picture or a side
    // exceeds the plane, so such a record is never shown, hit, counted or copied.
    QSize PictureSize() const;
    // The frame cut to the picture; empty (default) when nothing is left.
    PanoramaRect UsedFrame() const;
    // The used frame on the plane.
    PanoramaRect PlacedFrame() const;
    // The whole picture on the plane.
    PanoramaRect PlacedArea() const;
};

// The union of the placed frames of the checked pictures; empty when there is none.
PanoramaRect framesBoundsOf(const std::vector<TImagePanoramaData>& items);

// The 32 x 32 picture of a list entry: the picture with its proportions, centred on white;
// null when the record holds no usable picture.
QImage panoramaThumbnail(const TImagePanoramaData& item);

class PanoramaModel {
public:
    // Plane coordinates stay in 0..PlaneSize: positions are clamped so that every picture ends
    // inside, and so screen coordinates at 16:1 (at most 2^30) fit in 32-bit integers.
    static constexpr std::int32_t PlaneSize = 1 << 26;
    // Added to the screen extent for the scroll ranges, so the far edges can be scrolled clear.
    static constexpr int ScrollMargin = 40;
    // The thumbnails' side in the window's list.
    static constexpr int ThumbnailSide = 32;

    // Appends one checked record per source with its whole picture as frame, cascaded 20
    // pixels per picture; ListIndex counts from 0 in the order given.
    void LoadImages(const std::vector<PanoramaSource>& sources);

    int ImageCount() const { return static_cast<int>(items_.size()); }
    // Index 0 is the top of the stacking order and the current picture.
    const std::vector<TImagePanoramaData>& Items() const { return items_; }
    // Item 0, or null without pictures.
    const TImagePanoramaData* Current() const;
    // The index of the item with that list entry, or -1.
    int IndexOfListEntry(int listIndex) const;

    // Zoom z >= 1 shows a plane pixel as z x z screen pixels; z <= -2 shows -z x -z plane
    // pixels as one screen pixel. Values 0 and -1 become 1; the rest is clamped to -16..16.
    int Zoom() const { return zoom_; }
    void SetZoom(int z);
    void ZoomIn();
    void ZoomOut();
    // The window caption: `title` then " (1:n)" or " (n:1)".
    QString Caption(const QString& title) const;
    // Text 0 of the language's section "Panorama" as the title.
    QString Caption(const TLanguage& language) const;

    // Plane lengths to screen lengths and back (truncating).
    int ToScreenLength(int plane) const;
    int ToPlaneLength(int screen) const;
    // Points and rectangles between the plane and the drawing surface's client area, with the
    // scroll positions. Screen points left of or above the plane map to negative plane points.
    QPoint PlaneToScreen(QPoint plane) const;
    QPoint ScreenToPlane(QPoint screen) const;
    QRect PlaneToScreen(const PanoramaRect& plane) const;
    PanoramaRect ScreenToPlane(const QRect& screen) const;

    // The drawing surface's client size, used for fitting, centring and the scroll limits.
    void SetClientSize(QSize client);
    QSize ClientSize() const { return client_; }
    // Scroll positions in screen pixels, kept within 0..ScrollMaximum().
    QPoint ScrollPosition() const { return scroll_; }
    void SetScrollPosition(QPoint scroll);

    // The bounding rectangle of the checked pictures (whole pictures at their positions).
    PanoramaRect Bounds() const;
    // The far corner of Bounds() from the plane origin, in plane and in screen pixels.
    QSize Extent() const;
    QSize ScreenExtent() const;
    // Screen extent plus the margin: the length of the scrollable area on each axis.
    QSize ScrollRange() const;
    // The largest scroll positions: the scroll range less the client size, never negative.
    QSize ScrollMaximum() const;
    // The scroll bars' line step: 3, or 3 times the zoom from 1:1 up.
    int LineStep() const;
    // An arrow key's move of a picture in plane pixels: one screen pixel's worth.
    int NudgeStep() const;

    // The zoom that first shows the whole assembly in the client area (a reduction of at
    // least one step unless the assembly is under a tenth of the client area).
    void SetInitialZoom();
    // Scrolls so that the plane point is in the middle of the client area (as far as the
    // scroll positions allow), in whole line steps.
    void CentreOn(QPoint plane);
    // Zooms so that the plane rectangle fills the client area, and centres on it. A rectangle
    // larger than the client area keeps the zoom.
    void ZoomToRect(const PanoramaRect& plane);

    // The union of the placed frames of the checked pictures.
    PanoramaRect FramesBounds() const;
    // The frame of the whole panorama; empty when not in use.
    PanoramaRect OverallFrame() const { return overallFrame_; }
    void SetOverallFrame(const PanoramaRect& frame) { overallFrame_ = frame; }
    // The overall frame, or the frames bounds while it is empty.
    PanoramaRect OverallFrameOrBounds() const;
    // Cuts every checked picture's frame to the overall frame (or to the frames bounds while
    // it is empty); frames are never widened. The overall frame is empty afterwards.
    void ApplyOverallFrame();

    // Sets a picture's frame, each edge kept within the picture (a crossed frame is empty).
    void SetFrame(int index, const PanoramaRect& frame);
    // Moves a picture by a plane offset; it stops at 0 and where it would leave the plane.
    void MoveBy(int index, QPoint offset);

    // The picture's placed frame on the drawing surface; null when empty or out of range.
    QRect DisplayedFrame(int index) const;
    // The first checked picture from the top whose displayed frame holds the screen point,
    // or -1.
    int ItemAt(QPoint screen) const;

    // A checked picture hit or selected comes to the top; its new index (unchanged when it
    // is not checked).
    int BringToTop(int index);
    // Checking brings a picture to the top, unchecking sends it to the bottom; its new index.
    int SetChecked(int index, bool checked);

private:
    bool validIndex(int index) const { return index >= 0 && index < ImageCount(); }
    int moveItem(int from, int to);
    void keepScrollInRange();

    std::vector<TImagePanoramaData> items_;
    int zoom_ = 1;
    QSize client_;
    QPoint scroll_;
    PanoramaRect overallFrame_;
};
