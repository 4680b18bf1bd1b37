#include "collection_commands.h"

#include "color_form.h"
#include "dialog_filters.h"
#include "image_window.h"
#include "language.h"
#include "palette_panel.h"
#include "panel_glyphs.h"
#include "program_folder.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
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

// The name as the label shows it: the first line, at most 19 characters; a longer line ends
// with an ellipsis after its last whole word that fits.
QString shortName(const QString& name) {
    constexpr int longest = 19;
    const QString firstLine = name.section(QRegularExpression("\r?\n"), 0, 0);
    if (firstLine.size() <= longest) {
        return firstLine;
    }
    QString cut = firstLine.left(longest - 1);
    const qsizetype lastBlank = cut.lastIndexOf(' ');
    if (lastBlank > 0 && !firstLine.at(longest - 1).isSpace()) {
        cut.truncate(lastBlank);
    }
    while (!cut.isEmpty() && (cut.back().isSpace() || cut.back().isPunct())) {
        cut.chop(1);
    }
    return cut + QChar(0x2026);
}

// The pictures switch shows what the collection shows now.
QIcon picturesGlyph(bool picturesShown) {
    return panelGlyph(picturesShown ? PanelGlyph::ShowPictures : PanelGlyph::HidePictures);
}
} // namespace

CollectionCommands::CollectionCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent) {}

void CollectionCommands::addPalettePanel(QWidget* place) {
    const TLanguage& language = host().language();
    cmpPalette = new TPalettePanel(place);
    cmpPalette->setObjectName("cmpPalette");
    const QScreen* screen = place->screen();
    const double dpiX = screen != nullptr ? screen->logicalDotsPerInchX() : 96;
    const double dpiY = screen != nullptr ? screen->logicalDotsPerInchY() : 96;
    cmpPalette->SetButtonWidth(int(std::lround(dpiX * 45 / 96)));
    cmpPalette->SetButtonHeight(int(std::lround(dpiY * 40 / 96)));
    cmpPalette->SetScrollHint(language.Text(section, 10));
    cmpPalette->SetMoveHint(language.Text(section, 11));
    buildPopupMenu();
    buildButtons(place);

    connect(cmpPalette, &TPalettePanel::colorChanged, this,
            &CollectionCommands::collectionColourChanged);
    connect(cmpPalette, &TPalettePanel::colorClick, this, [this] { host().SetToolMode(6); });
    connect(cmpPalette, &TPalettePanel::dblClick, this, [this] {
        if (cmpPalette->IsEmpty()) {
            AddCollectionColour();
        } else {
            EditCollectionColour();
        }
    });
}

void CollectionCommands::buildPopupMenu() {
    const TLanguage& language = host().language();
    PopupMenuCollection = new QMenu(cmpPalette);
    // The pop-up's commands record themselves: clicks inside a menu are not recorded.
    const auto recorded = [this](void (CollectionCommands::*command)()) {
        return [this, command] {
            host().recording().recordPopupCommand();
            (this->*command)();
        };
    };
    mnAddCollection = PopupMenuCollection->addAction(
        language.Text(section, 22), this, recorded(&CollectionCommands::AddCollectionColour));
    mnEditCollection = PopupMenuCollection->addAction(
        language.Text(section, 23), this, recorded(&CollectionCommands::EditCollectionColour));
    mnDeleteCollection = PopupMenuCollection->addAction(
        language.Text(section, 24), this, recorded(&CollectionCommands::DeleteCollectionColour));
    cmpPalette->Cells()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(cmpPalette->Cells(), &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        PopupMenuCollection->popup(cmpPalette->Cells()->mapToGlobal(at));
    });
}

