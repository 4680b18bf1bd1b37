#include "recent_files.h"

#include <QAction>
#include <QMenu>

RecentFiles::RecentFiles(QMenu* menu) : QObject(menu), separator_(menu->addSeparator()) {
    separator_->setObjectName("mnSeparatorRecentFiles");
    for (int k = 0; k < capacity; ++k) {
        items_[k] = menu->addAction(QString());
        items_[k]->setObjectName(QString("mnRecentFile%1").arg(k + 1));
        connect(items_[k], &QAction::triggered, this, [this, k] {
            if (k < files_.size()) {
                emit fileChosen(files_[k]);
            }
        });
    }
    rebuildMenu();
}

void RecentFiles::setFiles(const QStringList& files) {
    files_ = files.mid(0, capacity);
    rebuildMenu();
}

void RecentFiles::Add(const QString& file) {
    if (files_.contains(file)) {
        return;
    }
    files_.prepend(file);
    while (files_.size() > capacity) {
        files_.removeLast();
    }
    rebuildMenu();
}

void RecentFiles::rebuildMenu() {
    separator_->setVisible(!files_.isEmpty());
    for (int k = 0; k < capacity; ++k) {
        const bool shown = k < files_.size();
        items_[k]->setVisible(shown);
        // "&&" keeps an ampersand in a file name from becoming a shortcut marker.
        items_[k]->setText(
            shown ? QString("&%1 %2").arg(k + 1).arg(QString(files_[k]).replace("&", "&&"))
                  : QString());
    }
}
