// TExamplePlayer: plays an example over the live program. It glides its own pointer to each
// recorded point, presses and releases buttons there with mouse events of its own device, shows
// notes beside the pointer and waits out delays, while an application-wide filter keeps the
// user's input from the program except for the player's control keys.
//
// Timing: the player ticks every playerTick milliseconds (15 ms, the rate the short timers of
// the original program really ran at). One item runs per tick of the item timer; a glide moves
// the pointer by max(Speed, 2) pixels per tick of the glide timer, which ticks every 3 ticks at
// Speed 1, every 2 at Speed 2 and every tick above. Notes and delays wait on timers, so the
// program keeps painting; clicks are posted, so a click that opens a modal box does not stall
// the player.
#pragma once

#include "show_list.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>

class PlayerHost;
class QKeyEvent;
class QLabel;
class QPointingDevice;
class QWidget;
class QWindow;
class TPlayerPointer;

constexpr int playerTick = 15;         // milliseconds
constexpr int minimumPlayerSpeed = 1;  // the pointer glides by 2 pixels per tick
constexpr int maximumPlayerSpeed = 20; // the pointer glides by 20 pixels per tick

class TExamplePlayer : public QObject {
    Q_OBJECT

public:
    explicit TExamplePlayer(PlayerHost& host, QObject* parent = nullptr);
    ~TExamplePlayer() override;

    // The example to play; the player keeps it.
    TShowList& Example() { return example_; }
    // Starts playing the example: the window-size question, the state block, the caption;
    // false when the start was refused or the state block is damaged.
    bool Start(bool startedFromMenu);
    // Stop with the break question (`ask`) or at once; `byKey` when a key ended it.
    void Stop(bool ask, bool byKey);
    // Ends at once (the cancel key).
    void Abort();
    // While told that an example was broken off: the state it left stays instead of the
    // user's, as the author goes on recording from there.
    void KeepExampleState();

    bool Playing() const { return playing_; }
    bool Running() const { return running_; }
    int Position() const { return position_; }
    int Speed() const;
    void SetSpeed(int speed);
    // The player's pointer (the real one follows it where the platform allows).
    QPoint PointerPosition() const { return pointer_; }
    void SetPointerPosition(QPoint global);
    // The screen point a command stands for now (the last restored point serves the relative
    // targets that follow).
    QPoint RestorePoint(const TShowCmd& command);
    // Glide timer interval in ticks for the current speed, and the pixels of one glide step.
    int GlideTicks() const;
    int GlideStep() const;
    // One glide step towards `target`; false when the pointer was there already.
    bool StepTowards(QPoint target);
    // True for mouse events the player made.
    bool IsPlayerEvent(const QEvent& event) const;
    // The pointer window, for tests.
    QWidget* PointerWindow() const;

    // Test hooks: the factor timer intervals are multiplied by (at least 1 ms each; 0 runs
    // every timer as soon as the event loop is free), the beep, whether the program is the
    // active one (the timers do nothing while it is not), the language choice and the break
    // question (true: break, false: continue).
    void SetTimeScale(double factor) { timeScale_ = factor; }
    std::function<void()> beep;
    std::function<bool()> applicationActive;
    std::function<bool()> askBreak;
    // The language an example of several languages plays in; -1 cancels the start.
    std::function<int(const TShowList& example)> chooseLanguage;

signals:
    // An example ended normally or by a break; `byKey` when a key ended it.
    void exampleEnded(bool byKey);
    // An example was broken off at once (the cancel key): Position() is past the item that was
    // running.
    void exampleInterrupted();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void clickTick();
    void moveTick();
    void runItem(const TShowItem& item);
    void runCommand(const TShowCmd& command);
    void showNote();
    void waitThenContinue(int milliseconds);
    void startGlide(QPoint target, bool dragWindow);
    void scrollIntoView(const TShowCmd& command);
    void sendButtons(std::uint8_t action);
    void postMouse(int type, Qt::MouseButton button);
    QWindow* windowAt(QPoint global) const;
    QPoint unclampedPoint(const TShowCmd& command);
    bool filterKey(const QKeyEvent& key);
    bool guardsHold() const;
    void armClickTimer();
    void end();
    bool applyStateBlock();
    void preselectProgramLanguage();
    void takeSnapshot();
    void restoreSnapshot();
    int scaled(int milliseconds) const;

    PlayerHost& host_;
    TShowList example_;
    int position_ = 0;
    bool playing_ = false;
    bool running_ = false; // started and not yet ended (also during the break question)
    bool startedFromMenu_ = false;
    bool dragWindow_ = false;
    QPoint moveTarget_;
    QPoint dragOffset_;
    QPoint pointer_;
    QPoint lastPoint_;
    Qt::MouseButtons buttons_;
    double timeScale_ = 1.0;
    QTimer clickTimer_;
    QTimer moveTimer_;
    QTimer waitTimer_;
    std::unique_ptr<QPointingDevice> device_;
    std::unique_ptr<TPlayerPointer> pointerWindow_;
    std::unique_ptr<QLabel> note_;
    struct Snapshot;
    std::unique_ptr<Snapshot> snapshot_;
};
