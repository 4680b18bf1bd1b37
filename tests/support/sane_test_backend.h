// SANE's test backend set up for one test: a private configuration folder naming only the
// `test` backend, with the given lines in its test.conf, in force from the next load of the
// SANE library on. The library is unloaded when the test starts and ends, so every test loads
// it with its own configuration and the environment it set; the chosen source is forgotten
// when the test ends. The folder is the same for every
// test of the process: SANE keeps the configuration path it found first for as long as the
// library stays in memory, which dlclose does not promise to end.
#pragma once

#include "platform/scanner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <unistd.h>

class SaneTestBackend {
public:
    explicit SaneTestBackend(std::initializer_list<const char*> testConf = {}) {
        const std::filesystem::path& folder = configFolder().path;
        std::ofstream(folder / "dll.conf") << "test\n";
        std::ofstream conf(folder / "test.conf");
        // The backend takes what the file leaves out as zero: the usual page first.
        conf << "number_of_devices 2\nresolution_min 1.0\nresolution_max 1200.0\n"
                "resolution_quant 1.0\nresolution 50.0\ngeometry_min 0.0\n"
                "geometry_max 200.0\ngeometry_quant 1.0\ntl_x 0.0\ntl_y 0.0\nbr_x 80.0\n"
                "br_y 100.0\nread-limit-size 1\nread-delay-duration 1000\n";
        for (const char* line : testConf) {
            conf << line << '\n';
        }
        conf.close();
        const char* previous = std::getenv("SANE_CONFIG_DIR");
        previousConfig_ = previous != nullptr ? previous : "";
        setenv("SANE_CONFIG_DIR", folder.c_str(), 1);
        TWAIN_UnloadSourceManager();
    }

    ~SaneTestBackend() {
        TWAIN_UnloadSourceManager();
        scanner::setDefaultSource({});
        setenv("SANE_CONFIG_DIR", previousConfig_.c_str(), 1);
    }

    SaneTestBackend(const SaneTestBackend&) = delete;
    SaneTestBackend& operator=(const SaneTestBackend&) = delete;

    // The test devices' flatbed and document feeder.
    static scanner::Source flatbed() { return {"test:0", "", "", "Flatbed"}; }
    static scanner::Source feeder() { return {"test:0", "", "", "Automatic Document Feeder"}; }

private:
    struct Folder {
        Folder() {
            char pattern[] = "/tmp/huemark-sane-XXXXXX";
            path = mkdtemp(pattern);
        }
        ~Folder() { std::filesystem::remove_all(path); }
        std::filesystem::path path;
    };
    static const Folder& configFolder() {
        static const Folder folder;
        return folder;
    }

    std::string previousConfig_;
};

// Sets an environment variable for one scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        const char* previous = std::getenv(name);
        hadValue_ = previous != nullptr;
        previous_ = hadValue_ ? previous : "";
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        if (hadValue_) {
            setenv(name_, previous_.c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool hadValue_;
    std::string previous_;
};
