#include "help_system.h"

#include <QTest>

#include <gtest/gtest.h>

TEST(HelpNavigation, BackForwardAndContentsWalkTheTopicsShown) {
    THelpWindow window;
    ASSERT_TRUE(window.open(HUEMARK_DATA_DIR "/English.hlp"));
    window.show();
    EXPECT_FALSE(window.btBack->isEnabled());
    EXPECT_FALSE(window.btForward->isEnabled());
    window.showTopic(7);
    window.showTopic(3);
    window.showTopic(3); // the same page again is no new step
    window.showTopic(12);
    window.btBack->click();
    EXPECT_EQ(window.shownTopic(), 3);
    window.btBack->click();
    EXPECT_EQ(window.shownTopic(), 7);
    EXPECT_FALSE(window.btBack->isEnabled()) << "the first page shown";
    window.btBack->click();
    EXPECT_EQ(window.shownTopic(), 7);
    window.btForward->click();
    EXPECT_EQ(window.shownTopic(), 3);
    EXPECT_TRUE(window.btForward->isEnabled());

    window.btContents->click();
    EXPECT_EQ(window.shownTopic(), 0);
    EXPECT_FALSE(window.btForward->isEnabled()) << "a new page ends the way forward";
    window.btBack->click();
    EXPECT_EQ(window.shownTopic(), 3);
    EXPECT_TRUE(window.browser()->toPlainText().contains("Progress delay"));
}

TEST(HelpNavigation, AltLeftAndAltRightAreBackAndForward) {
    THelpWindow window;
    ASSERT_TRUE(window.open(HUEMARK_DATA_DIR "/English.hlp"));
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.showTopic(7);
    window.showTopic(8);
    window.browser()->setFocus();
    QTest::keyClick(window.browser(), Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(window.shownTopic(), 7) << "in the page";
    window.btContents->setFocus();
    QTest::keyClick(window.btContents, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(window.shownTopic(), 8) << "on a button";

    window.setButtonTexts("Zurück", "Vor", "Inhalt");
    EXPECT_EQ(window.btBack->text(), "Zurück");
    EXPECT_EQ(window.btContents->toolTip(), "Inhalt");
}
