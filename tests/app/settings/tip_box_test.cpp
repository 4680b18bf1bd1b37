#include "tip_box.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace {

TLanguage tipsLanguage(const QTemporaryDir& dir) {
    std::string text =
        "[Techniques Dialog]\nnumber=Technique\nquestion=Do you want to see example %d?\n";
    for (int i = 1; i <= 15; ++i) {
        text += "tip" + std::to_string(i) + "=Tip text " + std::to_string(i) + "\n";
    }
    text +=
        "caption=Techniques of color correction\ndisplay=Show at start\ncomment=See the examples\n";
    text += "[Common]\n";
    for (int i = 0; i < 68; ++i) {
        text += "c" + std::to_string(i) + "=" +
                (i == 65   ? "Yes"
                 : i == 66 ? "No"
                 : i == 67 ? "Next"
                           : "x") +
                "\n";
    }
    const QString path = dir.filePath("English.ini");
    std::ofstream(path.toStdString()) << text;
    TLanguage language;
    language.Load(path);
    return language;
}

QPushButton* button(TTipBox& box, const QString& text) {
    for (QPushButton* b : box.findChildren<QPushButton*>()) {
        if (b->text() == text) {
            return b;
        }
    }
    return nullptr;
}

bool showsText(TTipBox& box, const QString& text) {
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (label->text().contains(text)) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(TipBox, ShowsTheStoredTechniqueAndWrapsAfterFifteen) {
    QTemporaryDir dir;
    const TLanguage language = tipsLanguage(dir);
    TLocalSettings local = defaultLocalSettings();
    local.NextTip = 14;
    TTipBox box(language, local);
    EXPECT_EQ(box.windowTitle(), "Techniques of color correction");
    EXPECT_TRUE(showsText(box, "Technique 14"));
    EXPECT_TRUE(showsText(box, "Tip text 14\n\nDo you want to see example 14?"));
    button(box, "Next")->click();
    EXPECT_EQ(box.Shown(), 15);
    EXPECT_EQ(local.NextTip, 15);
    button(box, "Next")->click();
    EXPECT_EQ(box.Shown(), 1) << "after 15 comes 1";
}

TEST(TipBox, YesPlaysTheShownExampleAndTheNextStartShowsTheNextTechnique) {
    QTemporaryDir dir;
    const TLanguage language = tipsLanguage(dir);
    TLocalSettings local = defaultLocalSettings();
    local.NextTip = 15;
    int played = 0;
    {
        TTipBox box(language, local);
        box.playExample = [&](int example) { played = example; };
        button(box, "Yes")->click();
    }
    EXPECT_EQ(played, 15);
    EXPECT_EQ(local.NextTip, 1);
    TTipBox again(language, local);
    EXPECT_EQ(again.Shown(), 1);
    again.reject();
    EXPECT_EQ(local.NextTip, 2) << "closing advances the stored number";
}

TEST(TipBox, FormatTextFillsPlaceholdersSafely) {
    EXPECT_EQ(formatText("File %s not found", {"a.jpg"}), "File a.jpg not found");
    EXPECT_EQ(formatText("%d of %d (%%)", {"3"}), "3 of  (%)");
    EXPECT_EQ(formatText("%x %", {"1"}), "%x %");
}
