// A real main window on a private settings file, with the message boxes answered by the test.
#pragma once

#include "dib_image.h"
#include "main_window.h"
#include "message_boxes.h"
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
    // A 24-bit picture whose pixel (x, y) is red x, green y, blue x + y (mod 256).
    static std::unique_ptr<TDIBImage> pattern(int width, int height) {
        auto image = std::make_unique<TDIBImage>();
        BITMAPINFOHEADER header{};
        header.biSize = 40;
        header.biWidth = width;
        header.biHeight = height;
        header.biPlanes = 1;
        header.biBitCount = 24;
        header.biSizeImage = rowStrideOf(header) * height;
        EXPECT_TRUE(image->CreateFromHeader(header));
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = image->Bits + std::size_t(height - 1 - y) * image->RowStride();
            for (int x = 0; x < width; ++x) {
                row[3 * x] = std::uint8_t(x + y);
                row[3 * x + 1] = std::uint8_t(y);
                row[3 * x + 2] = std::uint8_t(x);
            }
        }
        return image;
    }

protected:
    void SetUp() override {
        store = std::make_unique<SettingsStore>(folder.filePath("settings.ini"));
        configure();
        main = std::make_unique<TfrmMDIParent>(*store, HUEMARK_DATA_DIR);
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

    // Settings to write before the main window reads them.
    virtual void configure() {}

    QTemporaryDir folder;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<TfrmMDIParent> main;
    std::vector<ShownMessage> messages;
    std::deque<MessageAnswer> answers;
};
