// SettingsCommands: the Options command, the Help menu with its topics, the help window, the
// About box and the tips box shown at start.
#pragma once

#include "command_controller.h"

#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class THelpWindow;

class SettingsCommands : public CommandController {
    Q_OBJECT

public:
    // Help topics of the Help menu's items; 0 is the contents page.
    enum HelpTopic {
        ContentsTopic = 0,
        FirstStepTopic = 7,
        DevelopmentsTopic = 8,
        DealersTopic = 9,
        OrderingTopic = 10,
        SupportTopic = 13,
    };

    SettingsCommands(WorkspaceHost& host, const QString& version, QObject* parent = nullptr);

    // Options, a command of its own on the menu bar.
    void addOptionsCommand(QMenuBar* bar);
    // The Help menu at the end of the menu bar.
    void addHelpMenu(QMenuBar* bar);

    void showOptions();
    // Opens the help window at a topic (the contents page when the help file lacks it).
    void showHelp(int topic);
    void showAbout();
    // The tips box, when the settings ask for it; its Yes plays the technique's example.
    void showTipsAtStart();
    std::function<void(int example)> playExample;
    THelpWindow* helpWindow() const { return helpWindow_; }

    void closing() override;

    QAction* mmnOptions = nullptr;
    QMenu* mmnHelp = nullptr;
    QAction* mnHelpYourfirststep = nullptr;
    QAction* mnHelpContents = nullptr;
    QAction* mnHelpOurDevelopments = nullptr;
    QAction* mnHelpOurDealers = nullptr;
    QAction* mnHelpOrderingInformation = nullptr;
    QAction* mnHelpTechnicalSupport = nullptr;
    QAction* mnHelpAbout = nullptr;

private:
    QAction* helpItem(const char* name, int position, int topic);
    QString helpFilePath() const;
    void applyUndoBudget();

    QString version_;
    THelpWindow* helpWindow_ = nullptr;
};
