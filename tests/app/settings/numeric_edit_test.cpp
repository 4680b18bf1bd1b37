#include "numeric_edit.h"

#include <QAction>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

void typeAndCommit(TNumericEditBase& edit, const QString& text) {
    edit.Field()->setFocus();
    edit.Field()->selectAll();
    QTest::keyClicks(edit.Field(), text);
    QTest::keyClick(edit.Field(), Qt::Key_Return);
}

QToolButton* arrow(TNumericEditBase& edit, Qt::ArrowType type) {
    for (QToolButton* button : edit.findChildren<QToolButton*>()) {
        if (button->arrowType() == type) {
            return button;
        }
    }
    return nullptr;
}

} // namespace

TEST(IntEdit, TypedTextIsClampedOrRefused) {
    TIntEdit edit;
    edit.SetMin(0);
    edit.SetMax(59);
    edit.SetValue(5);
    QSignalSpy changed(&edit, &TIntEdit::valueChanged);
    typeAndCommit(edit, "75");
    EXPECT_EQ(edit.Value(), 59);
    EXPECT_EQ(edit.Field()->text(), "59");
    typeAndCommit(edit, "abc");
    EXPECT_EQ(edit.Value(), 59) << "letters keep the previous value";
    EXPECT_EQ(edit.Field()->text(), "59");
    EXPECT_GE(changed.count(), 2) << "OnValueChanged either way";
    typeAndCommit(edit, "-4");
    EXPECT_EQ(edit.Value(), 0);
}

TEST(IntEdit, ArrowsStepByTheIncrementWithinTheBounds) {
    TIntEdit edit;
    edit.SetMin(-3);
    edit.SetMax(10);
    edit.SetIncrement(0);
    EXPECT_EQ(edit.Increment(), 1) << "0 becomes 1";
    edit.SetIncrement(4);
    edit.SetValue(8);
    QSignalSpy changed(&edit, &TIntEdit::valueChanged);
    arrow(edit, Qt::UpArrow)->click();
    EXPECT_EQ(edit.Value(), 10);
    arrow(edit, Qt::DownArrow)->click();
    arrow(edit, Qt::DownArrow)->click();
    arrow(edit, Qt::DownArrow)->click();
    EXPECT_EQ(edit.Value(), -2);
    arrow(edit, Qt::DownArrow)->click();
    EXPECT_EQ(edit.Value(), -3);
    EXPECT_EQ(edit.Field()->text(), "-3");
    EXPECT_EQ(changed.count(), 5);
    edit.SetValue(1000);
    EXPECT_EQ(edit.Value(), 10) << "reading clamps the stored value";
}

TEST(RealEdit, FormatsWithItsDecimalsAndReportsClicks) {
    TRealEdit edit;
    edit.SetMin(0.1L);
    edit.SetMax(5);
    edit.SetAfterPoint(2);
    edit.SetIncrement(0.25L);
    edit.SetValue(1.5L);
    EXPECT_EQ(edit.Field()->text(), "1.50");
    arrow(edit, Qt::UpArrow)->click();
    EXPECT_EQ(edit.Field()->text(), "1.75");
    typeAndCommit(edit, "9.999");
    EXPECT_EQ(edit.Field()->text(), "5.00");
    typeAndCommit(edit, "x1");
    EXPECT_EQ(edit.Field()->text(), "5.00");
    QSignalSpy clicked(&edit, &TRealEdit::clickEdit);
    QTest::mouseClick(edit.Field(), Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 1);
    edit.setEnabled(false);
    EXPECT_FALSE(edit.Field()->isEnabled()) << "Enabled covers the field and the arrows";
    EXPECT_FALSE(arrow(edit, Qt::UpArrow)->isEnabled());
}

// Ctrl+Z in a field that holds no typing of its own is the window's Undo; once something was
// typed, it undoes the typing first.
TEST(RealEdit, LeavesTheUndoKeysToTheWindowUntilSomethingIsTyped) {
    QWidget window;
    auto* edit = new TRealEdit(&window);
    (new QVBoxLayout(&window))->addWidget(edit);
    auto* undo = new QAction(&window);
    undo->setShortcut(QKeySequence::Undo);
    auto* redo = new QAction(&window);
    redo->setShortcut(QKeySequence::Redo);
    window.addActions({undo, redo});
    QSignalSpy undone(undo, &QAction::triggered);
    QSignalSpy redone(redo, &QAction::triggered);
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    edit->setFocus();
    edit->SetValue(1.0L);

    QTest::keySequence(edit->Field(), QKeySequence::Undo);
    QTest::keySequence(edit->Field(), QKeySequence::Redo);
    EXPECT_EQ(undone.count(), 1);
    EXPECT_EQ(redone.count(), 1);

    QTest::keyClicks(edit->Field(), "5");
    const QString typed = edit->Field()->text();
    QTest::keySequence(edit->Field(), QKeySequence::Undo);
    EXPECT_EQ(undone.count(), 1) << "the typing was undone instead";
    EXPECT_NE(edit->Field()->text(), typed);
    QTest::keySequence(edit->Field(), QKeySequence::Redo);
    EXPECT_EQ(redone.count(), 1);
    EXPECT_EQ(edit->Field()->text(), typed);
}
