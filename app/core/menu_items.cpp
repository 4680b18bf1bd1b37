#include "menu_items.h"

#include "language.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QWidget>

QList<QKeySequence> eachKeyOnce(const QList<QKeySequence>& keys) {
    QList<QKeySequence> once;
    for (const QKeySequence& key : keys) {
        if (!once.contains(key)) {
            once << key;
        }
    }
    return once;
}

QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position) {
    QAction* action = menu->addAction(language.Text("Main Menu", position));
    action->setObjectName(name);
    return action;
}

QAction* addMainMenuItem(QMenu* menu, const TLanguage& language, const char* name, int position,
                         TControlCodes& codes, int code) {
    QAction* action = addMainMenuItem(menu, language, name, position);
    codes.add(code, action);
    return action;
}

void TControlCodes::add(int code, QObject* object) {
    Q_ASSERT(code >= firstCode && code <= lastCode);
    Q_ASSERT(objects_[std::size_t(code)].isNull());
    if (code >= firstCode && code <= lastCode) {
        objects_[std::size_t(code)] = object;
    }
}

QObject* TControlCodes::object(int code) const {
    return code >= firstCode && code <= lastCode ? objects_[std::size_t(code)].data() : nullptr;
}

int TControlCodes::codeOf(const QObject* object) const {
    for (int code = firstCode; code <= lastCode; ++code) {
        if (object != nullptr && objects_[std::size_t(code)] == object) {
            return code;
        }
    }
    return -1;
}

namespace {
QRect globalRect(const QWidget* widget, const QRect& local) {
    return QRect(widget->mapToGlobal(local.topLeft()), local.size());
}

QRect menuBarTitle(const QAction* menuAction) {
    for (QObject* owner : menuAction->associatedObjects()) {
        if (auto* bar = qobject_cast<QMenuBar*>(owner); bar != nullptr && bar->isVisible()) {
            return globalRect(bar, bar->actionGeometry(const_cast<QAction*>(menuAction)));
        }
    }
    return {};
}

// A command's row in its menu: where the open menu shows it, or where it will show below the
// menu's title.
QRect menuCommand(QAction* action) {
    for (QObject* owner : action->associatedObjects()) {
        auto* menu = qobject_cast<QMenu*>(owner);
        if (menu == nullptr) {
            continue;
        }
        const QRect row = menu->actionGeometry(action);
        if (menu->isVisible()) {
            return globalRect(menu, row);
        }
        const QRect title = menuBarTitle(menu->menuAction());
        if (!title.isEmpty()) {
            return row.translated(title.bottomLeft() + QPoint(0, 1));
        }
    }
    return {};
}

QRect actionRect(QAction* action) {
    for (QObject* owner : action->associatedObjects()) {
        if (auto* bar = qobject_cast<QToolBar*>(owner)) {
            if (QWidget* button = bar->widgetForAction(action); button && button->isVisible()) {
                return globalRect(button, button->rect());
            }
        }
    }
    // A panel's own button showing the action.
    for (QObject* owner : action->associatedObjects()) {
        auto* button = qobject_cast<QWidget*>(owner);
        if (button != nullptr && button->isVisible() && qobject_cast<QMenu*>(owner) == nullptr &&
            qobject_cast<QMenuBar*>(owner) == nullptr &&
            qobject_cast<QToolBar*>(owner) == nullptr) {
            return globalRect(button, button->rect());
        }
    }
    if (QRect title = menuBarTitle(action); !title.isEmpty()) {
        return title;
    }
    return menuCommand(action);
}
} // namespace

QRect TControlCodes::screenRect(int code) const {
    QObject* target = object(code);
    if (auto* menu = qobject_cast<QMenu*>(target)) {
        return menuBarTitle(menu->menuAction());
    }
    if (auto* widget = qobject_cast<QWidget*>(target)) {
        return widget->isVisible() ? globalRect(widget, widget->rect()) : QRect();
    }
    if (auto* action = qobject_cast<QAction*>(target)) {
        return actionRect(action);
    }
    return {};
}
