// Every menu command can be reached from the keyboard in each shipped language: the menu bar's
// titles and the items of each menu carry an accelerator ("&" and a letter or digit in the
// language file), and no two of one menu share it, since an open menu runs the item whose
// accelerator is typed only when that item is the only one with it.
#include "program_fixture.h"

#include "image_commands.h"
#include "recent_files.h"

#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>

#include <gmock/gmock.h>

#include <map>
#include <string>
#include <vector>

namespace {
const QString picture = HUEMARK_DATA_DIR "/Images/still-life-small.bmp";

// The key the "&" of a menu text marks, upper case, as an open menu matches typed keys against
// it; 0 for a text without one.
int acceleratorKey(const QString& text) {
    const QKeySequence mnemonic = QKeySequence::mnemonic(text);
    return mnemonic.isEmpty() ? 0 : int(mnemonic[0].key());
}

// How many "&" of a text mark an accelerator ("&&" stands for an ampersand).
int markerCount(const QString& text) {
    return int(QString(text).remove("&&").count('&'));
}

std::string shown(const QString& text) {
    return '"' + text.toStdString() + '"';
}

// The entries of a numbered list (recent files, open windows): "&1 name", "&2 name", ...
// with the ampersands of the name doubled.
const QRegularExpression numberedEntry("^&(\\d) (.*)$");

// Walks menus and collects what keeps a command from being reached by its accelerator.
class AcceleratorCheck {
public:
    // `listNames` are the names the numbered lists show (file paths, window captions); the
    // items of `unlabelledMenus` are checked no further than their menu's own title.
    AcceleratorCheck(QStringList listNames, QList<const QMenu*> unlabelledMenus)
        : listNames_(std::move(listNames)), unlabelledMenus_(std::move(unlabelledMenus)) {}

    void checkMenuBar(const QMenuBar& bar) {
        QList<QAction*> titles;
        for (QAction* title : bar.actions()) {
            if (title->isVisible() && !title->isSeparator()) {
                titles.append(title);
                if (title->menu() != nullptr) {
                    checkMenu(*title->menu(), QString(title->text()).remove('&'));
                }
            }
        }
        checkItems(titles, "menu bar");
    }

    void checkMenu(const QMenu& menu, const QString& where) {
        QList<QAction*> commands;
        int listedEntries = 0;
        for (QAction* item : menu.actions()) {
            if (item->isSeparator() || !item->isVisible() || item->text().isEmpty()) {
                continue;
            }
            if (isListEntry(item->text())) {
                checkListNumber(item->text(), ++listedEntries, where);
                continue;
            }
            commands.append(item);
            if (item->menu() != nullptr && !unlabelledMenus_.contains(item->menu())) {
                checkMenu(*item->menu(), where + " > " + QString(item->text()).remove('&'));
            }
        }
        checkItems(commands, where);
    }

    const std::vector<std::string>& problems() const { return problems_; }
    int checkedItems() const { return checkedItems_; }
    const QStringList& numberedEntries() const { return numberedEntries_; }

private:
    bool isListEntry(const QString& text) const {
        const QRegularExpressionMatch entry = numberedEntry.match(text);
        return entry.hasMatch() && listNames_.contains(entry.captured(2).replace("&&", "&")) &&
               markerCount(entry.captured(2)) == 0;
    }

    // The entries of a list are numbered from 1 in the order they are shown.
    void checkListNumber(const QString& text, int number, const QString& where) {
        numberedEntries_.append(text);
        if (acceleratorKey(text) != '0' + number) {
            problems_.push_back(where.toStdString() + ": " + shown(text) + " is entry " +
                                std::to_string(number) + " of its list");
        }
    }

    void checkItems(const QList<QAction*>& items, const QString& where) {
        std::map<int, QString> byKey;
        for (QAction* item : items) {
            ++checkedItems_;
            const QString text = item->text();
            const int key = markerCount(text) == 1 ? acceleratorKey(text) : 0;
            if (!QChar(key).isLetterOrNumber()) {
                problems_.push_back(where.toStdString() + ": " + shown(text) +
                                    " has no single accelerator letter");
                continue;
            }
            const auto [taken, added] = byKey.try_emplace(key, text);
            if (!added) {
                problems_.push_back(where.toStdString() + ": " + shown(text) + " and " +
                                    shown(taken->second) + " share " +
                                    QString(QChar(key)).toStdString());
            }
        }
    }