// "From image" and the pictures switch beside the panel, then the colour's two labels.
void CollectionCommands::buildButtons(QWidget* place) {
    const TLanguage& language = host().language();
    QStyle* style = place->style();
    btFromImage = new QAction(style->standardIcon(QStyle::SP_ArrowDown), QString(), this);
    btFromImage->setObjectName("btFromImage");
    btFromImage->setToolTip(language.Text(section, 15));
    connect(btFromImage, &QAction::triggered, this, &CollectionCommands::AddColourFromImage);
    btViewPictures = new QAction(picturesGlyph(false), QString(), this);
    btViewPictures->setObjectName("btViewPictures");
    btViewPictures->setCheckable(true);
    btViewPictures->setToolTip(language.Text(section, 25));
    connect(btViewPictures, &QAction::toggled, this, [this](bool shown) {
        cmpPalette->SetDrawPictures(shown);
        btViewPictures->setIcon(picturesGlyph(shown));
    });

    lbRGB = new QLabel(place);
    lbComment = new QLabel(place);
    auto* labels = new QVBoxLayout;
    labels->addWidget(lbRGB);
    labels->addWidget(lbComment);
    auto* layout = static_cast<QBoxLayout*>(place->layout());
    layout->addWidget(cmpPalette);
    for (QAction* action : {btFromImage, btViewPictures}) {
        auto* button = new QToolButton(place);
        button->setDefaultAction(action);
        button->setAutoRaise(true);
        layout->addWidget(button);
    }
    layout->addLayout(labels);
}

void CollectionCommands::addFileCommands(QMenu* fileMenu, QAction* before) {
    const TLanguage& language = host().language();
    mnOpenPalette = new QAction(language.Text("Main Menu", 8), this);
    mnOpenPalette->setObjectName("mnOpenPalette");
    connect(mnOpenPalette, &QAction::triggered, this, &CollectionCommands::openCollectionCommand);
    mnSavePaletteAs = new QAction(language.Text("Main Menu", 9), this);
    mnSavePaletteAs->setObjectName("mnSavePaletteAs");
    connect(mnSavePaletteAs, &QAction::triggered, this, &CollectionCommands::saveCollectionAs);
    fileMenu->insertActions(before, {mnOpenPalette, mnSavePaletteAs});
    fileMenu->insertSeparator(before);
}

void CollectionCommands::openCollectionCommand() {
    if (!keepCollectionChanges(false)) {
        return;
    }
    const QString name = QFileDialog::getOpenFileName(
        host().dialogParent(), host().language().Text("Main Dialogs", 2), paletteFolder(),
        dialogFilters(host().language().Text("Main Dialogs", 1)).join(";;"));
    if (!name.isEmpty()) {
        host().settings().paletteDirectory = QFileInfo(name).absolutePath();
        LoadCollection(name);
    }
}

void CollectionCommands::OpenCollectionFile(const QString& fileName) {
    if (keepCollectionChanges(false)) {
        host().settings().paletteDirectory = QFileInfo(fileName).absolutePath();
        LoadCollection(fileName);
    }
}

QString CollectionCommands::paletteFolder() {
    const QString stored = host().settings().paletteDirectory;
    if (!stored.isEmpty() && QDir(stored).exists()) {
        return stored;
    }
    const QString mine = userDataFolder() + "/Collection";
    QDir().mkpath(mine);
    return mine;
}

void CollectionCommands::loadStartCollection() {
    if (!host().settings().paletteFileName.isEmpty() &&
        QFileInfo::exists(host().settings().paletteFileName)) {
        LoadCollection(host().settings().paletteFileName);
        return;
    }
    // A first start (or a vanished file): the shipped collection, to be saved under a name of
    // the user's own.
    host().settings().paletteFileName.clear();
    cmpPalette->List().LoadFile(host().dataFolder() + "/Collection/Standard.col");
    cmpPalette->setToolTip(QString());
    cmpPalette->Reset();
}

