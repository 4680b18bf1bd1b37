#include "image_commands.h"

#include "dib_image.h"
#include "edit_run.h"
#include "image_edits.h"
#include "image_information_form.h"
#include "image_size_form.h"
#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "picture_clipboard.h"
#include "progress_form.h"
#include "resolution_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>

#include <new>

ImageCommands::ImageCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent) {
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this,
            &ImageCommands::clipboardChanged);
    clipboardChanged();
}

void ImageCommands::addImageMenu(QMenuBar* bar, QAction* before) {
    const TLanguage& language = host().language();
    mmnImage = new QMenu(language.Text("Main Menu", 13), bar);
    mmnImage->setObjectName("mmnImage");
    bar->insertMenu(before, mmnImage);
    mnImageResize = addMainMenuItem(mmnImage, language, "mnImageResize", 14);
    connect(mnImageResize, &QAction::triggered, this, &ImageCommands::ResizeCommand);
    mnImageResolution = addMainMenuItem(mmnImage, language, "mnImageResolution", 15);
    connect(mnImageResolution, &QAction::triggered, this, &ImageCommands::ResolutionCommand);
    mnImageRotate = mmnImage->addMenu(language.Text("Main Menu", 16));
    mnImageRotate->setObjectName("mnImageRotate");
    const std::pair<const char*, const char*> turns[] = {
        {"mnRotate90", "&90°"}, {"mnRotate180", "&180°"}, {"mnRotate270", "&270°"}};
    QAction* items[3];
    for (int code = 0; code < 3; ++code) {
        items[code] = mnImageRotate->addAction(QString::fromUtf8(turns[code].second));
        items[code]->setObjectName(turns[code].first);
        connect(items[code], &QAction::triggered, this, [this, code] { Rotate(code); });
    }
    mnRotate90 = items[0];
    mnRotate180 = items[1];
    mnRotate270 = items[2];
    mnImageConvertToGray = addMainMenuItem(mmnImage, language, "mnImageConvertToGray", 17);
    connect(mnImageConvertToGray, &QAction::triggered, this, &ImageCommands::ConvertToGrey);
    mmnImage->addSeparator();
    mnImagePanorama = addMainMenuItem(mmnImage, language, "mnImagePanorama", 18);
    mmnImage->addSeparator();
    mnImageInfo = addMainMenuItem(mmnImage, language, "mnImageInfo", 55);
    connect(mnImageInfo, &QAction::triggered, this, &ImageCommands::InformationCommand);
}

void ImageCommands::addEditMenu(QMenuBar* bar, QAction* before) {
    const TLanguage& language = host().language();
    mmnEdit = new QMenu(language.Text("Main Menu", 65), bar);
    mmnEdit->setObjectName("mmnEdit");
    bar->insertMenu(before, mmnEdit);
    mnUndo = addMainMenuItem(mmnEdit, language, "mnUndo", 66);
    mnUndo->setShortcut(QKeySequence::Undo);
    connect(mnUndo, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = host().activeImageWindow()) {
            window->Undo();
        }
    });
    mnRedo = addMainMenuItem(mmnEdit, language, "mnRedo", 67);
    // Ctrl+Shift+Z, and the desktop's own Redo keys besides (Ctrl+Y on some).
    mnRedo->setShortcuts(
        eachKeyOnce(QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)} +
                    QKeySequence::keyBindings(QKeySequence::Redo)));
    connect(mnRedo, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = host().activeImageWindow()) {
            window->Redo();
        }
    });
}

void ImageCommands::addClipboardCommands(QMenu* fileMenu, QAction* before) {
    const TLanguage& language = host().language();
    mnImageCopy = new QAction(language.Text("Main Menu", 6), this);
    mnImageCopy->setObjectName("mnImageCopy");
    mnImageCopy->setShortcut(QKeySequence::Copy);
    connect(mnImageCopy, &QAction::triggered, this, [this] {
        if (TfrmMDIChild* window = host().activeImageWindow()) {
            Copy(*window);
        }
    });
    mnImagePaste = new QAction(language.Text("Main Menu", 7), this);
    mnImagePaste->setObjectName("mnImagePaste");
    mnImagePaste->setShortcut(QKeySequence::Paste);
    connect(mnImagePaste, &QAction::triggered, this, &ImageCommands::Paste);
    fileMenu->insertActions(before, {mnImageCopy, mnImagePaste});
}

void ImageCommands::addWorkspaceMenu(QWidget* workspace) {
    popupWorkspace = new QMenu(workspace);
    popmnCopyImage = popupWorkspace->addAction(mnImageCopy->text());
    popmnCopyImage->setObjectName("popmnCopyImage");
    connect(popmnCopyImage, &QAction::triggered, mnImageCopy, &QAction::trigger);
    popmnPasteImage = popupWorkspace->addAction(mnImagePaste->text());
    popmnPasteImage->setObjectName("popmnPasteImage");
    connect(popmnPasteImage, &QAction::triggered, this, &ImageCommands::Paste);
    workspace->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(workspace, &QWidget::customContextMenuRequested, this,
            [this, workspace](QPoint at) { popupWorkspace->popup(workspace->mapToGlobal(at)); });
}

