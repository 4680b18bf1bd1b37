#include "hatch_region.h"

#include <vector>

platform::RegionHandle BuildHatchRegion(const THatchAreaList& areas, int width, int height) {
    if (areas.Count() == 0) {
        return nullptr;
    }
    platform::RegionHandle result = areas.HasOuter()
                                        ? platform::createRectRegion(0, 0, 0, 0)
                                        : platform::createRectRegion(0, 0, width, height);
    for (int i = 0; i < areas.Count(); ++i) {
        std::vector<platform::RegionPoint> points;
        for (const QPoint& p : areas[i]->Points) {
            points.push_back({p.x(), p.y()});
        }
        platform::RegionHandle polygon =
            platform::createPolygonRegion(points, platform::FillMode::Winding);
        platform::combineRegion(result, result, polygon,
                                areas[i]->Kind == THatchAreaList::outer
                                    ? platform::CombineMode::Or
                                    : platform::CombineMode::Diff);
        platform::deleteRegion(polygon);
    }
    return result;
}

QPainterPath HatchOverlayPath(const THatchAreaList& areas, const QRect& display,
                              const std::function<QPoint(QPoint)>& toDisplay) {
    QPainterPath hatched;
    hatched.setFillRule(Qt::WindingFill);
    if (areas.HasOuter()) {
        hatched.addRect(display);
    }
    for (int i = 0; i < areas.Count(); ++i) {
        QPolygonF polygon;
        for (const QPoint& p : areas[i]->Points) {
            polygon << toDisplay(p);
        }
        QPainterPath area;
        area.setFillRule(Qt::WindingFill);
        area.addPolygon(polygon);
        area.closeSubpath();
        hatched = areas[i]->Kind == THatchAreaList::outer ? hatched.subtracted(area)
                                                          : hatched.united(area);
    }
    return hatched;
}
