// compile-example: turns example scripts into example files. The built-in examples in
// data/Images are made with it from tools/example-scripts (scripts/compile-examples).
#include "example_script.h"

#include <CLI/CLI.hpp>

#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {
bool readFile(const QString& path, QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "compile-example: cannot read %s\n", qPrintable(path));
        return false;
    }
    bytes = file.readAll();
    return true;
}
} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Compiles an example script into an example file (.shw)."};
    std::string script;
    std::string output;
    std::string collections = "data/Collection";
    app.add_option("script", script, "the example script")->required();
    app.add_option("output", output, "the example file to write")->required();
    app.add_option("--collections", collections, "the folder of the colour collections");
    CLI11_PARSE(app, argc, argv);

    QByteArray text;
    if (!readFile(QString::fromStdString(script), text)) {
        return 1;
    }
    QString error;
    const auto parsed = parseExampleScript(QString::fromUtf8(text), error);
    if (!parsed) {
        std::fprintf(stderr, "compile-example: %s: %s\n", script.c_str(), qPrintable(error));
        return 1;
    }
    QByteArray collection;
    if (!parsed->collectionFile.isEmpty() &&
        !readFile(QString::fromStdString(collections) + "/" + parsed->collectionFile, collection)) {
        return 1;
    }
    TShowList example;
    compileExampleScript(*parsed, collection, example);
    if (!example.SaveToFile(QString::fromStdString(output))) {
        std::fprintf(stderr, "compile-example: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}