void ImageCommands::Rotate(int angleCode) {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    auto result =
        RunPictureEdit(host(), *window, common_text::ProgressRotate, [&](TDIBImage& turned) {
            return ::Rotate(window->Image(), angleCode, TProgressForm::EngineProgress, turned);
        });
    if (result != nullptr) {
        ShowEditResult(host(), *window, std::move(result));
    }
}

// Grey is written like a correction: into the picture itself, or into a new one with "Create
// new window"; Cancel only in the second case, as the first changes the picture row by row.
void ImageCommands::ConvertToGrey() {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    TDIBImage& source = window->Image();
    const bool newWindow = host().settings().config.CreateNewWindow != 0;
    std::unique_ptr<TDIBImage> created;
    if (newWindow) {
        created = std::make_unique<TDIBImage>();
        if (!created->CreateLike(source)) {
            host().errorBox(common_text::OutOfMemory);
            return;
        }
    }
    TDIBImage& destination = newWindow ? *created : source;
    const bool kept = !newWindow && window->KeepStateBeforeChange(); // for Undo
    const int done = host().RunWithProgress(
        host().language().Text("Common", common_text::ProgressGrey), newWindow, [&] {
            return ::ConvertToGrey(source, destination, nullptr, TProgressForm::EngineProgress) ? 1
                                                                                                : 0;
        });
    if (done == 0) {
        if (kept) {
            window->ChangeFailed();
        }
        return; // cancelled: a new picture is freed with `created`
    }
    destination.Corrected = source.Corrected;
    if (newWindow) {
        host().NewResultWindow(std::move(created), *window);
    } else {
        window->SetSaved(false);
        window->View()->viewport()->update();
    }
}

void ImageCommands::ResizeCommand() {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    TImageSizeForm dialog(host().language(), *window->Image().Header, host().settings().config,
                          host().dialogParent());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    const qint64 width = dialog.NewWidth();
    const qint64 height = dialog.NewHeight();
    if (!TImageSizeForm::SizeFits(width, height, window->Image().BitCount())) {
        host().errorBox(common_text::OutOfMemory);
        return;
    }
    auto result =
        RunPictureEdit(host(), *window, common_text::ProgressResize, [&](TDIBImage& resized) {
            return Resize(window->Image(), std::int32_t(width), std::int32_t(height),
                          TProgressForm::EngineProgress, resized);
        });
    if (result != nullptr) {
        ShowEditResult(host(), *window, std::move(result));
    }
}

// Only the header changes; the window is marked unsaved so that closing asks to keep it.
void ImageCommands::ResolutionCommand() {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    TResolutionForm dialog(host().language(), *window->Image().Header, host().settings().config,
                           TDeviceResolutions::Read(host().dialogParent()), host().dialogParent());
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    window->KeepStateBeforeChange(); // for Undo
    dialog.ApplyTo(*window->Image().Header);
    window->SetSaved(false);
}

void ImageCommands::InformationCommand() {
    if (TfrmMDIChild* window = host().activeImageWindow()) {
        TImageInformationForm dialog(host().language(), *window->Image().Header,
                                     host().dialogParent());
        dialog.exec();
    }
}

void ImageCommands::Copy(TfrmMDIChild& window) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        QApplication::clipboard()->setMimeData(
            picture_clipboard::mimeDataOf(window.Image()).release());
    } catch (const std::bad_alloc&) {
        QApplication::restoreOverrideCursor();
        host().errorBox(common_text::OutOfMemory);
        return;
    }
    QApplication::restoreOverrideCursor();
}

void ImageCommands::Paste() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    std::unique_ptr<TDIBImage> picture;
    const picture_clipboard::Paste result =
        picture_clipboard::pictureOf(QApplication::clipboard()->mimeData(), picture);
    QApplication::restoreOverrideCursor();
    switch (result) {
    case picture_clipboard::Paste::Picture:
        host().NewImageWindow(std::move(picture), host().NextImageName());
        break;
    case picture_clipboard::Paste::NotTrueColour:
        host().errorBox(common_text::Not24Bit);
        break;
    case picture_clipboard::Paste::OutOfMemory:
        host().errorBox(common_text::OutOfMemory);
        break;
    case picture_clipboard::Paste::NoPicture:
        break;
    }
}

void ImageCommands::clipboardChanged() {
    clipboardHasPicture_ = picture_clipboard::offersPicture(QApplication::clipboard()->mimeData());
    for (QAction* paste : {mnImagePaste, popmnPasteImage}) {
        if (paste != nullptr) {
            paste->setEnabled(clipboardHasPicture_);
        }
    }
}

void ImageCommands::updateEnabling() {
    const bool active = host().activeImageWindow() != nullptr;
    for (QAction* action :
         {mnImageResize, mnImageResolution, mnImageRotate->menuAction(), mnImageConvertToGray,
          mnImagePanorama, mnImageInfo, mnImageCopy, popmnCopyImage}) {
        action->setEnabled(active);
    }
    if (mnUndo != nullptr) {
        const TfrmMDIChild* window = host().activeImageWindow();
        mnUndo->setEnabled(window != nullptr && window->CanUndo());
        mnRedo->setEnabled(window != nullptr && window->CanRedo());
    }
}
