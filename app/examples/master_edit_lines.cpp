#include "master_edit_lines.h"

#include "show_codes.h"
#include "show_list.h"

#include <QFileInfo>

namespace {
constexpr const char* mouseLine = "Mouse: %1, %2 (%3, %4)";
constexpr const char* noteLine = "Note: %1 ms, %2";
constexpr const char* delayLine = "Delay: %1 ms";
constexpr const char* openFileLine = "Open file: %1";

QString commandLine(const TShowCmd& command) {
    return QString(mouseLine).arg(QString::fromLatin1(showActionName(command.Action)),
                                  QString::fromLatin1(showTargetName(command.Target)),
                                  QString::number(command.X), QString::number(command.Y));
}

QString noteLineOf(const TShowList& example, int index) {
    const TNoteText note = example.GetNote(index);
    return QString(noteLine).arg(QString::number(note.Time), note.Text);
}
} // namespace

QString showItemLine(const TShowList& example, int index) {
    if (index < 0 || index >= example.Count()) {
        return {};
    }
    const TShowItem* item = example.Items(index);
    switch (item->Kind()) {
    case TShowKind::Command:
        return commandLine(*showItemAs<TShowCmd>(item));
    case TShowKind::Note:
        return noteLineOf(example, index);
    case TShowKind::Delay:
        return QString(delayLine).arg(showItemAs<TShowDelay>(item)->Milliseconds);
    case TShowKind::OpenFile:
        return QString(openFileLine)
            .arg(QFileInfo(showItemAs<TShowCmdOpenFile>(item)->Path).fileName());
    }
    return {};
}
