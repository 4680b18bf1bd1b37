// DeviceCommands: the File menu's commands for devices. Acquire brings pictures from a scanner
// into new image windows (one per page), Select Source chooses the scanner and its feed and
// keeps the choice in the settings, and Send To hands the active picture's file to the user's
// mail program through the mail component Email.
#pragma once

#include "command_controller.h"
#include "email.h"

#include "platform/scanner.h"

#include <functional>

class QAction;
class QMenu;
class TSourceForm;

class DeviceCommands : public CommandController {
    Q_OBJECT

public:
    explicit DeviceCommands(WorkspaceHost& host, QObject* parent = nullptr);
    ~DeviceCommands() override;

    // Adds Acquire and Select Source to the File menu before `before` (at the end when null).
    void addScannerCommands(QMenu* fileMenu, QAction* before);
    // Adds Send To to the File menu before `before` (at the end when null).
    void addSendCommand(QMenu* fileMenu, QAction* before);

    void AcquireCommand();
    void SelectSourceCommand();
    void SendToCommand();

    void updateEnabling() override;
    // The scanner library is unloaded.
    void closing() override;

    QAction* mnAcquire = nullptr;
    QAction* mnSelectSource = nullptr;
    QAction* mnSendTo = nullptr;
    // The mail component: it shows the message in the mail program for editing.
    TEmail* Email;

    // Called with the source chooser before it is shown (for tests).
    std::function<void(TSourceForm&)> sourceFormReady;

private:
    int chooseSource(const std::vector<scanner::Source>& sources, int current);
    // Says why a session ended without a picture, when that needs saying.
    void reportTransferEnd();
    void bringProgramToFront();
};
