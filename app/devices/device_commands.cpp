#include "device_commands.h"

#include "dib_image.h"
#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "progress_form.h"
#include "settings_store.h"
#include "source_form.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QWidget>

#include <cstring>

namespace {
// Where the chosen scanner is kept in the settings.
const QString scannerSection = QStringLiteral("Scanner");
const QString deviceName = QStringLiteral("Device");
const QString feedName = QStringLiteral("Source");

QAction* insertMainMenuItem(QMenu* menu, QAction* before, const TLanguage& language,
                            const char* name, int position) {
    QAction* action = addMainMenuItem(menu, language, name, position);
    if (before != nullptr) {
        menu->removeAction(action);
        menu->insertAction(before, action);
    }
    return action;
}

// The bit count of a delivered picture (byte 14 of its header), 0 when it has no header.
int bitCountOf(platform::MemHandle picture) {
    const auto* bytes = static_cast<const std::uint8_t*>(platform::memLock(picture));
    std::uint16_t bitCount = 0;
    if (bytes != nullptr && platform::memSize(picture) >= sizeof(BITMAPINFOHEADER)) {
        std::memcpy(&bitCount, bytes + offsetof(BITMAPINFOHEADER, biBitCount), sizeof bitCount);
    }
    platform::memUnlock(picture);
    return bitCount;
}

// A menu text as a caption: without its accelerator and the closing dots.
QString captionOf(QString menuText) {
    menuText.remove('&');
    while (menuText.endsWith('.')) {
        menuText.chop(1);
    }
    return menuText.trimmed();
}
} // namespace

DeviceCommands::DeviceCommands(WorkspaceHost& host, QObject* parent)
    : CommandController(host, parent), Email(new TEmail(this)) {
    Email->setObjectName("Email");
    Email->ShowDialog = true;
    QString device;
    QString feed;
    host.store().readString(scannerSection, deviceName, device);
    host.store().readString(scannerSection, feedName, feed);
    scanner::setDefaultSource({device.toStdString(), {}, {}, feed.toStdString()});
    scanner::setSourceChooser([this](const std::vector<scanner::Source>& sources, int current) {
        return chooseSource(sources, current);
    });
    // Between reads the progress box shows how far the page has come; its Cancel stops the scan.
    scanner::setTransferProgress(
        [](double fraction) { return TProgressForm::EngineProgress(fraction) != 0; });
}

DeviceCommands::~DeviceCommands() {
    scanner::setSourceChooser({});
    scanner::setTransferProgress({});
}

void DeviceCommands::addScannerCommands(QMenu* fileMenu, QAction* before) {
    const TLanguage& language = host().language();
    mnAcquire = insertMainMenuItem(fileMenu, before, language, "mnAcquire", 3);
    connect(mnAcquire, &QAction::triggered, this, &DeviceCommands::AcquireCommand);
    mnSelectSource = insertMainMenuItem(fileMenu, before, language, "mnSelectSource", 4);
    connect(mnSelectSource, &QAction::triggered, this, &DeviceCommands::SelectSourceCommand);
}

void DeviceCommands::addSendCommand(QMenu* fileMenu, QAction* before) {
    mnSendTo = insertMainMenuItem(fileMenu, before, host().language(), "mnSendTo", 53);
    connect(mnSendTo, &QAction::triggered, this, &DeviceCommands::SendToCommand);
}

void DeviceCommands::updateEnabling() {
    if (mnSendTo != nullptr) {
        mnSendTo->setEnabled(host().activeImageWindow() != nullptr);
    }
}

void DeviceCommands::closing() {
    TWAIN_UnloadSourceManager();
}

int DeviceCommands::chooseSource(const std::vector<scanner::Source>& sources, int current) {
    TSourceForm form(host().language(), sources, current, host().dialogParent());
    if (sourceFormReady) {
        sourceFormReady(form);
    }
    return form.exec() == QDialog::Accepted ? form.chosen() : -1;
}

void DeviceCommands::SelectSourceCommand() {
    if (TWAIN_IsAvailable() == 0) {
        host().errorBox(common_text::NoScanner);
        return;
    }
    if (TWAIN_SelectImageSource(host().dialogParent()) != 0) {
        const scanner::Source chosen = scanner::defaultSource();
        host().store().writeString(scannerSection, deviceName,
                                   QString::fromStdString(chosen.device));
        host().store().writeString(scannerSection, feedName, QString::fromStdString(chosen.feed));
    }
}

void DeviceCommands::AcquireCommand() {
    if (TWAIN_IsAvailable() == 0) {
        host().errorBox(common_text::NoScanner);
        return;
    }
    QWidget* window = host().dialogParent();
    if (TWAIN_OpenDefaultSource(window) == 0) {
        // SANE has no dialog of its own to say so: a device that does not open is reported.
        host().errorBox(common_text::ScannerFailed);
        bringProgramToFront();
        return;
    }
    TWAIN_SetMultiTransfer(1);
    const QString caption = captionOf(host().language().Text("Main Menu", 3));
    for (;;) {
        platform::MemHandle picture = nullptr;
        host().RunWithProgress(caption, true, [&picture, window] {
            picture = TWAIN_AcquireNative(window, 0);
            return 0;
        });
        if (picture == nullptr) {
            reportTransferEnd();
            break;
        }
        if (bitCountOf(picture) != 24) {
            platform::memFree(picture);
            TWAIN_CloseSourceManager(window);
            host().errorBox(common_text::Not24Bit);
            break;
        }
        auto image = std::make_unique<TDIBImage>();
        image->AttachHandle(picture);
        host().NewImageWindow(std::move(image), host().NextImageName());
    }
    TWAIN_CloseSourceManager(window);
    bringProgramToFront();
}

void DeviceCommands::reportTransferEnd() {
    switch (scanner::lastTransfer()) {
    case scanner::Transfer::Failed:
        host().errorBox(common_text::ScannerFailed);
        break;
    case scanner::Transfer::Unsupported:
        TWAIN_CloseSourceManager(host().dialogParent());
        host().errorBox(common_text::Not24Bit);
        break;
    case scanner::Transfer::NoMemory:
        host().errorBox(common_text::OutOfMemory);
        break;
    default: // the last page, or the user cancelled
        break;
    }
}

void DeviceCommands::bringProgramToFront() {
    QWidget* window = host().dialogParent();
    window->raise();
    window->activateWindow();
}

void DeviceCommands::SendToCommand() {
    TfrmMDIChild* window = host().activeImageWindow();
    if (window == nullptr) {
        return;
    }
    if (!Email->MapiAvail()) {
        host().informationBox(common_text::NoMail);
        return;
    }
    // The mail takes the file as it is on disk.
    if (!window->Saved()) {
        host().informationBox(common_text::SaveBeforeSending);
        return;
    }
    Email->Clear();
    Email->setSubject(QString());
    Email->Attachment << QFileInfo(window->FileName()).absoluteFilePath();
    if (Email->SendMail() != mail_result::Success) {
        host().errorBox(common_text::MailFailed);
    }
    Email->Clear();
}
