// TExampleRecorder: records an example while the author shows it. An application-wide event
// filter turns the author's presses, releases and double-clicks into commands at located points
// (example_locate.h), with a one-second delay after each click, and a caption drag of an image
// window into a window move. Commands run from menus record themselves through
// ExampleRecording, as clicks inside a menu never reach the filter. Nothing is recorded while
// the program is busy, while an example plays, while recording is suspended or paused, from
// the player's own input, or over the recorder's own window.
#pragma once

#include "example_recording.h"
#include "show_items.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>

class PlayerHost;
class QMouseEvent;
class QWidget;
class TExamplePlayer;
class TShowList;

class TExampleRecorder : public QObject, public ExampleRecording {
    Q_OBJECT

public:
    // The delay recorded after a click and around a menu command.
    static constexpr std::uint32_t stepDelay = 1000; // milliseconds

    TExampleRecorder(PlayerHost& host, TExamplePlayer& player, QObject* parent = nullptr);
    ~TExampleRecorder() override;

    // The example being recorded: the one the player plays.
    TShowList& Example() const;

    // A new recording: closes the image windows (false, after saying so, when one stays open),
    // empties the example and takes the screen, the layout and the program's state into it.
    bool Record();
    // Goes on recording at the end of the example.
    void Continue();
    void Stop();
    // The editor is open: recording waits for it.
    void Pause();
    void Resume();
    bool Recording() const { return recording_; }
    bool Paused() const { return paused_; }

    // The example differs from its file.
    bool Modified() const { return modified_; }
    void SetModified(bool modified);

    // Clicks on this window (the recorder's own) are never recorded.
    void SetOwnWindow(QWidget* window) { ownWindow_ = window; }

    // ExampleRecording
    bool active() const override { return recording_ || paused_; }
    void recordPanoramaCommand() override;
    void recordOperationCommand(int operation) override;
    void recordPopupCommand() override;
    void takeBackInvokingClick() override;
    void recordOpenFile(const QString& path) override;
    void suspend() override { ++suspended_; }
    void resume() override;

signals:
    // Items were recorded or taken back, or the recording state changed.
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool listening() const;
    bool seenBefore(QWidget* receiver, const QMouseEvent& event);
    void mouseEvent(QWidget* receiver, const QMouseEvent& event);
    void recordPress(QWidget* receiver, const QMouseEvent& event);
    void recordRelease(QWidget* receiver, const QMouseEvent& event);
    void recordMissedRelease(QWidget* receiver, const QMouseEvent& event);
    void mergeReleaseIntoPopupPress(const QMouseEvent& event);
    TShowCmd locate(QWidget* receiver, QPoint global, bool leftPress) const;
    TShowCmd locatePreset(std::uint8_t target, QPoint global) const;
    void addMoveAnd(const TShowCmd& at, int action, bool delay);
    void addCommand(const TShowCmd& at, std::uint8_t action);
    void addDelay();
    void recordMenuCommand(int code);
    void captureState();
    TShowCmd* lastCommand() const;
    void touched();

    PlayerHost& host_;
    TExamplePlayer& player_;
    bool recording_ = false;
    bool paused_ = false;
    bool modified_ = false;
    int suspended_ = 0;
    QPointer<QWidget> ownWindow_;
    // The press being recorded: where and at which item count it began, and what it hit.
    int countBeforePress_ = -1;
    QPoint pressGlobal_;
    QPointer<QWidget> pressReceiver_;
    bool dragPending_ = false;     // a press on an image window's caption: the release moves it
    bool releaseRecorded_ = false; // a title bar button recorded its click at the press
    // Where the pointer was last seen, also over menus, for the commands that record themselves.
    QPoint pointer_;
    // A mouse event reaches the filter once for each widget it propagates to.
    QPointer<QWidget> lastReceiver_;
    int lastType_ = 0;
    quint64 lastTimestamp_ = 0;
    QPoint lastGlobal_;
};
