// TPrintForm: the print dialog. It lays out the pictures of a list on the printer's sheet
// (TPrintLayout) and shows them in a scaled preview; the fields set the active picture's
// place and size in millimetres or inches, the check boxes its options, and the title below
// it is printed in one font for all. Four sheet tabs show what was printed before on each of
// four sheets that may go through the printer again (TPageFilling, read when the dialog
// opens). Start stores the font, copies and unit in the settings and closes with OK; the
// command then prints and tells the dialog how the job ended, and only a printed job adds its
// pictures' areas to the chosen sheet.
#pragma once

#include "print_layout.h"
#include "printed_area.h"
#include "title_font.h"

#include <QDialog>

#include <array>
#include <functional>
#include <utility>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QTabBar;
class QToolButton;
class TIntEdit;
class TLanguage;
class TPrintPreview;
class TRealEdit;
struct TLocalSettings;

class TPrintForm : public QDialog {
    Q_OBJECT

public:
    TPrintForm(const TLanguage& language, TLocalSettings& settings, QPrinter& printer,
               const QString& printedAreaFile, QWidget* parent = nullptr);
    ~TPrintForm() override;

    // Lays out the pictures of `list` (which must outlive the dialog) and shows the first.
    void SetImages(TPrintedImageList& list);
    const TPrintLayout& Layout() const { return layout_; }
    TPageFilling& PageFilling() { return filling_; }
    TPrintPreview& Preview() const { return *preview_; }
    // The chosen sheet tab (0 to 3).
    int CurrentSheet() const;
    // The font and colour of the titles.
    const TitleFont& Title() const { return title_; }
    int Copies() const;

    // The font dialog's answer: the titles' new font.
    void SetTitleFont(const QFont& font);
    // The printer was set up anew: its metrics, the labels, the fields and the preview.
    void PrinterChanged();
    // After the job Start began: the areas of a printed job are added to the chosen sheet,
    // and the list is written in any case (a cleared sheet stays cleared). False when the file
    // could not be written, which changes nothing else.
    bool RecordJob(bool printed);

    // Opens a help topic (the Help button).
    std::function<void(int topic)> showHelp;
    // The printer setup dialog; true when it was closed with OK. Without it, Qt's print dialog.
    std::function<bool(QPrinter&)> setUpPrinter;

private:
    void buildControls();
    QWidget* buildPrinterPanel();
    QWidget* buildPicturePanel();
    QWidget* buildTitlePanel();
    QWidget* buildButtons();
    void fillImageList();
    void showActive();
    std::array<std::pair<TRealEdit*, TPrintLayout::Field>, 4> fieldEdits() const;
    void showFields();
    void showUnitTexts();
    void chooseUnit(PrintUnit unit);
    void chooseImage(int index);
    void deleteImage();
    void optionClicked(TPrintLayout::Option option, bool on);
    void chooseFont();
    void runPrinterSetup();
    void clearSheet();
    void start();

    const TLanguage& language_;
    TLocalSettings& settings_;
    QPrinter& printer_;
    QString printedAreaFile_;
    TPrintLayout layout_;
    TPageFilling filling_;
    TitleFont title_;

    TPrintPreview* preview_ = nullptr;
    QTabBar* PageControl = nullptr;
    QLabel* lbCurrentPrinter = nullptr;
    QLabel* lb_PrinterResolution = nullptr;
    QLabel* lb_PageSize = nullptr;
    QLabel* lb_ImageSize = nullptr;
    QLabel* lb_ImageResolution = nullptr;
    QComboBox* cmb_Images = nullptr;
    QToolButton* btImageDelete = nullptr;
    TRealEdit* edtTop = nullptr;
    TRealEdit* edtLeft = nullptr;
    TRealEdit* edtWidth = nullptr;
    TRealEdit* edtHeight = nullptr;
    QRadioButton* rbMm = nullptr;
    QRadioButton* rbInch = nullptr;
    QCheckBox* chbKeepAspectRatio = nullptr;
    QCheckBox* chbFitToPage = nullptr;
    QCheckBox* chbCenterHorizontally = nullptr;
    QCheckBox* chbCenterVertically = nullptr;
    QCheckBox* chb1to1 = nullptr;
    QLineEdit* edtTitle = nullptr;
    QLabel* lbFont = nullptr;
    TIntEdit* edtCopies = nullptr;
};
