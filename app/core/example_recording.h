// ExampleRecording: what the program's own commands tell the example recorder. Clicks inside
// menus never reach the recorder's event filter, so the commands run from menus record
// themselves through it, and the Open command swaps the click that invoked it for the picture
// it opened. The program's commands reach it through the workspace; without a recorder (in a
// window that has none, or in tests) every call does nothing.
#pragma once

#include <QString>

class ExampleRecording {
public:
    virtual ~ExampleRecording() = default;

    // True while an example is being recorded, also while recording waits for the editor.
    virtual bool active() const { return false; }
    // The main-menu commands that record themselves: the panorama command and choosing one of
    // the six operations (0 to 5) from the Operation menu.
    virtual void recordPanoramaCommand() {}
    virtual void recordOperationCommand(int) {}
    // A command of a pop-up menu: a click at the pointer, relative to the click that opened
    // the pop-up.
    virtual void recordPopupCommand() {}
    // The Open command: removes what the click that invoked it recorded.
    virtual void takeBackInvokingClick() {}
    // A picture the Open command opened.
    virtual void recordOpenFile(const QString&) {}
    // Nothing is recorded from suspend() to resume() (a file dialog and what is done in it).
    virtual void suspend() {}
    virtual void resume() {}

    // The recorder of a program that has none: records nothing.
    static ExampleRecording& none();
};

// Suspends recording for its lifetime.
class RecordingPause {
public:
    explicit RecordingPause(ExampleRecording& recording) : recording_(recording) {
        recording_.suspend();
    }
    ~RecordingPause() { recording_.resume(); }
    RecordingPause(const RecordingPause&) = delete;
    RecordingPause& operator=(const RecordingPause&) = delete;

private:
    ExampleRecording& recording_;
};
