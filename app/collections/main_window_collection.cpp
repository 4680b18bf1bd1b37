// The main window's colour collection: the palette panel in the operation panel, its pop-up
// menu and labels, the collection files and the commands that add, edit and delete colours.
#include "color_form.h"
#include "image_file_commands.h"
#include "main_window.h"
#include "operation_panel.h"
#include "palette_panel.h"
#include "program_folder.h"
#include "text_table.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
const QString section = "Bottom Toolbar";

// The texts of a collection error (LastError 1 to 4).
int collectionErrorText(std::uint8_t lastError) {
    switch (lastError) {
    case TPaletteList::NotACollection:
        return common_text::NotACollection;
    case TPaletteList::BadVersion:
        return common_text::CollectionVersion;
    case TPaletteList::WriteError:
        return common_text::CollectionWriteError;
    default:
        return common_text::CollectionReadError;
    }
}

std::array<std::uint8_t, 3> rgbOf(std::uint32_t colour) {
    return {std::uint8_t(colour), std::uint8_t(colour >> 8), std::uint8_t(colour >> 16)};
}

std::uint32_t colourOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return red | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16);
}

// The name as the label shows it: the first line, at most 19 characters.
QString shortName(const QString& name) {
    const QString firstLine = name.section(QRegularExpression("\r?\n"), 0, 0);
    return firstLine.left(19);
}
} // namespace

void TfrmMDIParent::buildCollectionPanel() {
    cmpPalette = new TPalettePanel(operationPanel_->pnlPalette);
    cmpPalette->setObjectName("cmpPalette");
    const QScreen* screen = this->screen();
    const double dpiX = screen != nullptr ? screen->logicalDotsPerInchX() : 96;
    const double dpiY = screen != nullptr ? screen->logicalDotsPerInchY() : 96;
    cmpPalette->SetButtonWidth(int(std::lround(dpiX * 45 / 96)));
    cmpPalette->SetButtonHeight(int(std::lround(dpiY * 40 / 96)));
    cmpPalette->SetScrollHint(language_.Text(section, 10));
    cmpPalette->SetMoveHint(language_.Text(section, 11));

    PopupMenuCollection = new QMenu(this);
    mnAddCollection = PopupMenuCollection->addAction(language_.Text(section, 22), this,
                                                     &TfrmMDIParent::AddCollectionColour);
    mnEditCollection = PopupMenuCollection->addAction(language_.Text(section, 23), this,
                                                      &TfrmMDIParent::EditCollectionColour);
    mnDeleteCollection = PopupMenuCollection->addAction(language_.Text(section, 24), this,
                                                        &TfrmMDIParent::DeleteCollectionColour);
    cmpPalette->Cells()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cmpPalette->Cells(), &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        PopupMenuCollection->popup(cmpPalette->Cells()->mapToGlobal(at));
    });

    btFromImage = new QAction(style()->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    btFromImage->setObjectName("btFromImage");
    btFromImage->setToolTip(language_.Text(section, 15));
    connect(btFromImage, &QAction::triggered, this, &TfrmMDIParent::AddColourFromImage);
    btViewPictures =
        new QAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QString(), this);
    btViewPictures->setObjectName("btViewPictures");
    btViewPictures->setCheckable(true);
    btViewPictures->setToolTip(language_.Text(section, 25));
    connect(btViewPictures, &QAction::toggled, cmpPalette, &TPalettePanel::SetDrawPictures);

    lbRGB = new QLabel(operationPanel_->pnlPalette);
    lbComment = new QLabel(operationPanel_->pnlPalette);
    auto* labels = new QVBoxLayout;
    labels->addWidget(lbRGB);
    labels->addWidget(lbComment);
    QLayout* palette = operationPanel_->pnlPalette->layout();
    palette->addWidget(cmpPalette);
    for (QAction* action : {btFromImage, btViewPictures}) {
        auto* button = new QToolButton(operationPanel_->pnlPalette);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        palette->addWidget(button);
    }
    static_cast<QBoxLayout*>(palette)->addLayout(labels);

    connect(cmpPalette, &TPalettePanel::colorChanged, this,
            &TfrmMDIParent::collectionColourChanged);
    connect(cmpPalette, &TPalettePanel::colorClick, this, [this] { SetToolMode(6); });
    connect(cmpPalette, &TPalettePanel::dblClick, this, [this] {
        if (cmpPalette->IsEmpty()) {
            AddCollectionColour();
        } else {
            EditCollectionColour();
        }
    });
    connect(this, &TfrmMDIParent::colourPickedFromImage, this, &TfrmMDIParent::AddPickedColour);

    mnOpenPalette = new QAction(language_.Text("Main Menu", 8), this);
    mnOpenPalette->setObjectName("mnOpenPalette");
    connect(mnOpenPalette, &QAction::triggered, this, [this] {
        if (!keepCollectionChanges(false)) {
            return;
        }
        const QString name = QFileDialog::getOpenFileName(
            this, language_.Text("Main Dialogs", 2), paletteFolder(),
            dialogFilters(language_.Text("Main Dialogs", 1)).join(";;"));
        if (!name.isEmpty()) {
            settings_.paletteDirectory = QFileInfo(name).absolutePath();
            LoadCollection(name);
        }
    });
    mnSavePaletteAs = new QAction(language_.Text("Main Menu", 9), this);
    mnSavePaletteAs->setObjectName("mnSavePaletteAs");
    connect(mnSavePaletteAs, &QAction::triggered, this, &TfrmMDIParent::saveCollectionAs);
    mmnFile->insertActions(mnExit, {mnOpenPalette, mnSavePaletteAs});
    mmnFile->insertSeparator(mnExit);
}

