#include "example_form_parts.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>

#include <algorithm>
#include <climits>

QPushButton* newButton(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QHBoxLayout* inRow(std::initializer_list<QWidget*> widgets) {
    auto* layout = new QHBoxLayout;
    for (QWidget* widget : widgets) {
        layout->addWidget(widget);
    }
    return layout;
}

int shownMilliseconds(std::uint32_t milliseconds) {
    return int(std::min<std::uint32_t>(milliseconds, INT_MAX));
}

QString withExampleSuffix(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + ".shw" : path;
}
