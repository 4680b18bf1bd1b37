#include "settings_commands.h"

#include "about_form.h"
#include "help_system.h"
#include "image_window.h"
#include "language.h"
#include "menu_items.h"
#include "options_form.h"
#include "settings_records.h"
#include "text_table.h"
#include "tip_box.h"
#include "workspace_host.h"

#include <QAction>
#include <QDialog>
#include <QFileInfo>
#include <QMenuBar>

SettingsCommands::SettingsCommands(WorkspaceHost& host, const QString& version, QObject* parent)
    : CommandController(host, parent), version_(version) {}

void SettingsCommands::addOptionsCommand(QMenuBar* bar) {
    mmnOptions = bar->addAction(host().language().Text("Main Menu", 19));
    mmnOptions->setObjectName("mmnOptions");
    connect(mmnOptions, &QAction::triggered, this, &SettingsCommands::showOptions);
}

QAction* SettingsCommands::helpItem(const char* name, int position, int topic) {
    QAction* action = addMainMenuItem(mmnHelp, host().language(), name, position);
    connect(action, &QAction::triggered, this, [this, topic] { showHelp(topic); });
    return action;
}

void SettingsCommands::addHelpMenu(QMenuBar* bar) {
    mmnHelp = bar->addMenu(host().language().Text("Main Menu", 44));
    mmnHelp->setObjectName("mmnHelp");
    mnHelpYourfirststep = helpItem("mnHelpYourfirststep", 45, FirstStepTopic);
    mnHelpContents = helpItem("mnHelpContents", 46, ContentsTopic);
    mnHelpContents->setShortcut(QKeySequence::HelpContents);
    mmnHelp->addSeparator();
    mnHelpOurDevelopments = helpItem("mnHelpOurDevelopments", 47, DevelopmentsTopic);
    mnHelpOurDealers = helpItem("mnHelpOurDealers", 48, DealersTopic);
    mnHelpOrderingInformation = helpItem("mnHelpOrderingInformation", 49, OrderingTopic);
    mnHelpTechnicalSupport = helpItem("mnHelpTechnicalSupport", 50, SupportTopic);
    mmnHelp->addSeparator();
    mnHelpAbout = addMainMenuItem(mmnHelp, host().language(), "mnHelpAbout", 52);
    connect(mnHelpAbout, &QAction::triggered, this, &SettingsCommands::showAbout);
}

void SettingsCommands::showOptions() {
    TOptionsForm options(host().language(), host().settings(), host().store(), host().dataFolder(),
                         host().dialogParent());
    options.showHelp = [this](int topic) { showHelp(topic); };
    if (options.exec() == QDialog::Accepted) {
        applyUndoBudget();
    }
}

// The open pictures keep their undo steps within the budget now set, the oldest going first.
void SettingsCommands::applyUndoBudget() {
    const std::size_t budget = host().settings().undoBudgetBytes();
    for (TfrmMDIChild* window : host().imageWindows()) {
        window->History().SetBudget(budget);
    }
}

QString SettingsCommands::helpFilePath() const {
    const QString stored = host().settings().helpFileName;
    return host().dataFolder() + "/" +
           (stored.isEmpty() ? TLanguage::DefaultHelpFileName() : stored);
}

void SettingsCommands::showHelp(int topic) {
    if (helpWindow_ == nullptr) {
        const TLanguage& language = host().language();
        helpWindow_ = new THelpWindow(host().dialogParent());
        helpWindow_->setButtonTexts(language.Text("Common", common_text::HelpBack),
                                    language.Text("Common", common_text::HelpForward),
                                    language.Text("Common", common_text::HelpContents));
        helpWindow_->open(helpFilePath());
    }
    helpWindow_->showTopic(topic);
    helpWindow_->show();
    helpWindow_->raise();
}

void SettingsCommands::showAbout() {
    TAboutForm about(host().language(), version_, host().dialogParent());
    about.showHelpContents = [this] { showHelp(ContentsTopic); };
    about.exec();
}

void SettingsCommands::showTipsAtStart() {
    TLocalSettings& local = host().settings().local;
    if (local.DisplayTips != 0) {
        TTipBox tips(host().language(), local, host().dialogParent());
        int chosen = 0;
        tips.playExample = [&chosen](int example) { chosen = example; };
        tips.exec();
        if (chosen != 0 && playExample) {
            playExample(chosen); // after the box is gone, so it does not cover the example
        }
    }
}

void SettingsCommands::closing() {
    if (helpWindow_ != nullptr) {
        helpWindow_->close();
    }
}
