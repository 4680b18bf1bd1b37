// TProgressForm: the box that shows how far a long run (a correction, an edit, loading or
// saving a picture) has come, with elapsed and estimated time and a Cancel button. It appears
// only after the show delay, so short runs never flash it, and it lets pending events run at
// every progress report so that Cancel can be clicked while the main window is disabled.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;
class TLanguage;

class TProgressForm : public QDialog {
    Q_OBJECT

public:
    explicit TProgressForm(const TLanguage& language);

    // Starts a run: caption, whether Cancel may be used, and the show delay in seconds.
    void Begin(const QString& caption, bool cancelEnabled, int delaySeconds);
    // Ends the run and hides the box.
    void End();
    // Reports the fraction done (0 to 1); false when the user has cancelled.
    bool Progress(double fraction);
    bool Cancelled() const { return cancelled_; }

    // The callbacks handed to the engine and to the image-file library: they report to the
    // box of the run in progress (between Begin and End) and say whether to go on.
    static std::int32_t EngineProgress(double fraction);                         // -1 go on, 0 stop
    static std::int32_t FileProgress(std::int32_t percent, std::int32_t unused); // 0 go on, -1 stop

    // "hh:mm:ss" of a millisecond count.
    static QString formatTime(qint64 milliseconds);

    // The time source in milliseconds (a monotonic clock unless a test sets its own).
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }

    QLabel* lbEstimatedTime;
    QLabel* lbElapsedTime;
    QLabel* lb_EstimatedTime;
    QLabel* lb_ElapsedTime;
    QLabel* lb_Percent;
    QProgressBar* ProgressBar;
    QPushButton* btCancel;

private:
    void refreshTimes(qint64 now, float fraction);

    static inline TProgressForm* running_ = nullptr;
    QElapsedTimer monotonic_;
    std::function<qint64()> clock_;
    qint64 startTime_ = 0;
    qint64 lastRefresh_ = 0;
    float previousFraction_ = 0;
    bool cancelled_ = false;
    qint64 showDelay_ = 0;
};
