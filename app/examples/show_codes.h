// The codes a recorded command keeps: what the mouse does (the action) and where (the target).
// A target names either a reference frame for the point (codes 0 to 8), a control of the main
// window (9 to 50) or an item of its menus (51 to 64). The codes are stored in example files
// and never change; the editor shows them by name.
#pragma once

#include <cstdint>

enum TShowAction : std::uint8_t {
    saLButtonDown = 0,
    saLButtonUp = 1,
    saLButtonClick = 2,
    saLButtonDblClk = 3,
    saRButtonDown = 4,
    saRButtonUp = 5,
    saRButtonClick = 6,
    saRButtonDblClk = 7,
    saMouseMove = 8,
    saMoveWindow = 9,
};

enum TShowTarget : std::uint8_t {
    snNone = 0,
    snTopLeft = 1,       // from the main window's top-left corner
    snBottomLeft = 2,    // x from its left edge, y from its bottom edge
    snDialog = 3,        // from the top-left of the active dialog window
    snChildImage = 4,    // a point of the picture in the recorded image window, in image pixels
    snRelative = 5,      // an offset from the point of the nearest earlier non-relative command
    snChildTopLeft = 6,  // from the image window's top-left corner
    snChildTopRight = 7, // x from the image window's right edge, y from its top
    snPanorama = 8,      // the panorama window, by zone and zoom (see TShowCmd)
    snOpen = 9,
    snSaveAs = 10,
    snPrint = 11,
    snPrintAll = 12,
    snZoomIn = 13,
    snZoom1to1 = 14,
    snZoomOut = 15,
    snFitImageToWindow = 16,
    snEyedropper = 17,
    snCrop = 18,
    snExtHatchRectArea = 19,
    snIntHatchRectArea = 20,
    snExtHatchPolyArea = 21,
    snIntHatchPolyArea = 22,
    snDeleteHatchAreas = 23,
    snStart = 24,
    snRepeat = 25,
    snNextWindow = 26,
    snTile = 27,
    snCloseAll = 28,
    snCreateNewImage = 29,
    snRefWhite = 30,
    snRefBlack = 31,
    snAuto = 32,
    snRefColor = 33,
    snRefGray = 34,
    snLayerRange = 35,
    snPalette = 36,
    snFRCColor = 37,
    snFRCColorBrightness = 38,
    snFRCBrightness = 39,
    snFromImage = 40,
    snViewPictures = 41,
    snGammaEdit = 42,
    snRefLight = 43,
    snRefDark = 44,
    snFilterRegions = 45,
    snFilterRange = 46,
    snFilterPasses = 47,
    snGammaDialog = 48,
    snLightContrastDialog = 49,
    snDarkContrastDialog = 50,
    snMenuFile = 51,
    snMenuImage = 52,
    snMenuOperation = 53,
    snMenuOptions = 54,
    snMenuWindows = 55,
    snMenuExamples = 56,
    snMenuHelp = 57,
    snMenuImagePanorama = 58,
    snMenuOperationImageCorrection = 59,
    snMenuOperationLayerCorrection = 60,
    snMenuOperationLayerColorReplacement = 61,
    snMenuOperationLayerFilling = 62,
    snMenuOperationLayerTransfer = 63,
    snMenuOperationColorFilter = 64,
};

constexpr std::uint8_t lastShowAction = saMoveWindow;
constexpr std::uint8_t lastShowTarget = snMenuOperationColorFilter;

// The names the editor shows ("LBUTTONCLICK", "snOpen"); empty for a code without a name.
const char* showActionName(std::uint8_t action);
const char* showTargetName(std::uint8_t target);
// The object name of the main window's control a target names ("tbOpen" for snOpen); empty for
// the reference frames, the tool windows and the menus.
const char* showTargetControl(std::uint8_t target);
