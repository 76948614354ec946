// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ImmutableFolder.h"
#include "TempDir.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillory::test {

struct CliOutput {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string terminal; // what the tool wrote to the pseudo-terminal, if it had one

    nlohmann::json json() const { return nlohmann::json::parse(out); }
};

// Runs the built quillory-cli as a child process in a home folder of its own: HOME, XDG_CONFIG_HOME and
// XDG_STATE_HOME point into a temporary folder, colour is off, time zone UTC. Standard input is empty
// (not a terminal), so the tool answers questions from its options.
class CliRunner {
public:
    CliRunner();
    // With the temporary folder inside the given one (for example /dev/shm, for many files).
    explicit CliRunner(const std::filesystem::path& parent);

    const std::filesystem::path& home() const { return home_; }
    std::filesystem::path stateDir() const { return temp_.path() / "state"; }
    const TempDir& temp() const { return temp_; }

    // Creates a file below the home folder.
    std::filesystem::path write(const std::string& relative, const std::string& content = {}) const;

    // Which streams are a pseudo-terminal instead of a file; terminalInput is typed into it.
    struct Terminal {
        bool output = false;         // standard output
        bool inputAndErrors = false; // standard input and standard error
        std::string terminalInput;
        bool noColor = true;
        // Without a terminal: the tool gets killSignal this long after killWhen first holds.
        std::function<bool()> killWhen;
        std::chrono::microseconds killDelay{0};
        int killSignal = 9; // SIGKILL; SIGINT is Ctrl-C
    };
    CliOutput run(const std::vector<std::string>& arguments) const { return run(arguments, Terminal{}); }
    CliOutput run(const std::vector<std::string>& arguments, const Terminal& terminal) const;
    // Standard input and standard error on a terminal into which `typed` is typed.
    static Terminal typing(const std::string& typed);
    // True once a run's journal holds its whole plan, that is when the moves begin.
    bool journalPlanned() const;

    // A command line run by /bin/sh in the home folder, with quillory-cli on the PATH.
    CliOutput runShell(const std::string& commandLine) const;

private:
    CliOutput spawn(std::vector<std::string> argv, const Terminal& terminal, const std::string& path) const;

    TempDir temp_;
    std::filesystem::path home_;
};

// The names directly inside a folder, sorted; folders end in "/".
std::vector<std::string> listing(const std::filesystem::path& folder);

// Every file below a folder as a path relative to it, sorted.
std::vector<std::string> treeListing(const std::filesystem::path& folder);

// The JSON text of one rename action.
std::string action(const std::string& type, const nlohmann::json& properties, const std::string& scope = "filename");
// A find-and-replace action, and one that sets the whole name to a fixed text.
std::string replace(const std::string& find, const std::string& with, const std::string& scope = "filename");
std::string setTo(const std::string& text);

} // namespace quillory::test
