#include "menu_items.h"

#include "language.h"

#include <QAction>
#include <QMenu>

QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position) {
    QAction* action = menu->addAction(language.Text("Main Menu", position));
    action->setObjectName(name);
    return action;
}
