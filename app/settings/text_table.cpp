#include "text_table.h"

#include <numeric>

namespace {
std::vector<int> range(int first, int last) {
    std::vector<int> positions(last - first + 1);
    std::iota(positions.begin(), positions.end(), first);
    return positions;
}
} // namespace

const std::vector<WindowTexts>& textTable() {
    using namespace common_text;
    static const std::vector<WindowTexts> table{
        {"main window", "Main Menu", range(0, 69)},
        {"main window", "Main Toolbar", range(0, 22)},
        {"main window", "Bottom Toolbar", range(0, 32)},
        {"main window", "Main Dialogs", range(0, 3)},
        // Messages are raised through the main window's message boxes.
        {"main window", "Common", range(0, 87)},
        {"image window", "Child window", range(0, 13)},
        {"image window", "Common", {Help, Cancel, Yes, No}},
        {"image files", "INPUT_OUTPUT", range(0, 19)},
        {"image files",
         "Common",
         {FileNotFound, Not24Bit, Loading, Saving, ErrorCaption, Cancel, IncompletePicture}},
        {"progress box", "Progress Box", range(0, 1)},
        {"progress box", "Common", {Cancel}},
        {"colour dialog", "Color Dialog", range(0, 11)},
        {"colour dialog", "Common", {Cancel, OK}},
        {"picture size", "Image Size", range(0, 8)},
        {"picture size", "Common", {Pixels, Inches, Cancel, Help}},
        {"picture resolution", "Image Resolution", range(0, 8)},
        {"picture resolution", "Common", {OK, Cancel, Help}},
        {"picture information", "Image Information", range(0, 2)},
        {"picture information", "Common", {Width, Height, Resolution, Bits, Pixels, OK}},
        {"print", "Print", range(0, 24)},
        {"print", "Common", {Help, Cancel, Start, Width, Height, Resolution, Millimetres, Inches}},
        {"print cancel", "Abort Printing", range(0, 1)},
        {"print cancel", "Common", {Cancel}},
        {"options", "Options", range(0, 15)},
        {"options", "Common", {Help, Cancel}},
        {"tips", "Techniques Dialog", range(0, 19)},
        {"tips", "Common", {Yes, No, Next}},
        {"about", "About", range(0, 3)},
        {"panorama", "Panorama", range(0, 8)},
        {"panorama", "Common", {Help, Start, Cancel}},
        {"example player", "Play Example Dialog", range(0, 7)},
        {"example player", "Common", {BreakExample, Break, Continue, Help}},
        {"example translation", "Translate Example", range(0, 24)},
        {"example translation", "Common", {OK, Cancel, Yes, No}},
        {"help", "Common", {HelpBack, HelpForward, HelpContents}},
    };
    return table;
}
