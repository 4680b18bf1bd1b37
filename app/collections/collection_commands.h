// CollectionCommands: the colour collection of the main window. Owns the palette panel in the
// operation panel with its pop-up menu, the picture and "from image" buttons and the two labels,
// the collection's file commands in the File menu and the collection's modified state, and hands
// the selected colour to the correction road as the reference colour.
#pragma once

#include "command_controller.h"

#include <cstdint>

class QAction;
class QLabel;
class QMenu;
class QWidget;
class TPalettePanel;
struct TPaletteColor;

class CollectionCommands : public CommandController {
    Q_OBJECT

public:
    explicit CollectionCommands(WorkspaceHost& host, QObject* parent = nullptr);

    // The palette panel, its buttons and labels, laid out in `place` (a widget with a box
    // layout).
    void addPalettePanel(QWidget* place);
    // Open and Save collection, inserted into the File menu before `before`.
    void addFileCommands(QMenu* fileMenu, QAction* before);
    // The collection of the last session, or the shipped one at a first start.
    void loadStartCollection();

    // Loads a collection file into the panel; false (after the error box) when it cannot.
    bool LoadCollection(const QString& fileName);
    // Opens a collection file given by name (from the file manager), after the question about
    // unsaved changes of the current collection.
    void OpenCollectionFile(const QString& fileName);
    bool SaveCollectionTo(const QString& fileName);
    void AddCollectionColour();
    void EditCollectionColour();
    void DeleteCollectionColour();
    void AddColourFromImage();
    // A colour taken from a picture by the colour-pick tool (0x00BBGGRR), without a picture.
    void AddPickedColour(std::uint32_t colour);
    TPalettePanel* palettePanel() const { return cmpPalette; }
    // Before the program or a new collection replaces changes: saves or asks; false when a
    // wanted save failed or was cancelled.
    bool keepCollectionChanges(bool closing);

    void updateEnabling() override;
    void closing() override;

    TPalettePanel* cmpPalette = nullptr;
    QLabel* lbRGB = nullptr;
    QLabel* lbComment = nullptr;
    QAction* btFromImage = nullptr;
    QAction* btViewPictures = nullptr;
    QMenu* PopupMenuCollection = nullptr;
    QAction* mnAddCollection = nullptr;
    QAction* mnEditCollection = nullptr;
    QAction* mnDeleteCollection = nullptr;
    QAction* mnOpenPalette = nullptr;
    QAction* mnSavePaletteAs = nullptr;

private:
    void buildPopupMenu();
    void buildButtons(QWidget* place);
    void openCollectionCommand();
    void collectionColourChanged();
    bool saveCollectionAs();
    QString paletteFolder();
    void editEntry(const QString& caption, TPaletteColor entry, bool replace);
};
