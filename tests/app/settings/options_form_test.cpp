#include "options_form.h"

#include <QDir>
#include <QLayout>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>

namespace {

struct OptionsScene {
    QTemporaryDir dir;
    TLanguage language;
    PersistedSettings settings;
    std::unique_ptr<SettingsStore> store;

    OptionsScene() {
        QDir(dir.path()).mkdir("Language");
        write("Language/English.ini", "[Language]\nLanguage=English\n[Options]\ncaption=Options\n");
        write("Language/Russian.ini", "[Language]\nLanguage=Russian (test)\n");
        write("English.hlp", "help");
        write("Russian.hlp", "help");
        language.Load(dir.filePath("Language/English.ini"));
        store = std::make_unique<SettingsStore>(dir.filePath("settings.ini"));
    }
    void write(const QString& name, const std::string& text) {
        std::ofstream(dir.filePath(name).toStdString()) << text;
    }
};

// Types `text` into a number field and commits it with Enter.
void typeNumber(TIntEdit* edit, const QString& text) {
    edit->Field()->selectAll();
    QTest::keyClicks(edit->Field(), text);
    QTest::keyClick(edit->Field(), Qt::Key_Return);
}

} // namespace

TEST(OptionsForm, ShowsTheSettingsAndTheLanguageFiles) {
    OptionsScene scene;
    scene.settings.languageFileName = "russian.INI";
    scene.settings.config.AdjustSize = 1;
    scene.settings.config.PromptToSave = 0;
    scene.settings.config.ProgressDelay = 12;
    TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
    EXPECT_EQ(form.windowTitle(), "Options");
    EXPECT_EQ(form.cmbLanguageFiles->count(), 2);
    EXPECT_EQ(form.cmbLanguageFiles->currentText(), "Russian.ini")
        << "the stored name, in any case";
    EXPECT_EQ(form.lbLanguage->text(), "Russian (test)");
    form.cmbLanguageFiles->setCurrentIndex(0);
    EXPECT_EQ(form.lbLanguage->text(), "English") << "the display name follows the choice";
    EXPECT_TRUE(form.chbAdjustSize->isChecked());
    EXPECT_FALSE(form.chbPromtToSave->isChecked());
    EXPECT_TRUE(form.chbDisplayTips->isChecked());
    EXPECT_EQ(form.edtProgressDelay->Value(), 12);
    EXPECT_EQ(form.cmbHelpFiles->count(), 2);
}

TEST(OptionsForm, DelayIsKeptEvenOnCancelAndOkWritesTheRest) {
    OptionsScene scene;
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        form.edtProgressDelay->Field()->selectAll();
        QTest::keyClicks(form.edtProgressDelay->Field(), "75");
        QTest::keyClick(form.edtProgressDelay->Field(), Qt::Key_Return);
        form.chbPromtToSave->setChecked(false);
        form.btCancel->click();
    }
    EXPECT_EQ(scene.settings.config.ProgressDelay, 59) << "taken at once, clamped";
    EXPECT_EQ(scene.settings.config.PromptToSave, 1) << "Cancel drops the check boxes";
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        form.chbPromtToSave->setChecked(false);
        form.chbDisplayTips->setChecked(false);
        form.cmbLanguageFiles->setCurrentText("Russian.ini");
        form.btOK->click();
    }
    EXPECT_EQ(scene.settings.config.PromptToSave, 0);
    EXPECT_EQ(scene.settings.local.DisplayTips, 0);
    QString stored;
    ASSERT_TRUE(scene.store->readString("DirSection", "LanguageFileName", stored));
    EXPECT_EQ(stored, "Russian.ini");
}

TEST(OptionsForm, UndoMemoryFieldShowsTheSettingBesideItsLabel) {
    OptionsScene scene;
    TLanguage english;
    ASSERT_TRUE(english.Load(QDir(HUEMARK_DATA_DIR).filePath("Language/English.ini")));
    scene.settings.undoMegabytes = 1234;
    TOptionsForm form(english, scene.settings, *scene.store, scene.dir.path());
    EXPECT_EQ(form.edtUndoMegabytes->Value(), 1234);
    EXPECT_EQ(form.edtUndoMegabytes->Min(), 0);
    EXPECT_EQ(form.edtUndoMegabytes->Max(), 65536);

    form.layout()->activate();
    const QLabel* label = nullptr;
    for (const QLabel* candidate : form.findChildren<QLabel*>()) {
        if (candidate->text() == "Memory for the undo steps of each picture (MB):") {
            label = candidate;
        }
    }
    ASSERT_NE(label, nullptr);
    const QRect field = form.edtUndoMegabytes->geometry();
    EXPECT_LT(label->geometry().right(), field.left()) << "the label comes before the field";
    EXPECT_GE(label->geometry().center().y(), field.top()) << "on the field's row";
    EXPECT_LE(label->geometry().center().y(), field.bottom()) << "on the field's row";
}

TEST(OptionsForm, UndoMemoryIsStoredByOkOnly) {
    OptionsScene scene;
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        typeNumber(form.edtUndoMegabytes, "120");
        form.btCancel->click();
    }
    EXPECT_EQ(scene.settings.undoMegabytes, 300) << "Cancel leaves the setting";
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        typeNumber(form.edtUndoMegabytes, "120");
        EXPECT_EQ(scene.settings.undoMegabytes, 300) << "not taken before OK";
        form.btOK->click();
        EXPECT_EQ(form.result(), QDialog::Accepted);
    }
    EXPECT_EQ(scene.settings.undoMegabytes, 120);
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        typeNumber(form.edtUndoMegabytes, "0");
        form.btOK->click();
    }
    EXPECT_EQ(scene.settings.undoMegabytes, 0) << "no undo at all is a choice";
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        typeNumber(form.edtUndoMegabytes, "70000");
        form.btOK->click();
    }
    EXPECT_EQ(scene.settings.undoMegabytes, 65536) << "clamped to the largest";
}

// "Do not ask again" in the question before an original is replaced can be taken back here.
TEST(OptionsForm, TheQuestionBeforeReplacingAnOriginalCanBeSwitchedOnAgain) {
    OptionsScene scene;
    scene.settings.askBeforeReplacingOriginals = false;
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        EXPECT_FALSE(form.chbAskBeforeReplacing->isChecked());
        form.chbAskBeforeReplacing->setChecked(true);
        form.btCancel->click();
    }
    EXPECT_FALSE(scene.settings.askBeforeReplacingOriginals);
    {
        TOptionsForm form(scene.language, scene.settings, *scene.store, scene.dir.path());
        form.chbAskBeforeReplacing->setChecked(true);
        form.btOK->click();
    }
    EXPECT_TRUE(scene.settings.askBeforeReplacingOriginals);
}
