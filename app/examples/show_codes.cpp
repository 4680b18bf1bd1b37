#include "show_codes.h"

#include <array>

namespace {
constexpr std::array<const char*, lastShowAction + 1> actionNames = {
    "LBUTTONDOWN", "LBUTTONUP",    "LBUTTONCLICK",  "LBUTTONDBLCLK", "RBUTTONDOWN",
    "RBUTTONUP",   "RBUTTONCLICK", "RBUTTONDBLCLK", "MOUSEMOVE",     "MOVEWINDOW",
};

struct TargetNames {
    const char* name;
    const char* control;
};

constexpr std::array<TargetNames, lastShowTarget + 1> targetNames = {{
    {"snNone", ""},
    {"snTopLeft", ""},
    {"snBottomLeft", ""},
    {"snDialog", ""},
    {"snChildImage", ""},
    {"snRelative", ""},
    {"snChildTopLeft", ""},
    {"snChildTopRight", ""},
    {"snPanorama", ""},
    {"snOpen", "tbOpen"},
    {"snSaveAs", "tbSaveAs"},
    {"snPrint", "tbPrint"},
    {"snPrintAll", "tbPrintAll"},
    {"snZoomIn", "tbZoomIn"},
    {"snZoom1to1", "tbZoom1to1"},
    {"snZoomOut", "tbZoomOut"},
    {"snFitImageToWindow", "tbFitImageToWindow"},
    {"snEyedropper", "tbEyedropper"},
    {"snCrop", "tbCrop"},
    {"snExtHatchRectArea", "btExtHatchRectArea"},
    {"snIntHatchRectArea", "btIntHatchRectArea"},
    {"snExtHatchPolyArea", "btExtHatchPolyArea"},
    {"snIntHatchPolyArea", "btIntHatchPolyArea"},
    {"snDeleteHatchAreas", "btDeleteHatchAreas"},
    {"snStart", "tbStart"},
    {"snRepeat", "tbRepeat"},
    {"snNextWindow", "tbNextWindow"},
    {"snTile", "tbTile"},
    {"snCloseAll", "tbCloseAll"},
    {"snCreateNewImage", "cmbCreateNewImage"},
    {"snRefWhite", "btRefWhite"},
    {"snRefBlack", "btRefBlack"},
    {"snAuto", "chbAuto"},
    {"snRefColor", "btRefColor"},
    {"snRefGray", "btRefGray"},
    {"snLayerRange", "edtLayerRange"},
    {"snPalette", "cmpPalette"},
    {"snFRCColor", "rbtColor"},
    {"snFRCColorBrightness", "rbtColorBrightness"},
    {"snFRCBrightness", "rbtBrightness"},
    {"snFromImage", "btFromImage"},
    {"snViewPictures", "btViewPictures"},
    {"snGammaEdit", "edtGamma"},
    {"snRefLight", "btRefLight"},
    {"snRefDark", "btRefDark"},
    {"snFilterRegions", "btFilterRegions"},
    {"snFilterRange", "edtFilterRange"},
    {"snFilterPasses", "edtFilterPasses"},
    {"snGammaDialog", ""},
    {"snLightContrastDialog", ""},
    {"snDarkContrastDialog", ""},
    {"snMenuFile", ""},
    {"snMenuImage", ""},
    {"snMenuOperation", ""},
    {"snMenuOptions", ""},
    {"snMenuWindows", ""},
    {"snMenuExamples", ""},
    {"snMenuHelp", ""},
    {"snMenuImagePanorama", ""},
    {"snMenuOperationImageCorrection", ""},
    {"snMenuOperationLayerCorrection", ""},
    {"snMenuOperationLayerColorReplacement", ""},
    {"snMenuOperationLayerFilling", ""},
    {"snMenuOperationLayerTransfer", ""},
    {"snMenuOperationColorFilter", ""},
}};
} // namespace

const char* showActionName(std::uint8_t action) {
    return action <= lastShowAction ? actionNames[action] : "";
}

const char* showTargetName(std::uint8_t target) {
    return target <= lastShowTarget ? targetNames[target].name : "";
}

const char* showTargetControl(std::uint8_t target) {
    return target <= lastShowTarget ? targetNames[target].control : "";
}
