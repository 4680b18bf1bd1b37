// The operation panel's own glyphs, drawn by the program: the Colour button's three faces
// (a reference colour for image correction, a layer sample for layer correction, a layer for
// the layer operations) and the two faces of the collection's pictures switch.
#pragma once

#include <QIcon>
#include <QImage>

enum class PanelGlyph {
    RefColour,      // "REFCOLOR"
    RefColourLayer, // "REFCOLORLAYER"
    Layer,          // "LAYER"
    ShowPictures,   // "SHOWPICTURES": the collection shows its pictures
    HidePictures,   // "HIDEPICTURES": the collection shows its colours
};

// The glyph as a 32 x 32 picture with a transparent background.
QImage panelGlyphImage(PanelGlyph glyph);
QIcon panelGlyph(PanelGlyph glyph);