QString TfrmMDIParent::paletteFolder() {
    const QString stored = settings_.paletteDirectory;
    if (!stored.isEmpty() && QDir(stored).exists()) {
        return stored;
    }
    const QString mine = userDataFolder() + "/Collection";
    QDir().mkpath(mine);
    return mine;
}

void TfrmMDIParent::loadStartCollection() {
    if (!settings_.paletteFileName.isEmpty() && QFileInfo::exists(settings_.paletteFileName)) {
        LoadCollection(settings_.paletteFileName);
        return;
    }
    // A first start (or a vanished file): the shipped collection, to be saved under a name of
    // the user's own.
    settings_.paletteFileName.clear();
    cmpPalette->List().LoadFile(dataFolder_ + "/Collection/Standard.col");
    cmpPalette->setToolTip(QString());
    cmpPalette->Reset();
}

bool TfrmMDIParent::LoadCollection(const QString& fileName) {
    settings_.paletteFileName = fileName;
    cmpPalette->setToolTip(QFileInfo(fileName).fileName());
    const bool loaded = fileName.isEmpty() || cmpPalette->List().LoadFile(fileName);
    if (!loaded) {
        errorBox(collectionErrorText(cmpPalette->List().LastError));
        settings_.paletteFileName.clear();
        cmpPalette->setToolTip(QString());
    }
    cmpPalette->Reset();
    return loaded;
}

bool TfrmMDIParent::SaveCollectionTo(const QString& fileName) {
    if (!cmpPalette->List().SaveFile(fileName)) {
        errorBox(collectionErrorText(cmpPalette->List().LastError));
        return false;
    }
    settings_.paletteFileName = fileName;
    cmpPalette->setToolTip(QFileInfo(fileName).fileName());
    cmpPalette->Modified = false;
    return true;
}

bool TfrmMDIParent::saveCollectionAs() {
    QFileDialog dialog(this, language_.Text("Main Dialogs", 3), paletteFolder(),
                       dialogFilters(language_.Text("Main Dialogs", 1)).join(";;"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("col");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString name = dialog.selectedFiles().first();
    settings_.paletteDirectory = QFileInfo(name).absolutePath();
    return SaveCollectionTo(name);
}

bool TfrmMDIParent::keepCollectionChanges(bool closing) {
    if (closing && settings_.config.SaveCollection != 0 && !settings_.paletteFileName.isEmpty()) {
        return SaveCollectionTo(settings_.paletteFileName);
    }
    if (cmpPalette->Modified && questionBox(common_text::SaveCollectionQuestion)) {
        return saveCollectionAs();
    }
    return true;
}

void TfrmMDIParent::collectionColourChanged() {
    TPaletteColor entry;
    if (!cmpPalette->GetSelected(entry)) {
        lbRGB->clear();
        lbComment->clear();
        return;
    }
    const auto rgb = rgbOf(entry.Color);
    lbRGB->setText(QString("R:%1, G:%2, B:%3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]));
    std::copy(rgb.begin(), rgb.end(), settings_.config.ReferenceColour);
    lbComment->setText(shortName(entry.DisplayName()));
}

void TfrmMDIParent::editEntry(const QString& caption, TPaletteColor entry, bool replace) {
    const auto rgb = rgbOf(entry.Color);
    TfrmColor dialog(language_, entry.DisplayName(), rgb[0], rgb[1], rgb[2], caption, this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const std::uint32_t colour = colourOf(dialog.R(), dialog.G(), dialog.B());
    if (!replace) {
        TPaletteColor added;
        added.Color = colour;
        added.SetDisplayName(dialog.Comment());
        cmpPalette->AddEntry(added);
    } else if (colour != entry.Color) {
        TPaletteColor changed; // a new colour: the old picture no longer shows it
        changed.Color = colour;
        changed.SetDisplayName(dialog.Comment());
        cmpPalette->ReplaceSelected(changed);
    } else {
        cmpPalette->List()[cmpPalette->PressedButton()]->SetDisplayName(dialog.Comment());
        cmpPalette->Modified = true;
        cmpPalette->SetPressedButton(cmpPalette->PressedButton());
    }
}

void TfrmMDIParent::AddCollectionColour() {
    TPaletteColor entry;
    const std::uint8_t* reference = settings_.config.ReferenceColour;
    entry.Color = colourOf(reference[0], reference[1], reference[2]);
    editEntry(language_.Text("Color Dialog", 0), entry, false);
}

void TfrmMDIParent::EditCollectionColour() {
    TPaletteColor entry;
    if (cmpPalette->GetSelected(entry)) {
        editEntry(language_.Text("Color Dialog", 1), entry, true);
    }
}

void TfrmMDIParent::DeleteCollectionColour() {
    cmpPalette->DeleteSelected();
}

void TfrmMDIParent::AddColourFromImage() {
    TfrmMDIChild* window = activeImageWindow();
    const TRefRegion* region = window != nullptr ? window->Regions.ActiveRegion() : nullptr;
    if (region == nullptr) {
        return;
    }
    const BgrColor bgr = window->Image().ExtractColor(region->Rect);
    TPaletteColor entry;
    entry.Color = colourOf(bgr[2], bgr[1], bgr[0]);
    const QRect part(region->Rect.topLeft(),
                     region->Rect.size().boundedTo(
                         QSize(cmpPalette->PictureWidth(), cmpPalette->PictureHeight())));
    entry.Picture = window->Image().CopyRectToHandle(part);
    entry.PictureSize =
        entry.Picture != nullptr ? std::int32_t(platform::memSize(entry.Picture)) : 0;
    cmpPalette->AddEntry(entry);
}

void TfrmMDIParent::AddPickedColour(std::uint32_t colour) {
    TPaletteColor entry;
    entry.Color = colour;
    cmpPalette->AddEntry(entry);
}
