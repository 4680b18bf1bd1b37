// Presses Cancel in the printing box as soon as the printing loop lets events through.
#pragma once

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

inline void cancelPrintingWhenAsked() {
    QTimer::singleShot(0, [] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->objectName() == "TAbortPrintForm" && window->isVisible()) {
                window->findChild<QPushButton*>("btCancel")->click();
            }
        }
    });
}
