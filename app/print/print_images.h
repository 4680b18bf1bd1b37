// PrintImages: sends the pictures of a print layout to the printer on one sheet (repeated for
// each copy the printer cannot make itself), each stretched into its place with its title
// centred below it, while the cancel box is shown. The printer's page covers the whole sheet,
// so the layout's positions (printer pixels from the sheet's corner) are drawn as they are.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QPrinter;
class QWidget;
class TLanguage;
class TPrintedImageList;

enum class PrintOutcome {
    Printed,
    Cancelled, // by the user or the printer; nothing of it counts as printed
    Failed     // the job could not start or the printer reported an error
};

struct PrintJob {
    QString Title; // the job's name in the printer's queue
    int Copies = 1;
    QFont TitleFont; // in points
    QColor TitleColour = Qt::black;
};

// A cancelled job is aborted; where the printer cannot abort (Qt's PDF and CUPS engines), what
// was sent is ended, and a file written for it is removed.
PrintOutcome PrintImages(QWidget* owner, const TLanguage& language, const TPrintedImageList& list,
                         QPrinter& printer, const PrintJob& job);
