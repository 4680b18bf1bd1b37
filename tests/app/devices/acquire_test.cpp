// File, Acquire and Select Source in the real main window, against SANE's test backend.
#include "device_commands.h"
#include "program_fixture.h"
#include "progress_form.h"
#include "sane_leak_options.h"
#include "sane_test_backend.h"
#include "source_form.h"
#include "text_table.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

namespace {
class AcquireTest : public ProgramTest {
protected:
    void configure() override {
        store->writeString("Scanner", "Device", "test:0");
        store->writeString("Scanner", "Source", QString::fromStdString(feed));
    }

    void SetUp() override {
        ProgramTest::SetUp();
        main->settings().config.ProgressDelay = 0; // the progress box shows at once
    }

    void acquire() { main->devices().mnAcquire->trigger(); }

    QString common(int n) const { return main->language().Text("Common", n); }

    std::string feed = "Flatbed";
};

class FeederTest : public AcquireTest {
protected:
    FeederTest() { feed = "Automatic Document Feeder"; }
};
} // namespace

TEST_F(AcquireTest, AColourPageOpensAWindowOfItsSizeAndResolution) {
    SaneTestBackend backend({"test-picture \"Solid white\""});
    acquire();
    ASSERT_EQ(main->imageWindows().size(), 1);
    EXPECT_TRUE(messages.empty());
    const TfrmMDIChild& window = *main->imageWindows().first();
    EXPECT_EQ(window.FileName(), "Picture 0");
    EXPECT_FALSE(window.Saved());
    const TDIBImage& image = window.Image();
    EXPECT_EQ(image.BitCount(), 24);
    EXPECT_EQ(image.Width(), 157); // 80 x 100 mm at 50 dpi
    EXPECT_EQ(image.Height(), 196);
    EXPECT_EQ(image.Header->biXPelsPerMeter, 1969);
    EXPECT_EQ(image.Header->biYPelsPerMeter, 1969);
    EXPECT_EQ(pixelAt(window, 0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(pixelAt(window, 156, 195), qRgb(255, 255, 255));
}

TEST_F(FeederTest, TheFeederGivesOneWindowPerPage) {
    SaneTestBackend backend;
    acquire();
    const QList<TfrmMDIChild*> windows = main->imageWindows();
    ASSERT_EQ(windows.size(), 10); // the test feeder's stack
    // The first name is made before the first window resets the numbers, so the second page
    // is numbered 0 again.
    for (int page = 0; page < windows.size(); ++page) {
        EXPECT_EQ(windows[page]->FileName(), QString("Picture %1").arg(std::max(page - 1, 0)));
        EXPECT_EQ(windows[page]->Image().BitCount(), 24);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(FeederTest, AGreyPageEndsTheSessionAndTheEarlierWindowsStay) {
    SaneTestBackend backend;
    ScopedEnvironment shim("HUEMARK_SANE_LIBRARY", SANE_GREY_SHIM);
    ScopedEnvironment greyPage("HUEMARK_SHIM_GREY_PAGE", "3");
    acquire();
    EXPECT_EQ(main->imageWindows().size(), 2);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, common(common_text::Not24Bit));
    // The session was closed: the next one starts again with colour pages.
    acquire();
    EXPECT_EQ(main->imageWindows().size(), 4);
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(AcquireTest, CancelInTheProgressBoxStopsTheScan) {
    // About 25 reads of 4 KB, each after 0.2 s.
    SaneTestBackend backend({"read-limit true", "read-limit-size 4096", "read-delay true",
                             "read-delay-duration 200000"});
    TProgressForm& progress = main->progressForm();
    int clicks = 0;
    QTimer canceller;
    QObject::connect(&canceller, &QTimer::timeout, [&] {
        if (progress.isVisible() && progress.btCancel->isEnabled()) {
            ++clicks;
            progress.btCancel->click();
        }
    });
    canceller.start(50);
    QElapsedTimer clock;
    clock.start();
    acquire();
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(main->imageWindows().isEmpty());
    EXPECT_TRUE(messages.empty()); // cancelling is no failure
    EXPECT_TRUE(main->isEnabled());
}

TEST_F(AcquireTest, AnErrorWhileReadingSaysTheScannerFailed) {
    SaneTestBackend backend({"read-status-code \"SANE_STATUS_IO_ERROR\""});
    acquire();
    EXPECT_TRUE(main->imageWindows().isEmpty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, common(common_text::ScannerFailed));
}

TEST_F(AcquireTest, WithoutTheSaneLibraryBothCommandsSayThereIsNoScanner) {
    SaneTestBackend backend;
    ScopedEnvironment missing("HUEMARK_SANE_LIBRARY", "/nonexistent/libsane.so.1");
    acquire();
    main->devices().mnSelectSource->trigger();
    ASSERT_EQ(messages.size(), 2u);
    for (const ShownMessage& message : messages) {
        EXPECT_EQ(message.kind, MessageKind::Error);
        EXPECT_EQ(message.text, common(common_text::NoScanner));
    }
    EXPECT_TRUE(main->imageWindows().isEmpty());
}

TEST_F(AcquireTest, SelectSourceListsTheFeedsAndTheChoiceIsKeptAndUsed) {
    SaneTestBackend backend;
    QStringList offered;
    int current = -1;
    main->devices().sourceFormReady = [&](TSourceForm& form) {
        for (int row = 0; row < form.lbSources->count(); ++row) {
            offered << form.lbSources->item(row)->text();
        }
        current = form.lbSources->currentRow();
        QTimer::singleShot(0, &form, [&form] {
            form.lbSources->setCurrentRow(1);
            form.btOK->click();
        });
    };
    main->devices().mnSelectSource->trigger();
    EXPECT_EQ(offered, QStringList({"Noname frontend-tester (test:0) \u2013 Flatbed",
                                    "Noname frontend-tester (test:0) \u2013 Automatic Document "
                                    "Feeder",
                                    "Noname frontend-tester (test:1) \u2013 Flatbed",
                                    "Noname frontend-tester (test:1) \u2013 Automatic Document "
                                    "Feeder"}));
    EXPECT_EQ(current, 0); // the stored flatbed of test:0
    QString device;
    QString source;
    ASSERT_TRUE(store->readString("Scanner", "Device", device));
    ASSERT_TRUE(store->readString("Scanner", "Source", source));
    EXPECT_EQ(device, "test:0");
    EXPECT_EQ(source, "Automatic Document Feeder");
    acquire();
    EXPECT_EQ(main->imageWindows().size(), 10);
}

TEST_F(AcquireTest, CancellingTheChooserKeepsTheSource) {
    SaneTestBackend backend;
    main->devices().sourceFormReady = [](TSourceForm& form) {
        QTimer::singleShot(0, &form, [&form] {
            form.lbSources->setCurrentRow(3);
            form.btCancel->click();
        });
    };
    main->devices().mnSelectSource->trigger();
    QString source;
    ASSERT_TRUE(store->readString("Scanner", "Source", source));
    EXPECT_EQ(source, "Flatbed");
    acquire();
    EXPECT_EQ(main->imageWindows().size(), 1);
}
