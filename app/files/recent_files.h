// The recently opened pictures: at most seven, newest first, shown at the end of the File menu
// as "&1 name" to "&7 name" after a separator. A name already in the list keeps its place.
#pragma once

#include <QObject>
#include <QStringList>

#include <array>

class QAction;
class QMenu;

class RecentFiles : public QObject {
    Q_OBJECT

public:
    static constexpr int capacity = 7;

    // Adds the separator and the seven items to the end of `menu`.
    explicit RecentFiles(QMenu* menu);

    const QStringList& files() const { return files_; }
    // Replaces the list (at start-up), keeping at most seven.
    void setFiles(const QStringList& files);
    // Puts a new name at the top; a name already there changes nothing.
    void Add(const QString& file);

    QAction* separator() const { return separator_; }
    QAction* item(int k) const { return items_[k]; }

signals:
    // An item was chosen: the file at its position.
    void fileChosen(const QString& file);

private:
    void rebuildMenu();

    QStringList files_;
    QAction* separator_;
    std::array<QAction*, capacity> items_{};
};
