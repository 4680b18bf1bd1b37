// huemark-batch: applies a processing file to many pictures, makes processing files from
// reference rectangles, and corrects series by a reference rectangle in each picture, without
// the program window.
#include "correct.h"
#include "learn.h"
#include "messages.h"
#include "picture_job.h"
#include "series_run.h"

#include "tintworks.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <map>

namespace {

struct ApplyOptions {
    std::string preset;
    SeriesOptions series;
};

std::string applyCommandProblem(const ApplyOptions& options) {
    return picturesGiven(options.series)
               ? std::string()
               : "apply needs the pictures to correct: FILE..., - or --files-from LIST";
}

int runApply(const ApplyOptions& options) {
    const int loaded = TWKSetPresetFile(options.preset.c_str());
    if (loaded != TWK_OK) {
        std::cerr << "huemark-batch: " << options.preset << ": " << engineMessage(loaded) << "\n";
        return 2;
    }
    const SeriesWork work{
        .prepare = [&] { return TWKSetPresetFile(options.preset.c_str()) == TWK_OK; },
        .correct = [](std::size_t, const PictureJob& job) { return applyLoadedPreset(job); },
    };
    return runSeries(options.series, work);
}

CLI::Option* addRectangleOption(CLI::App& command, const std::string& name,
                                std::optional<ReferenceRectangle>& target,
                                const std::string& help) {
    return command
        .add_option_function<std::string>(
            name, [&target, name](const std::string& text) { target = parseRectangle(name, text); },
            help)
        ->check(CLI::Validator(
            [name](std::string& text) {
                return parseRectangle(name, text) ? std::string() : rectangleSyntax;
            },
            "L,T,R,B"));
}

const std::map<std::string, PointMeasure> measureNames{
    {"lightest", PointMeasure::Lightest},
    {"unclipped", PointMeasure::Unclipped},
    {"average", PointMeasure::Average},
    {"darkest-unclipped", PointMeasure::DarkestUnclipped},
};

struct LearnCommand {
    CLI::App* command = nullptr;
    CLI::Option* whiteLevel = nullptr;
    CLI::Option* blackLevel = nullptr;
    CLI::Option* measure = nullptr;
};

LearnCommand addLearnCommand(CLI::App& app, LearnRequest& learn) {
    LearnCommand added;
    CLI::App* command = app.add_subcommand("learn", "Make a processing file from one picture");
    added.command = command;
    ReferenceChoice& choice = learn.choice;
    command->add_option("picture", learn.picture, "Picture with the reference areas")
        ->required()
        ->check(CLI::ExistingFile);
    CLI::Option* neutral = addRectangleOption(
        *command, "--neutral", choice.neutral,
        "Grey card or white paper L,T,R,B (right, bottom exclusive; pixels or percent): its "
        "average colour becomes neutral at its own brightness, each channel scaled");
    const std::vector<CLI::Option*> others{
        addRectangleOption(*command, "--white", choice.white, "White reference area L,T,R,B"),
        addRectangleOption(*command, "--black", choice.black, "Black reference area L,T,R,B"),
        addRectangleOption(*command, "--grey", choice.grey, "Grey reference area L,T,R,B"),
        command->add_flag("--auto", choice.autoPoints,
                          "Find missing white and black points in the picture"),
        added.measure =
            command
                ->add_option_function<std::string>(
                    "--measure",
                    [&choice](const std::string& name) { choice.measure = measureNames.at(name); },
                    "How the white and black points are measured (default: the "
                    "area's average; for --auto, the lightest unclipped pixels)")
                ->check(CLI::IsMember({"lightest", "unclipped", "average", "darkest-unclipped"})),
        added.whiteLevel =
            command->add_option("--white-level", choice.whiteLevel, "What the white point becomes")
                ->check(CLI::Range(0, 255)),
        added.blackLevel =
            command->add_option("--black-level", choice.blackLevel, "What the black point becomes")
                ->check(CLI::Range(0, 255)),
        command
            ->add_flag("--keep-brightness", choice.keepBrightness,
                       "The grey becomes neutral at its own lightness rather than at its "
                       "brightest channel")
            ->needs("--grey"),
    };
    for (CLI::Option* other : others) {
        neutral->excludes(other);
    }
    command->add_option("--gamma", choice.gamma, "Brightness gamma (1 = none)")
        ->check(CLI::PositiveNumber);
    command->add_flag("--force", learn.force,
                      "Write the processing file even when an area is clipped or the processing "
                      "changes no pixel of the picture");
    command->add_flag("--dry-run", learn.dryRun,
                      "Print the measured colours and the curves; write nothing");
    command->add_option("-o,--output", learn.output, "Processing file to write");
    return added;
}

// The learn command lines that CLI11 cannot refuse by itself; an empty string when none.
std::string learnCommandProblem(const LearnCommand& command, const LearnRequest& learn) {
    const ReferenceChoice& choice = learn.choice;
    if (!hasReferenceArea(choice) && !choice.autoPoints) {
        return "learn needs a reference area (--neutral, --white, --black or --grey) or --auto";
    }
    if (learn.output.empty() && !learn.dryRun) {
        return "learn needs -o PRESET.prs, the processing file to write (or --dry-run)";
    }
    if (command.whiteLevel->count() > 0 && !choice.white && !choice.autoPoints) {
        return "--white-level needs --white or --auto";
    }
    if (command.blackLevel->count() > 0 && !choice.black && !choice.autoPoints) {
        return "--black-level needs --black or --auto";
    }
    if (command.measure->count() > 0 && !choice.white && !choice.black && !choice.autoPoints) {
        return "--measure needs --white, --black or --auto";
    }
    if (choice.whiteLevel <= choice.blackLevel) {
        return "--white-level must be greater than --black-level";
    }
    return {};
}

CLI::App* addCorrectCommand(CLI::App& app, CorrectRequest& correct) {
    CLI::App* command = app.add_subcommand(
        "correct", "Make each picture neutral by its own grey card or white paper area");
    CLI::Option* files =
        command->add_option("files", correct.series.inputs,
                            "Pictures to correct; - alone reads their names from standard input");
    CLI::Option* neutral = addRectangleOption(
        *command, "--neutral", correct.neutral,
        "Grey card or white paper L,T,R,B in every picture (pixels or percent of the picture)");
    CLI::Option* areas =
        command
            ->add_option("--areas", correct.areaList,
                         "List file: a rectangle and a picture on each line, for cards that move")
            ->check(CLI::ExistingFile)
            ->excludes(neutral)
            ->excludes(files);
    command->add_flag("--force", correct.force, "Correct pictures whose area is clipped too");
    addSeriesOptions(*command, correct.series);
    areas->excludes(command->get_option("--files-from"));
    return command;
}

std::string correctCommandProblem(const CorrectRequest& correct) {
    if (!correct.neutral && correct.areaList.empty()) {
        return "correct needs --neutral L,T,R,B with the pictures, or --areas LIST";
    }
    if (correct.neutral && !picturesGiven(correct.series)) {
        return "correct --neutral needs the pictures to correct (or --files-from LIST)";
    }
    return {};
}

int refuse(const std::string& problem) {
    std::cerr << "huemark-batch: " << problem << "\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Applies Huemark processing files to many pictures, makes them from reference "
                 "areas, and corrects series by a grey card in each picture."};
    app.require_subcommand(1);

