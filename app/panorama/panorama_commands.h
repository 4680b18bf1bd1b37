// PanoramaCommands: Image, Panorama. Hands the pictures of all open image windows to the
// panorama window and, when the user presses Start there, opens the joined picture in a new
// image window. The source pictures are neither changed nor closed.
#pragma once

#include "command_controller.h"

#include <functional>

class TPanoramaForm;

class PanoramaCommands : public CommandController {
    Q_OBJECT

public:
    explicit PanoramaCommands(WorkspaceHost& host, QObject* parent = nullptr);

    void PanoramaCommand();

    // Opens a help topic (the panorama window's help button).
    std::function<void(int topic)> showHelp;
    // Called with the window once it is filled, before it is shown (for tests and examples).
    std::function<void(TPanoramaForm&)> windowReady;
};
