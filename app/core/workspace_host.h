// WorkspaceHost: what the subsystems' commands need from the main window, and nothing more:
// the language and the settings of the session, the message boxes, the image windows of the
// workspace, the progress runner and the tool of the image windows. The main window implements
// it; the controllers of the files, collections, settings and correction commands see only this.
#pragma once

#include "example_recording.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QAction;
class QToolBar;
class QWidget;
class SettingsStore;
class TDIBImage;
class TLanguage;
class TfrmMDIChild;
struct PersistedSettings;

class WorkspaceHost {
public:
    virtual ~WorkspaceHost() = default;

    // The window that dialogs and message boxes belong to.
    virtual QWidget* dialogParent() = 0;
    virtual const TLanguage& language() const = 0;
    virtual PersistedSettings& settings() = 0;
    virtual SettingsStore& store() = 0;
    virtual QString applicationTitle() const = 0;
    // The folder of the shipped data: "Language", help files, sample pictures, collections.
    virtual QString dataFolder() const = 0;

    // Opens `image` (owned from now on) in a new image window placed at the next cascade step.
    virtual TfrmMDIChild* NewImageWindow(std::unique_ptr<TDIBImage> image, const QString& name) = 0;
    // A name for a picture without a file ("Picture 7").
    virtual QString NextImageName() = 0;
    // Opens the result of a run on `source` in a new window named after it ("dune (2)"), with
    // the source's metadata.
    TfrmMDIChild* NewResultWindow(std::unique_ptr<TDIBImage> image, const TfrmMDIChild& source);
    virtual TfrmMDIChild* activeImageWindow() const = 0;
    virtual QList<TfrmMDIChild*> imageWindows() const = 0;

    // Runs a long call inside the progress box (`caption`, Cancel usable as said) with the
    // busy cursor and the main window disabled; the call's result.
    virtual int RunWithProgress(const QString& caption, bool cancelEnabled,
                                const std::function<int()>& call) = 0;
    virtual bool Busy() const = 0;

    // The tool of the image windows (0 to 15).
    virtual int toolMode() const = 0;
    virtual void SetToolMode(int mode) = 0;
    // A checkable button in the one exclusive group of tools: pressed, it sets `mode`;
    // released, mode 0. Shown on `bar`, or by a panel's own tool button when `bar` is null.
    // Its text and hint are text `position` of language section `section`.
    virtual QAction* addToolButton(QToolBar* bar, const char* name, const char* section,
                                   int position, int mode) = 0;

    // The example recorder, told of the commands that record themselves.
    virtual ExampleRecording& recording() { return ExampleRecording::none(); }
    // Panel 0 of the status bar; hosts without a status bar show nothing.
    virtual void showStatus(const QString&) {}

    // The message boxes: the text is string `n` of "Common", formatted with `arguments`.
    void errorBox(int n, const QStringList& arguments = {});
    void errorText(const QString& text);
    void warningText(const QString& text);
    void informationBox(int n, const QStringList& arguments = {});
    void warningBox(int n, const QStringList& arguments = {});
    // True when answered Yes.
    bool questionBox(int n, const QStringList& arguments = {});
};