    ApplyOptions apply;
    CLI::App* applyCommand = app.add_subcommand("apply", "Apply a processing file to pictures");
    applyCommand->add_option("preset", apply.preset, "Processing file (.prs)")
        ->required()
        ->check(CLI::ExistingFile);
    applyCommand->add_option("files", apply.series.inputs,
                             "Pictures to correct; - alone reads their names from standard input");
    addSeriesOptions(*applyCommand, apply.series);

    LearnRequest learn;
    const LearnCommand learnCommand = addLearnCommand(app, learn);

    CorrectRequest correct;
    CLI::App* correctCommand = addCorrectCommand(app, correct);

    // A wrong command line ends with status 2, as a refused rectangle does (--help: 0).
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        return app.exit(error) == 0 ? 0 : 2;
    }

    if (applyCommand->parsed()) {
        std::string problem = applyCommandProblem(apply);
        if (problem.empty()) {
            problem = readListedInputs(apply.series);
        }
        return problem.empty() ? runApply(apply) : refuse(problem);
    }
    if (correctCommand->parsed()) {
        std::string problem = correctCommandProblem(correct);
        if (problem.empty()) {
            problem = readListedInputs(correct.series);
        }
        return problem.empty() ? runCorrect(std::move(correct)) : refuse(problem);
    }
    const std::string problem = learnCommandProblem(learnCommand, learn);
    return problem.empty() ? runLearn(learn) : refuse(problem);
}
