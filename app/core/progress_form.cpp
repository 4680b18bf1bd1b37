#include "progress_form.h"

#include "language.h"
#include "text_table.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <cmath>

namespace {
const QString section = "Progress Box";
}

TProgressForm::TProgressForm(const TLanguage& language)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowStaysOnTopHint),
      lbEstimatedTime(new QLabel(language.Text(section, 0), this)),
      lbElapsedTime(new QLabel(language.Text(section, 1), this)),
      lb_EstimatedTime(new QLabel(this)), lb_ElapsedTime(new QLabel(this)),
      lb_Percent(new QLabel(this)), ProgressBar(new QProgressBar(this)),
      btCancel(new QPushButton(language.Text("Common", common_text::Cancel), this)) {
    monotonic_.start();
    clock_ = [this] { return monotonic_.elapsed(); };
    ProgressBar->setRange(0, 100);
    ProgressBar->setTextVisible(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lbElapsedTime, 0, 0);
    grid->addWidget(lb_ElapsedTime, 0, 1);
    grid->addWidget(lbEstimatedTime, 1, 0);
    grid->addWidget(lb_EstimatedTime, 1, 1);
    grid->addWidget(ProgressBar, 2, 0, 1, 2);
    grid->addWidget(lb_Percent, 2, 2);
    grid->addWidget(btCancel, 3, 1, 1, 2, Qt::AlignRight);
    connect(btCancel, &QPushButton::clicked, this, [this] {
        hide();
        cancelled_ = true;
    });
}

QString TProgressForm::formatTime(qint64 ms) {
    return QString("%1:%2:%3")
        .arg(ms / 3600000, 2, 10, QChar('0'))
        .arg(ms % 3600000 / 60000, 2, 10, QChar('0'))
        .arg(ms % 60000 / 1000, 2, 10, QChar('0'));
}

void TProgressForm::Begin(const QString& caption, bool cancelEnabled, int delaySeconds) {
    setWindowTitle(caption);
    btCancel->setEnabled(cancelEnabled);
    showDelay_ = qint64{delaySeconds} * 1000;
    lb_ElapsedTime->setText(formatTime(0));
    lb_EstimatedTime->setText(formatTime(0));
    lb_Percent->clear();
    ProgressBar->setValue(0);
    previousFraction_ = 0;
    cancelled_ = false;
    running_ = this;
}

void TProgressForm::End() {
    running_ = nullptr;
    hide();
}

std::int32_t TProgressForm::EngineProgress(double fraction) {
    return running_ == nullptr || running_->Progress(fraction) ? -1 : 0;
}

std::int32_t TProgressForm::FileProgress(std::int32_t percent, std::int32_t) {
    return running_ == nullptr || running_->Progress(percent * 0.01) ? 0 : -1;
}

void TProgressForm::refreshTimes(qint64 now, float fraction) {
    const qint64 elapsed = now - startTime_;
    lb_ElapsedTime->setText(formatTime(elapsed));
    if (fraction > 0) {
        const double total = elapsed * ((1.0 - fraction) / fraction + 1.0);
        lb_EstimatedTime->setText(formatTime(std::llround(total)));
    }
}

bool TProgressForm::Progress(double p) {
    const float fraction = static_cast<float>(p);
    const int percent = static_cast<int>(std::trunc(fraction * 100));
    lb_Percent->setText(QString("%1%").arg(percent));
    ProgressBar->setValue(percent);
    const qint64 now = clock_();
    if (previousFraction_ == 0) {
        startTime_ = lastRefresh_ = now;
        if (showDelay_ == 0 && !cancelled_) {
            show();
        }
    } else {
        if (now - startTime_ >= showDelay_ && isHidden() && !cancelled_) {
            show();
        }
        const qint64 sinceRefresh = now - lastRefresh_;
        if (sinceRefresh >= 1000 || fraction == 1.0f) {
            refreshTimes(now, fraction);
        }
        if (sinceRefresh >= 1000) {
            lastRefresh_ = now;
        }
    }
    previousFraction_ = fraction;
    QApplication::processEvents();
    return !cancelled_;
}