bool CollectionCommands::LoadCollection(const QString& fileName) {
    host().settings().paletteFileName = fileName;
    cmpPalette->setToolTip(QFileInfo(fileName).fileName());
    const bool loaded = fileName.isEmpty() || cmpPalette->List().LoadFile(fileName);
    if (!loaded) {
        host().errorBox(collectionErrorText(cmpPalette->List().LastError));
        host().settings().paletteFileName.clear();
        cmpPalette->setToolTip(QString());
    }
    cmpPalette->Reset();
    return loaded;
}

bool CollectionCommands::SaveCollectionTo(const QString& fileName) {
    if (!cmpPalette->List().SaveFile(fileName)) {
        host().errorBox(collectionErrorText(cmpPalette->List().LastError));
        return false;
    }
    host().settings().paletteFileName = fileName;
    cmpPalette->setToolTip(QFileInfo(fileName).fileName());
    cmpPalette->Modified = false;
    return true;
}

bool CollectionCommands::saveCollectionAs() {
    QFileDialog dialog(host().dialogParent(), host().language().Text("Main Dialogs", 3),
                       paletteFolder(),
                       dialogFilters(host().language().Text("Main Dialogs", 1)).join(";;"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("col");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString name = dialog.selectedFiles().first();
    host().settings().paletteDirectory = QFileInfo(name).absolutePath();
    return SaveCollectionTo(name);
}

bool CollectionCommands::keepCollectionChanges(bool closing) {
    if (closing && host().settings().config.SaveCollection != 0 &&
        !host().settings().paletteFileName.isEmpty()) {
        return SaveCollectionTo(host().settings().paletteFileName);
    }
    if (cmpPalette->Modified && host().questionBox(common_text::SaveCollectionQuestion)) {
        return saveCollectionAs();
    }
    return true;
}

void CollectionCommands::collectionColourChanged() {
    TPaletteColor entry;
    if (!cmpPalette->GetSelected(entry)) {
        lbRGB->clear();
        lbComment->clear();
        lbComment->setToolTip(QString());
        return;
    }
    const auto rgb = rgbOf(entry.Color);
    lbRGB->setText(QString("R:%1, G:%2, B:%3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]));
    std::copy(rgb.begin(), rgb.end(), host().settings().config.ReferenceColour);
    lbComment->setText(shortName(entry.DisplayName()));
    lbComment->setToolTip(entry.DisplayName());
}

void CollectionCommands::editEntry(const QString& caption, TPaletteColor entry, bool replace) {
    const auto rgb = rgbOf(entry.Color);
    TfrmColor dialog(host().language(), entry.DisplayName(), rgb[0], rgb[1], rgb[2], caption,
                     host().dialogParent());
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

void CollectionCommands::AddCollectionColour() {
    TPaletteColor entry;
    const std::uint8_t* reference = host().settings().config.ReferenceColour;
    entry.Color = colourOf(reference[0], reference[1], reference[2]);
    editEntry(host().language().Text("Color Dialog", 0), entry, false);
}

void CollectionCommands::EditCollectionColour() {
    TPaletteColor entry;
    if (cmpPalette->GetSelected(entry)) {
        editEntry(host().language().Text("Color Dialog", 1), entry, true);
    }
}

void CollectionCommands::DeleteCollectionColour() {
    cmpPalette->DeleteSelected();
}

void CollectionCommands::AddColourFromImage() {
    TfrmMDIChild* window = host().activeImageWindow();
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

void CollectionCommands::AddPickedColour(std::uint32_t colour) {
    TPaletteColor entry;
    entry.Color = colour;
    cmpPalette->AddEntry(entry);
}

void CollectionCommands::updateEnabling() {
    TfrmMDIChild* window = host().activeImageWindow();
    btFromImage->setEnabled(window != nullptr && window->Regions.Count() > 0);
    mnEditCollection->setEnabled(!cmpPalette->IsEmpty());
    mnDeleteCollection->setEnabled(!cmpPalette->IsEmpty());
}

void CollectionCommands::closing() {
    keepCollectionChanges(true);
}
