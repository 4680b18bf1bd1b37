// CommandController: the common shape of the subsystems' command holders (files, collections,
// correction, settings and help). Each is created and held by the main window, builds its own
// menu items and buttons into the places the main window gives it, keeps its own state, and
// reaches the main window only through WorkspaceHost. The main window calls these hooks.
#pragma once

#include <QObject>

class WorkspaceHost;

class CommandController : public QObject {
    Q_OBJECT

public:
    explicit CommandController(WorkspaceHost& host, QObject* parent = nullptr)
        : QObject(parent), host_(host) {}

    // Enables and disables the controller's commands for the state of the workspace; called
    // after every event but pointer moves, so it must stay cheap.
    virtual void updateEnabling() {}
    // The tool of the image windows changed (0 to 15).
    virtual void toolModeChanged(int) {}
    // The program is closing (after every image window agreed): keep what must be kept.
    virtual void closing() {}

protected:
    WorkspaceHost& host() const { return host_; }

private:
    WorkspaceHost& host_;
};
