#include "play_show_dialog.h"

#include "example_player.h"
#include "language.h"
#include "settings_records.h"
#include "text_table.h"
#include "workspace_host.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr const char* section = "Play Example Dialog";
constexpr int helpTopic = 12;

QString listText(const TShowList& example, const QString& file) {
    const QString name = QFileInfo(file).fileName();
    const QString title = example.Header.DisplayTitle();
    return title.isEmpty() ? name : title + " - " + name;
}
} // namespace

TPlayShowDlg::TPlayShowDlg(WorkspaceHost& host, TExamplePlayer& player, QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host), player_(player) {
    setObjectName("PlayShowDlg");
    const TLanguage& language = host.language();
    setWindowTitle(language.Text(section, 0));
    lbShows = new QListWidget(this);
    btLoadShow = new QPushButton(language.Text(section, 1), this);
    btPlayOne = new QPushButton(language.Text(section, 2), this);
    btPlayAll = new QPushButton(language.Text(section, 3), this);
    chbCyclic = new QCheckBox(language.Text(section, 4), this);
    seSpeed = new QSpinBox(this);
    seSpeed->setRange(minimumPlayerSpeed, maximumPlayerSpeed);
    seSpeed->setToolTip(language.Text(section, 6));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Help, this);
    buttons->addButton(language.Text(section, 7), QDialogButtonBox::RejectRole);

    auto* speed = new QHBoxLayout;
    speed->addWidget(new QLabel(language.Text(section, 5), this));
    speed->addWidget(seSpeed);
    speed->addStretch();
    auto* commands = new QHBoxLayout;
    for (QPushButton* button : {btLoadShow, btPlayOne, btPlayAll}) {
        commands->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbShows);
    layout->addLayout(commands);
    layout->addWidget(chbCyclic);
    layout->addLayout(speed);
    layout->addWidget(buttons);

    chooseFiles = [this] {
        return QFileDialog::getOpenFileNames(this, QString(),
                                             QDir(host_.dataFolder()).filePath("Images"), "*.shw");
    };
    pause_.setSingleShot(true);
    pause_.setInterval(pauseBetweenExamples);
    connect(&pause_, &QTimer::timeout, this, &TPlayShowDlg::playNext);
    connect(btLoadShow, &QPushButton::clicked, this, &TPlayShowDlg::btLoadShowClick);
    connect(btPlayOne, &QPushButton::clicked, this, &TPlayShowDlg::PlayOne);
    connect(btPlayAll, &QPushButton::clicked, this, &TPlayShowDlg::PlayAll);
    connect(lbShows, &QListWidget::currentRowChanged, this, &TPlayShowDlg::updateButtons);
    connect(seSpeed, &QSpinBox::valueChanged, this, [this](int value) { player_.SetSpeed(value); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (showHelp) {
            showHelp(helpTopic);
        }
    });
    updateButtons();
}

void TPlayShowDlg::showEvent(QShowEvent* event) {
    seSpeed->setValue(player_.Speed());
    QDialog::showEvent(event);
}

void TPlayShowDlg::btLoadShowClick() {
    AddExamples(chooseFiles());
}

void TPlayShowDlg::AddExamples(const QStringList& files) {
    for (const QString& file : files) {
        TShowList header;
        if (header.LoadHeaderFromFile(file) == TShowLoadResult::Loaded) {
            files_.append(file);
            lbShows->addItem(listText(header, file));
        }
    }
    if (lbShows->currentRow() < 0 && lbShows->count() > 0) {
        lbShows->setCurrentRow(0);
    }
    updateButtons();
}

void TPlayShowDlg::updateButtons() {
    const bool selected = lbShows->currentRow() >= 0;
    btPlayOne->setEnabled(selected);
    btPlayAll->setEnabled(selected);
}

void TPlayShowDlg::PlayOne() {
    playingAll_ = false;
    play(lbShows->currentRow());
}

void TPlayShowDlg::PlayAll() {
    playingAll_ = true;
    play(0);
}

bool TPlayShowDlg::play(int index) {
    if (index < 0 || index >= files_.size()) {
        show();
        return false;
    }
    const QString& file = files_[index];
    if (player_.Example().LoadFromFile(file) != TShowLoadResult::Loaded) {
        host_.errorBox(common_text::ExampleLoadFailed, {file});
        show();
        return false;
    }
    playing_ = index;
    lbShows->setCurrentRow(index);
    hide();
    if (!player_.Start(false)) {
        playing_ = -1;
        show();
        return false;
    }
    return true;
}

void TPlayShowDlg::ExampleEnded(bool byKey) {
    if (playing_ < 0) {
        return;
    }
    if (!playingAll_ || byKey) {
        playing_ = -1;
        show();
        return;
    }
    pause_.start();
}

void TPlayShowDlg::playNext() {
    int next = playing_ + 1;
    if (next >= files_.size() && chbCyclic->isChecked()) {
        next = 0;
    }
    playing_ = -1;
    if (next >= files_.size() || !play(next)) {
        show();
    }
}

void TPlayShowDlg::ExampleInterrupted() {
    pause_.stop();
    if (playing_ < 0) {
        return; // another window started it
    }
    playing_ = -1;
    show();
}
