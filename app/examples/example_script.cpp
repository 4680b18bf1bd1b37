#include "example_script.h"

#include "gamma_list_bytes.h"
#include "show_codes.h"

#include <QRegularExpression>

#include <map>

namespace {
constexpr QPoint defaultControlPoint(8, 8);

struct Line {
    int number;
    QString text;
};

std::optional<std::uint8_t> targetNamed(const QString& name) {
    for (int code = 0; code <= lastShowTarget; ++code) {
        if (name == QLatin1String(showTargetName(std::uint8_t(code)))) {
            return std::uint8_t(code);
        }
    }
    return std::nullopt;
}

std::optional<int> number(const QString& word) {
    bool ok = false;
    const int value = word.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// Whole numbers from `words` starting at `first`; none unless there are exactly `count`.
std::optional<std::vector<int>> numbers(const QStringList& words, int first, int count) {
    if (words.size() != first + count) {
        return std::nullopt;
    }
    std::vector<int> values;
    for (int i = first; i < words.size(); ++i) {
        const auto value = number(words[i]);
        if (!value) {
            return std::nullopt;
        }
        values.push_back(*value);
    }
    return values;
}

bool setConfig(TConfigSettings& config, const QString& field, int value) {
    static const std::map<QString, void (*)(TConfigSettings&, int)> fields = {
        {"Operation", [](TConfigSettings& c, int v) { c.Operation = std::uint8_t(v); }},
        {"Auto", [](TConfigSettings& c, int v) { c.Auto = std::uint8_t(v); }},
        {"ColourMode", [](TConfigSettings& c, int v) { c.ColourMode = std::uint8_t(v); }},
        {"LayerRange", [](TConfigSettings& c, int v) { c.LayerRange = v; }},
        {"FilterRange", [](TConfigSettings& c, int v) { c.FilterRange = v; }},
        {"FilterPasses", [](TConfigSettings& c, int v) { c.FilterPasses = v; }},
        {"CreateNewWindow", [](TConfigSettings& c, int v) { c.CreateNewWindow = std::uint8_t(v); }},
    };
    const auto found = fields.find(field);
    if (found == fields.end()) {
        return false;
    }
    found->second(config, value);
    return true;
}

std::optional<std::uint8_t> clickAction(const QString& word) {
    if (word == "click") {
        return saLButtonClick;
    }
    if (word == "rightclick") {
        return saRButtonClick;
    }
    if (word == "doubleclick") {
        return saLButtonDblClk;
    }
    return std::nullopt;
}

class Parser {
public:
    explicit Parser(const QString& text) {
        int number = 0;
        for (const QString& line : text.split('\n')) {
            ++number;
            const QString trimmed = line.trimmed();
            if (!trimmed.isEmpty() && !trimmed.startsWith('#')) {
                lines_.push_back({number, line});
            }
        }
    }

    std::optional<ExampleScript> parse(QString& error) {
        for (next_ = 0; next_ < lines_.size(); ++next_) {
            const Line& line = lines_[next_];
            const QString cause = step(line.text.trimmed());
            if (!cause.isEmpty()) {
                error = QString("line %1: %2").arg(line.number).arg(cause);
                return std::nullopt;
            }
        }
        return script_;
    }

private:
    QString step(const QString& text) {
        const QStringList words = text.split(QRegularExpression("\\s+"));
        const QString& word = words.first();
        const QString rest = text.mid(word.size()).trimmed();
        if (word == "title") {
            script_.title = rest;
        } else if (word == "language") {
            script_.languages << rest;
        } else if (word == "collection") {
            script_.collectionFile = rest;
        } else if (word == "setting") {
            const auto value = words.size() == 3 ? number(words[2]) : std::nullopt;
            if (!value || !setConfig(script_.config, words[1], *value)) {
                return "a setting needs a known field and a number";
            }
        } else if (word == "open") {
            ExampleStep open;
            open.kind = ExampleStep::Kind::Open;
            open.file = rest;
            script_.steps.push_back(open);
        } else if (word == "pause") {
            const auto value = numbers(words, 1, 1);
            if (!value || value->front() < 0) {
                return "a pause needs its milliseconds";
            }
            ExampleStep pause;
            pause.milliseconds = std::uint32_t(value->front());
            script_.steps.push_back(pause);
        } else if (word == "note") {
            return note(words);
        } else if (word == "drag") {
            return drag(words);
        } else if (const auto action = clickAction(word)) {
            return click(*action, words);
        } else {
            return QString("unknown step \"%1\"").arg(word);
        }
        return {};
    }

    QString note(const QStringList& words) {
        const auto value = numbers(words, 1, 1);
        if (!value || value->front() < 0) {
            return "a note needs its milliseconds";
        }
        ExampleStep note;
        note.kind = ExampleStep::Kind::Note;
        note.milliseconds = std::uint32_t(value->front());
        for (const QString& language : std::as_const(script_.languages)) {
            if (next_ + 1 >= lines_.size()) {
                return QString("the note lacks its %1 text").arg(language);
            }
            const QString text = lines_[++next_].text.trimmed();
            const QString prefix = language + ":";
            if (!text.startsWith(prefix)) {
                return QString("the note lacks its %1 text").arg(language);
            }
            note.texts << text.mid(prefix.size()).trimmed();
        }
        script_.steps.push_back(note);
        return {};
    }

    QString drag(const QStringList& words) {
        ExampleStep drag;
        drag.kind = ExampleStep::Kind::Drag;
        const QString where = words.value(1);
        const auto values = where == "image"      ? numbers(words, 2, 5)
                            : where == "panorama" ? numbers(words, 2, 6)
                                                  : std::nullopt;
        if (!values) {
            return "a drag needs: image <window> <x1> <y1> <x2> <y2>, or panorama <zone> <zoom> "
                   "<x1> <y1> <x2> <y2>";
        }
        auto value = values->begin();
        if (where == "image") {
            drag.target = snChildImage;
            drag.window = *value++;
        } else {
            drag.target = snPanorama;
            drag.panoramaZone = *value++;
            drag.panoramaZoom = *value++;
        }
        drag.point = {value[0], value[1]};
        drag.to = {value[2], value[3]};
        script_.steps.push_back(drag);
        return {};
    }

    QString click(std::uint8_t action, const QStringList& words) {
        if (words.size() < 2) {
            return "a click needs its target";
        }
        ExampleStep click;
        click.kind = ExampleStep::Kind::Click;
        click.action = action;
        const QString& target = words[1];
        if (target == "image") {
            const auto values = numbers(words, 2, 3);
            if (!values) {
                return "an image click needs: image <window> <x> <y>";
            }
            click.target = snChildImage;
            click.window = (*values)[0];
            click.point = {(*values)[1], (*values)[2]};
        } else if (target == "dialog") {
            const auto values = numbers(words, 2, 2);
            if (!values) {
                return "a dialog click needs: dialog <x> <y>";
            }
            click.target = snDialog;
            click.point = {(*values)[0], (*values)[1]};
        } else if (target == "panorama") {
            const auto values = numbers(words, 2, 4);
            if (!values) {
                return "a panorama click needs: panorama <zone> <zoom> <x> <y>";
            }
            click.target = snPanorama;
            click.panoramaZone = (*values)[0];
            click.panoramaZoom = (*values)[1];
            click.point = {(*values)[2], (*values)[3]};
        } else {
            const auto code = targetNamed(target);
            if (!code || *code < snOpen) {
                return QString("unknown control \"%1\"").arg(target);
            }
            click.target = *code;
            click.point = defaultControlPoint;
            if (words.size() > 2) {
                const auto point = numbers(words, 2, 2);
                if (!point) {
                    return "a control's point needs <x> <y>";
                }
                click.point = {(*point)[0], (*point)[1]};
            }
        }
        script_.steps.push_back(click);
        return {};
    }

    std::vector<Line> lines_;
    std::size_t next_ = 0;
    ExampleScript script_;
};

TShowCmd commandAt(const ExampleStep& step, std::uint8_t action, QPoint point) {
    TShowCmd command;
    command.Action = action;
    command.Target = step.target;
    command.Window = step.window;
    command.X = point.x();
    command.Y = point.y();
    if (step.target == snPanorama) {
        // Zones 4, 7 and 8 hold points of the panorama's content on one axis or both.
        command.ScaleX = step.panoramaZone == 4 || step.panoramaZone == 7 ? 0 : 1;
        command.ScaleY = step.panoramaZone == 4 || step.panoramaZone == 8 ? 0 : 1;
        command.SetPanorama(step.panoramaZone, step.panoramaZoom);
    }
    return command;
}

void compileStep(const ExampleStep& step, TShowList& example) {
    switch (step.kind) {
    case ExampleStep::Kind::Open:
        example.AddOpenFile(step.file);
        return;
    case ExampleStep::Kind::Pause:
        example.AddDelay(step.milliseconds);
        return;
    case ExampleStep::Kind::Note: {
        const int index = example.InsertNote(QString(), step.milliseconds, -1);
        for (int language = 0; language < step.texts.size(); ++language) {
            example.SetCurrentLanguage(language);
            example.SetNote(index, step.milliseconds, step.texts[language]);
        }
        example.SetCurrentLanguage(0);
        return;
    }
    case ExampleStep::Kind::Click:
        example.AddCommand(commandAt(step, saMouseMove, step.point));
        example.AddCommand(commandAt(step, step.action, step.point));
        return;
    case ExampleStep::Kind::Drag:
        example.AddCommand(commandAt(step, saMouseMove, step.point));
        example.AddCommand(commandAt(step, saLButtonDown, step.point));
        example.AddCommand(commandAt(step, saMouseMove, step.to));
        example.AddCommand(commandAt(step, saLButtonUp, step.to));
        return;
    }
}
} // namespace

std::optional<ExampleScript> parseExampleScript(const QString& text, QString& error) {
    return Parser(text).parse(error);
}

void compileExampleScript(const ExampleScript& script, const QByteArray& collection,
                          TShowList& example) {
    example.Clear();
    example.Header.Version = TShowHeader::currentVersion;
    example.Header.SetDisplayTitle(script.title);
    for (const QString& language : script.languages) {
        example.AddLanguage(language);
    }
    example.SetCurrentLanguage(0);
    example.StateBlock =
        encodeConfigBlock(script.config, {}) + collection + encodeGammaList(defaultGammaList());
    for (const ExampleStep& step : script.steps) {
        compileStep(step, example);
    }
}
