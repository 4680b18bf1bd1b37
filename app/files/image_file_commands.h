// Opening pictures into new image windows and saving the picture of an image window, through
// the image-file library, with the progress box, the format option dialogs and the error texts
// of the library's result codes.
#pragma once

#include <QString>
#include <QStringList>

class WorkspaceHost;
class TfrmMDIChild;
class TLanguage;

// Whether the file's extension names one of the five formats the program reads and writes
// (.bmp, .jpg, .jpeg, .jpe, .tif, .tiff, .png, .pcx, in any case).
bool isKnownPictureExtension(const QString& fileName);
// The text of an image-file library result code (empty for codes it does not know).
QString resultCodeText(const TLanguage& language, int code);
// The format bits of a save by the file's extension and the stored options.
struct TLocalSettings;
unsigned formatBitsFor(const QString& fileName, const TLocalSettings& local);

// Opens one picture file in a new image window; false (after telling the user why, unless
// cancelled) when it cannot. A picture the file holds only in part opens with a warning, in
// the status bar too.
bool OpenImageFile(WorkspaceHost& main, const QString& fileName);
// Writes the picture of `window` to `fileName` (asking for the format's options first when
// they are to be shown); true when written.
bool SaveImageFile(WorkspaceHost& main, TfrmMDIChild& window, const QString& fileName);
// Writes the picture of `window` to `fileName` with the format bits given, asking nothing (a
// PNG file gets the smallest-file compression when the settings ask for it); true when
// written, and the window's picture then belongs to that file. A failed write leaves any
// earlier file of that name as it was.
bool WriteImageFile(WorkspaceHost& main, TfrmMDIChild& window, const QString& fileName,
                    unsigned formatBits);