    QStringList listNames_;
    QList<const QMenu*> unlabelledMenus_;
    std::vector<std::string> problems_;
    QStringList numberedEntries_;
    int checkedItems_ = 0;
};

// The main window in the language of the test's parameter.
class MenuAcceleratorsTest : public ProgramTest, public ::testing::WithParamInterface<const char*> {
protected:
    void configure() override { store->writeString("DirSection", "LanguageFileName", GetParam()); }

    // Two open pictures and two recent files, one with an ampersand in its name, so the
    // numbered lists of the Window and File menus show.
    QStringList fillNumberedLists() {
        QStringList names;
        for (const QString& name : {QString("/tmp/left.bmp"), QString("/tmp/right.bmp")}) {
            names << main->NewImageWindow(pattern(16, 12), name)->Caption();
        }
        for (const QString& file : {picture, QString("/tmp/salt&pepper.png")}) {
            main->files().recentFiles().Add(file);
            names << file;
        }
        emit main->mmnWindows->aboutToShow();
        return names;
    }
};

TEST_P(MenuAcceleratorsTest, EveryMenuCommandHasItsOwnAcceleratorLetter) {
    ASSERT_EQ(main->settings().languageFileName, GetParam());
    AcceleratorCheck check(fillNumberedLists(), {});
    check.checkMenuBar(*main->menuBar());
    EXPECT_THAT(check.problems(), ::testing::IsEmpty());
    EXPECT_GE(check.checkedItems(), 60) << "every menu was walked";
    const QStringList numbered = check.numberedEntries();
    ASSERT_EQ(numbered.size(), 4) << "two recent files and two windows";
    EXPECT_EQ(numbered[0], "&1 /tmp/salt&&pepper.png") << "the newest file comes first";
    EXPECT_EQ(numbered[1], "&2 " + picture);
}

TEST_P(MenuAcceleratorsTest, EveryPopUpCommandHasItsOwnAcceleratorLetter) {
    TfrmMDIChild* window = main->NewImageWindow(pattern(16, 12), "/tmp/popup.bmp");
    // The zoom submenus list scales ("1:1", "2:1", ...), which the code writes without
    // accelerators; only their titles come from the language file.
    AcceleratorCheck check({}, {window->zoomInMenu(), window->zoomOutMenu()});
    check.checkMenu(*window->popupMenu(), "image window");
    check.checkMenu(*main->images().popupWorkspace, "workspace");
    check.checkMenu(*main->collections().PopupMenuCollection, "colour collection");
    EXPECT_THAT(check.problems(), ::testing::IsEmpty());
    EXPECT_EQ(check.checkedItems(), 6 + 2 + 3);
}

// The checks themselves: a shared letter is found whatever its case, a text without "&" or
// with two is refused, "&&" is an ampersand, not an accelerator, a hidden item takes no letter,
// and a list's entries are numbered in order.
TEST(AcceleratorCheck, FindsSharedAndMissingLettersAcrossCase) {
    QMenu menu;
    menu.addAction("&Open");
    menu.addAction("Cl&ose");
    menu.addAction("Salt && Pepper");
    menu.addAction("&Two &Markers");
    menu.addAction("&1 /tmp/a.bmp");
    menu.addAction("&3 /tmp/b&&c.bmp");
    menu.addSeparator();
    menu.addAction("&Save")->setVisible(false);
    menu.addAction("&Send");
    AcceleratorCheck check({"/tmp/a.bmp", "/tmp/b&c.bmp"}, {});
    check.checkMenu(menu, "test");
    EXPECT_THAT(check.problems(),
                ::testing::ElementsAre("test: \"&3 /tmp/b&&c.bmp\" is entry 2 of its list",
                                       "test: \"Cl&ose\" and \"&Open\" share O",
                                       "test: \"Salt && Pepper\" has no single accelerator letter",
                                       "test: \"&Two &Markers\" has no single accelerator letter"));
    EXPECT_EQ(check.checkedItems(), 5) << "the hidden item and the list entries are not commands";
    EXPECT_EQ(check.numberedEntries(), (QStringList{"&1 /tmp/a.bmp", "&3 /tmp/b&&c.bmp"}));
}
} // namespace

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, MenuAcceleratorsTest,
                         ::testing::Values("English.ini", "Espanol.ini"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return QString(info.param).section('.', 0, 0).toStdString();
                         });
