// A real main window on a private settings file, with the message boxes answered by the test.
#pragma once

#include "collection_commands.h"
#include "correction_commands.h"
#include "dib_image.h"
#include "dib_pattern.h"
#include "file_commands.h"
#include "main_window.h"
#include "message_boxes.h"
#include "settings_commands.h"
#include "settings_store.h"

#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

struct ShownMessage {
    MessageKind kind;
    QString caption;
    QString text;
};

class ProgramTest : public ::testing::Test {
public:
    static std::unique_ptr<TDIBImage> pattern(int width, int height) {
        auto image = patternDib(width, height);
        EXPECT_NE(image, nullptr);
        return image;
    }

    // The colour of image pixel (x, y) of a window's picture.
    static QRgb pixelAt(const TfrmMDIChild& window, int x, int y) {
        const TDIBImage& image = window.Image();
        const std::uint8_t* p =
            image.Bits + std::size_t(image.Height() - 1 - y) * image.RowStride() + 3 * x;
        return qRgb(p[2], p[1], p[0]);
    }

protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(folder.filePath("settings.ini"));
        configure();
        main = std::make_unique<TfrmMDIParent>(*store, dataFolder);
        setMessageResponder([this](MessageKind kind, const MessageTexts& texts) {
            messages.push_back({kind, texts.caption, texts.text});
            if (answers.empty()) {
                return kind == MessageKind::Question || kind == MessageKind::QuestionWithCancel
                           ? MessageAnswer::No
                           : MessageAnswer::Ok;
            }
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        });
        ASSERT_TRUE(main->Create());
        main->resize(1000, 700);
        main->show();
        QApplication::processEvents();
    }

    void TearDown() override {
        setMessageResponder({});
        main->settings().config.PromptToSave = 0;
        main.reset();
    }

    // Settings to write (and the data folder to choose) before the main window reads them.
    virtual void configure() {}

    QString dataFolder = HUEMARK_DATA_DIR;

    QTemporaryDir folder;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TfrmMDIParent> main;
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
};
