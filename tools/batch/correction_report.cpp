#include "correction_report.h"

#include "area_measurement.h"
#include "correction_probe.h"

#include <iomanip>

namespace {

const char* measureName(const ReferenceArea& area) {
    if (area.role == AreaRole::Neutral || area.role == AreaRole::Grey) {
        return "area average";
    }
    const bool white = area.role == AreaRole::White;
    switch (area.measureMode) {
    case 1:
        return white ? "lightest pixel" : "darkest pixel";
    case 2:
        return white ? "lightest unclipped pixel" : "darkest unclipped pixel";
    case 4:
        return white ? "darkest unclipped pixel" : "lightest unclipped pixel";
    default:
        return "area average";
    }
}

void printMeasuredAreas(std::ostream& out, const LockedPicture& picture,
                        const std::vector<ReferenceArea>& areas) {
    std::vector<Rgb> measured;
    for (const ReferenceArea& area : areas) {
        measured.push_back(measuredColor(picture, area));
    }
    const std::vector<Rgb> corrected = correctedColors(measured);
    for (std::size_t k = 0; k < areas.size() && k < corrected.size(); ++k) {
        out << areas[k].name << ": " << measureName(areas[k]) << " " << rgbText(measured[k])
            << " (R,G,B) becomes " << rgbText(corrected[k]) << "\n";
    }
}

void printCurves(std::ostream& out) {
    const std::vector<Rgb> curves = correctionCurves();
    if (curves.empty()) {
        return;
    }
    out << "curves (a grey level in, each channel out):\n" << std::setw(8) << "in";
    for (int level : curveKeyLevels) {
        out << std::setw(5) << level;
    }
    out << "\n";
    const char* channels[] = {"red", "green", "blue"};
    for (std::size_t c = 0; c < 3; ++c) {
        out << std::setw(8) << channels[c];
        for (int level : curveKeyLevels) {
            out << std::setw(5) << static_cast<int>(curves[level][c]);
        }
        out << "\n";
    }
}

} // namespace

void printCorrectionReport(std::ostream& out, const LockedPicture& picture,
                           const std::vector<ReferenceArea>& areas, bool autoPoints) {
    printMeasuredAreas(out, picture, areas);
    if (autoPoints) {
        out << "--auto: the white and black points without an area are searched in the "
               "whole picture\n";
    }
    printCurves(out);
}
