// TResolutionForm: the resolution stored in a picture's header, taken from the display, from the
// default printer or typed in. Only the header changes; the pixels stay as they are.
#pragma once

#include "numeric_edit.h"
#include "platform/packed_bitmap.h"
#include "settings_records.h"

#include <QDialog>
#include <QString>

#include <cstdint>
#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class TLanguage;

// A resolution stored in pixels per metre as dots per inch, and back. Halves round to the even
// neighbour.
int DotsPerInch(std::int32_t pixelsPerMetre);
std::int32_t PixelsPerMetre(int dotsPerInch);

struct TDpi {
    int horizontal = 0;
    int vertical = 0;
};

// The resolutions the dialog offers besides the typed one.
struct TDeviceResolutions {
    TDpi display;
    TDpi printer;
    QString printerName; // empty when there is no default printer

    bool HasPrinter() const { return !printerName.isEmpty(); }
    // The logical resolution of the screen showing `window` (without one, the primary screen)
    // and the default printer's.
    static TDeviceResolutions Read(const QWidget* window = nullptr);
};

class TResolutionForm : public QDialog {
    Q_OBJECT

public:
    // The values of ResolutionSource.
    enum Source { Display = 0, Printer = 1, User = 2 };

    // Opens on the source in config.ResolutionSource and stores the choice there on OK. The
    // typed resolution starts as the picture's own.
    TResolutionForm(const TLanguage& language, const BITMAPINFOHEADER& header,
                    TConfigSettings& config, const TDeviceResolutions& devices,
                    QWidget* parent = nullptr);

    int HorizontalDpi() const;
    int VerticalDpi() const;
    // Writes the chosen resolution into the header as pixels per metre.
    void ApplyTo(BITMAPINFOHEADER& header) const;

    // OK: the source goes into the settings.
    void accept() override;

    // Set by the program; the Help button calls it.
    std::function<void()> showHelp;

    QLabel* lbCurrentResolution;
    QLabel* lbDisplayRes;
    QLabel* lbPrinterRes;
    QLabel* lbPrinterName;
    QRadioButton* rbDispaly;
    QRadioButton* rbPrinter;
    QRadioButton* rbUser;
    TIntEdit* edtHorizontal;
    TIntEdit* edtVertical;
    QPushButton* btOK;
    QPushButton* btCancel;
    QPushButton* btHelp;

private:
    Source source() const;
    // The stored source, or Display when it is unknown or names a missing printer.
    Source startingSource(std::int32_t stored) const;
    void sourceChosen(int source);
    void showInEdits(TDpi dpi, bool editable);
    void rememberUserValues();
    void layOut(const TLanguage& language);

    TConfigSettings& config_;
    TDeviceResolutions devices_;
    QButtonGroup* sources_;
    TDpi userDpi_;
};
