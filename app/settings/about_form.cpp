#include "about_form.h"

#include "help_system.h"
#include "language.h"
#include "program_folder.h"
#include "text_table.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {
const QString section = "About";
const QString readmeName = "README.md";

// A label naming a local file, as a link to it when the file exists.
QLabel* fileLinkLabel(const QString& path, QWidget* parent) {
    const QString name = QFileInfo(path).fileName().toHtmlEscaped();
    if (!QFileInfo::exists(path)) {
        return new QLabel(name, parent);
    }
    const QString target = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    return new QLabel(QString("<a href=\"%1\">%2</a>").arg(target.toHtmlEscaped(), name), parent);
}
} // namespace

QString TAboutForm::HelpFile(const QString& dataFolder, const QLocale& locale) {
    const QDir folder(dataFolder);
    const QString preferred = folder.filePath(TLanguage::DefaultHelpFileName(locale));
    return QFileInfo::exists(preferred) ? preferred : folder.filePath("English.hlp");
}

QString TAboutForm::ReadmeFile(const QString& dataFolder) {
    QDir folder(dataFolder);
    if (folder.exists(readmeName)) {
        return folder.absoluteFilePath(readmeName);
    }
    return folder.cdUp() && folder.exists(readmeName) ? folder.absoluteFilePath(readmeName)
                                                      : QString();
}

TAboutForm::TAboutForm(const TLanguage& language, const QString& version, QWidget* parent)
    : QDialog(parent),
      lbProduct(new QLabel("Huemark " + formatText(language.Text(section, 1), {version}), this)),
      helpFile_(HelpFile(programDataFolder())) {
    lbHelp = fileLinkLabel(helpFile_, this);
    lbReadme = fileLinkLabel(ReadmeFile(programDataFolder()), this);
    setWindowTitle(language.Text(section, 0));
    QFont big = lbProduct->font();
    big.setPointSize(big.pointSize() * 2);
    lbProduct->setFont(big);
    // The help file is in the program's own format: the program's help window shows it.
    showHelpContents = [this] { showOwnHelpContents(); };
    connect(lbHelp, &QLabel::linkActivated, this, [this] { showHelpContents(); });
    lbReadme->setOpenExternalLinks(true); // the desktop's viewer for Markdown text
    auto* ok = new QPushButton(language.Text("Common", common_text::OK), this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* links = new QFormLayout;
    links->addRow(language.Text(section, 2), lbHelp);
    links->addRow(language.Text(section, 3), lbReadme);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lbProduct);
    layout->addLayout(links);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

void TAboutForm::showOwnHelpContents() {
    if (helpWindow_ == nullptr) {
        helpWindow_ = new THelpWindow(this);
        helpWindow_->open(helpFile_);
    }
    helpWindow_->showContents();
    helpWindow_->show();
    helpWindow_->raise();
}
