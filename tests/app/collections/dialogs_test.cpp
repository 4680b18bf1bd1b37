// The colour dialog, the gamma list and the level picker.
#include "color_form.h"
#include "contrast_form.h"
#include "extended_float.h"
#include "gamma_form.h"
#include "language.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {
const TLanguage& english() {
    static TLanguage language;
    static const bool loaded = language.Load(HUEMARK_DATA_DIR "/Language/English.ini");
    EXPECT_TRUE(loaded);
    return language;
}

std::array<int, 3> rgb(const TfrmColor& form) {
    return {form.R(), form.G(), form.B()};
}

void type(QLineEdit* edit, const QString& text) {
    edit->setText(text);
}
} // namespace

TEST(ColorForm, CouplingsOfColourComplementAndBrightness) {
    TfrmColor form(english(), "skin", 200, 100, 50, "Edit");
    EXPECT_EQ(form.Edits[3]->text(), "55") << "cyan is 255 - red";
    EXPECT_EQ(form.Edits[6]->text(), "200") << "brightness is the largest";
    EXPECT_EQ(form.Comment(), "skin");
    type(form.Edits[6], "128");
    EXPECT_EQ(rgb(form), (std::array{128, 64, 32}));
    type(form.Edits[4], "55"); // magenta
    EXPECT_EQ(form.G(), 200);
    EXPECT_EQ(form.ScrollBars[1]->value(), 200);
    type(form.Edits[0], "300");
    EXPECT_EQ(form.Edits[0]->text(), "255") << "too large: 255";
    EXPECT_EQ(form.R(), 255);
    type(form.Edits[2], "abc");
    EXPECT_EQ(form.Edits[2]->text(), "255") << "no number: 255";
    form.ScrollBars[0]->setValue(10);
    EXPECT_EQ(form.Edits[0]->text(), "10");
    EXPECT_EQ(form.R(), 10);
}

TEST(ColorForm, BrightnessOfBlackAndMakeGray) {
    TfrmColor black(english(), "", 0, 0, 0, "Add");
    type(black.Edits[6], "128");
    EXPECT_EQ(rgb(black), (std::array{128, 128, 128}));
    TfrmColor colour(english(), "", 10, 200, 30, "Add");
    colour.btGray->click();
    EXPECT_EQ(rgb(colour), (std::array{200, 200, 200}));
    EXPECT_EQ(colour.windowTitle(), "Add");
}

TEST(ExtendedFloat, BytesOfTheGammaStore) {
    const auto one = toExtended(1.0);
    EXPECT_EQ(one, (std::array<std::uint8_t, 10>{0, 0, 0, 0, 0, 0, 0, 0x80, 0xff, 0x3f}));
    const auto minusTwo = toExtended(-2.0);
    EXPECT_EQ(minusTwo[9], 0xc0);
    EXPECT_EQ(minusTwo[8], 0x00);
    for (const double value : {2.2, 1.4, 0.01, 9.99, 0.0, 1e-300, 123456.789}) {
        EXPECT_EQ(fromExtended(toExtended(value).data()), value);
    }
}

TEST(GammaForm, ListRoundTripAddDeleteAndChoose) {
    TGammaForm form(english());
    EXPECT_EQ(form.lstGammas->count(), 3) << "the built-in values";
    double field = 1.85;
    double chosen = 0;
    form.currentValue = [&] { return field; };
    form.valueChosen = [&](double value) { chosen = value; };
    form.btAdd->click();
    EXPECT_EQ(form.lstGammas->item(3)->text(), "1.85");
    QByteArray stored;
    ASSERT_TRUE(form.SaveToBytes(stored));
    EXPECT_EQ(stored.size(), 4 + 4 * 10);
    TGammaForm other(english());
    ASSERT_TRUE(other.LoadFromBytes(stored));
    ASSERT_EQ(other.lstGammas->count(), 4);
    EXPECT_EQ(other.lstGammas->item(2)->text(), "2.20");
    EXPECT_EQ(other.lstGammas->currentRow(), 0);

    form.lstGammas->setCurrentRow(1);
    emit form.lstGammas->itemClicked(form.lstGammas->item(1));
    EXPECT_EQ(chosen, 1.7);

    while (form.lstGammas->count() > 0) {
        form.btDelete->click();
    }
    ASSERT_TRUE(form.SaveToBytes(stored));
    EXPECT_EQ(stored, QByteArray(4, '\0')) << "an empty list is a count of 0";
    ASSERT_TRUE(other.LoadFromBytes(stored));
    EXPECT_EQ(other.lstGammas->count(), 0);
    EXPECT_FALSE(other.LoadFromBytes(QByteArray("\x05\0\0\0abc", 7))) << "count beyond the data";
    EXPECT_FALSE(other.LoadFromBytes(QByteArray()));
}

TEST(ContrastForm, ClicksPickTheLevelOfTheRow) {
    EXPECT_EQ(TContrastForm::LevelOfRow(0, 256), 255);
    EXPECT_EQ(TContrastForm::LevelOfRow(255, 256), 0);
    EXPECT_EQ(TContrastForm::LevelOfRow(50, 101), 128);
    TContrastForm picker("Light point", 255);
    EXPECT_EQ(picker.Level(), 255);
    picker.show();
    const QRect box = picker.PaintBox->rect();
    int changes = 0;
    QObject::connect(picker.IntEdit, &TNumericEditBase::valueChanged, [&] { ++changes; });
    // The scale's bottom row lies 6 pixels above the paint box's bottom edge.
    QTest::mouseClick(picker.PaintBox, Qt::LeftButton, {},
                      QPoint(box.width() - 20, box.height() - 7));
    EXPECT_EQ(picker.Level(), 0);
    QTest::mouseClick(picker.PaintBox, Qt::LeftButton, {}, QPoint(box.width() - 20, 6));
    EXPECT_EQ(picker.Level(), 255);
    EXPECT_EQ(changes, 2);
    picker.SetMeasuredLevel(-1);
    EXPECT_EQ(picker.MeasuredLevel(), -1);
}
