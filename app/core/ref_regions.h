// The reference regions an image window holds: rectangles that mark a black, white, grey,
// collection-coloured, light or dark part of the picture, with the rules of which new region
// replaces which, and the one Active region the pop-up menu acts on.
#pragma once

#include "my_list.h"

#include <QRect>

#include <cstdint>

enum class RegionKind : std::uint8_t {
    Black = 0,
    White = 1,
    Grey = 2,
    Colour = 3,
    Light = 4,
    Dark = 5
};

struct TRefRegion {
    QRect Rect; // image pixels
    RegionKind Kind = RegionKind::Black;
    std::uint32_t RegionColour = 0; // Colour regions: 0x00BBGGRR, the reference colour then
    bool Active = false;
};

class TRefRegionList : public TMyList<TRefRegion> {
public:
    // Adds a region by the list rules and makes it the Active one. The regions it replaced or
    // removed are appended to `removed` (their rectangles, for repainting).
    TRefRegion* AddRegion(RegionKind kind, const QRect& rect, std::uint32_t colour,
                          std::vector<QRect>* removed = nullptr);
    TRefRegion* FindFirst(RegionKind kind) const;
    TRefRegion* ActiveRegion() const;
    void SetActive(TRefRegion* region);
    // Removes the Active region; the one before it (or the first) becomes Active.
    void DeleteActive();
    // The label of a region: "B", "W", "G", "L", "D", or the number of a Colour region counted
    // from 1 in list order.
    QString Label(const TRefRegion* region) const;

protected:
    std::unique_ptr<TRefRegion> ReadItem(QIODevice& stream) override;
    bool WriteItem(QIODevice& stream, const TRefRegion& item) const override;

private:
    void removeKind(RegionKind kind, std::vector<QRect>* removed);
};

// A hatch area: an inner (0) or outer (1) polygon in image pixels.
struct THatchArea {
    std::int32_t Kind = 0;
    std::vector<QPoint> Points;
};

class THatchAreaList : public TMyList<THatchArea> {
public:
    static constexpr std::int32_t inner = 0;
    static constexpr std::int32_t outer = 1;

    // A rectangle (right and bottom exclusive) as its four corners.
    void AddRectangle(std::int32_t kind, const QRect& rect);
    // A polygon; fewer than 3 points are dropped (false).
    bool AddPolygon(std::int32_t kind, const std::vector<QPoint>& points);
    bool HasOuter() const;

protected:
    std::unique_ptr<THatchArea> ReadItem(QIODevice& stream) override;
    bool WriteItem(QIODevice& stream, const THatchArea& item) const override;
};
