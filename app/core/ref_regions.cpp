#include "ref_regions.h"

namespace {
// The kind a new region of `kind` replaces when there is no region of its own kind.
std::optional<RegionKind> partnerOf(RegionKind kind) {
    switch (kind) {
    case RegionKind::Black:
        return RegionKind::Dark;
    case RegionKind::Dark:
        return RegionKind::Black;
    case RegionKind::White:
        return RegionKind::Light;
    case RegionKind::Light:
        return RegionKind::White;
    default:
        return std::nullopt;
    }
}
} // namespace

void TRefRegionList::removeKind(RegionKind kind, std::vector<QRect>* removed) {
    for (int i = Count() - 1; i >= 0; --i) {
        if (Items(i)->Kind == kind) {
            if (removed != nullptr) {
                removed->push_back(Items(i)->Rect);
            }
            DeleteItem(i);
        }
    }
}

TRefRegion* TRefRegionList::AddRegion(RegionKind kind, const QRect& rect, std::uint32_t colour,
                                      std::vector<QRect>* removed) {
    if (kind == RegionKind::Grey) {
        removeKind(RegionKind::Colour, removed);
        removeKind(RegionKind::Grey, removed);
    } else if (kind == RegionKind::Colour) {
        removeKind(RegionKind::Grey, removed);
    } else if (FindFirst(kind) != nullptr) {
        removeKind(kind, removed);
    } else if (const auto partner = partnerOf(kind)) {
        removeKind(*partner, removed);
    }
    auto region = std::make_unique<TRefRegion>();
    region->Rect = rect;
    region->Kind = kind;
    region->RegionColour = kind == RegionKind::Colour ? colour : 0;
    TRefRegion* added =
        kind == RegionKind::Colour ? Add(std::move(region)) : Insert(0, std::move(region));
    SetActive(added);
    return added;
}

TRefRegion* TRefRegionList::FindFirst(RegionKind kind) const {
    for (int i = 0; i < Count(); ++i) {
        if (Items(i)->Kind == kind) {
            return Items(i);
        }
    }
    return nullptr;
}

TRefRegion* TRefRegionList::ActiveRegion() const {
    for (int i = 0; i < Count(); ++i) {
        if (Items(i)->Active) {
            return Items(i);
        }
    }
    return nullptr;
}

void TRefRegionList::SetActive(TRefRegion* region) {
    for (int i = 0; i < Count(); ++i) {
        Items(i)->Active = Items(i) == region;
    }
}

void TRefRegionList::DeleteActive() {
    const int index = IndexOf(ActiveRegion());
    if (index < 0) {
        return;
    }
    DeleteItem(index);
    if (Count() > 0) {
        SetActive(Items(std::max(index - 1, 0)));
    }
}

QString TRefRegionList::Label(const TRefRegion* region) const {
    switch (region->Kind) {
    case RegionKind::Black:
        return "B";
    case RegionKind::White:
        return "W";
    case RegionKind::Grey:
        return "G";
    case RegionKind::Light:
        return "L";
    case RegionKind::Dark:
        return "D";
    case RegionKind::Colour:
        break;
    }
    int number = 0;
    for (int i = 0; i < Count(); ++i) {
        number += Items(i)->Kind == RegionKind::Colour;
        if (Items(i) == region) {
            break;
        }
    }
    return QString::number(number);
}

// A region as 32 bytes: left, top, right, bottom, kind, three bytes of padding, the colour,
// the Active flag and seven bytes of padding.
std::unique_ptr<TRefRegion> TRefRegionList::ReadItem(QIODevice& stream) {
    std::int32_t edges[4];
    std::uint8_t kindAndPadding[4];
    std::uint32_t colour = 0;
    std::uint8_t activeAndPadding[8];
    for (std::int32_t& edge : edges) {
        if (!readValue(stream, edge)) {
            return nullptr;
        }
    }
    if (stream.read(reinterpret_cast<char*>(kindAndPadding), 4) != 4 ||
        !readValue(stream, colour) ||
        stream.read(reinterpret_cast<char*>(activeAndPadding), 8) != 8 || kindAndPadding[0] > 5) {
        return nullptr;
    }
    auto region = std::make_unique<TRefRegion>();
    region->Rect = QRect(QPoint(edges[0], edges[1]), QPoint(edges[2] - 1, edges[3] - 1));
    region->Kind = static_cast<RegionKind>(kindAndPadding[0]);
    region->RegionColour = colour;
    region->Active = activeAndPadding[0] != 0;
    return region;
}

bool TRefRegionList::WriteItem(QIODevice& stream, const TRefRegion& item) const {
    const std::uint8_t kind[4] = {static_cast<std::uint8_t>(item.Kind), 0, 0, 0};
    const std::uint8_t active[8] = {static_cast<std::uint8_t>(item.Active)};
    return writeValue(stream, std::int32_t(item.Rect.left())) &&
           writeValue(stream, std::int32_t(item.Rect.top())) &&
           writeValue(stream, std::int32_t(item.Rect.right() + 1)) &&
           writeValue(stream, std::int32_t(item.Rect.bottom() + 1)) &&
           stream.write(reinterpret_cast<const char*>(kind), 4) == 4 &&
           writeValue(stream, item.RegionColour) &&
           stream.write(reinterpret_cast<const char*>(active), 8) == 8;
}

void THatchAreaList::AddRectangle(std::int32_t kind, const QRect& rect) {
    const int right = rect.left() + rect.width();
    const int bottom = rect.top() + rect.height();
    AddPolygon(kind, {rect.topLeft(), QPoint(right, rect.top()), QPoint(right, bottom),
                      QPoint(rect.left(), bottom)});
}

bool THatchAreaList::AddPolygon(std::int32_t kind, const std::vector<QPoint>& points) {
    if (points.size() < 3) {
        return false;
    }
    auto area = std::make_unique<THatchArea>();
    area->Kind = kind;
    area->Points = points;
    Add(std::move(area));
    return true;
}

bool THatchAreaList::HasOuter() const {
    for (int i = 0; i < Count(); ++i) {
        if (Items(i)->Kind == outer) {
            return true;
        }
    }
    return false;
}

// An area: kind, point count, then x, y of each point (32-bit each). Counts beyond what the
// stream holds fail at the first missing point, before any large allocation.
std::unique_ptr<THatchArea> THatchAreaList::ReadItem(QIODevice& stream) {
    auto area = std::make_unique<THatchArea>();
    std::uint32_t count = 0;
    if (!readValue(stream, area->Kind) || !readValue(stream, count)) {
        return nullptr;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        std::int32_t x = 0;
        std::int32_t y = 0;
        if (!readValue(stream, x) || !readValue(stream, y)) {
            return nullptr;
        }
        area->Points.emplace_back(x, y);
    }
    return area;
}

bool THatchAreaList::WriteItem(QIODevice& stream, const THatchArea& item) const {
    if (!writeValue(stream, item.Kind) ||
        !writeValue(stream, static_cast<std::uint32_t>(item.Points.size()))) {
        return false;
    }
    for (const QPoint& point : item.Points) {
        if (!writeValue(stream, std::int32_t(point.x())) ||
            !writeValue(stream, std::int32_t(point.y()))) {
            return false;
        }
    }
    return true;
}
