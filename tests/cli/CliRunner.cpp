// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <thread>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory::test {

CliRunner::CliRunner() : CliRunner(std::filesystem::temp_directory_path()) {}

CliRunner::CliRunner(const std::filesystem::path& parent) : temp_(parent), home_(temp_.path() / "home") {
    std::filesystem::create_directories(home_);
    std::filesystem::create_directories(temp_.path() / "config");
    std::filesystem::create_directories(temp_.path() / "state");
}

std::filesystem::path CliRunner::write(const std::string& relative, const std::string& content) const {
    return temp_.write("home/" + relative, content);
}

CliRunner::Terminal CliRunner::typing(const std::string& typed) {
    Terminal terminal;
    terminal.inputAndErrors = true;
    terminal.terminalInput = typed;
    return terminal;
}

bool CliRunner::journalPlanned() const {
    const auto journals = stateDir() / "quillory/journal";
    if (!std::filesystem::exists(journals))
        return false;
    for (const auto& entry : std::filesystem::directory_iterator(journals))
        if (readFile(entry.path()).find("\nplanned\n") != std::string::npos)
            return true;
    return false;
}

namespace {

// A pseudo-terminal pair; the parent keeps the secondary side open so reads never fail early.
struct PseudoTerminal {
    int primary = -1;
    int secondary = -1;
    std::string secondaryPath;

    PseudoTerminal() {
        primary = posix_openpt(O_RDWR | O_NOCTTY);
        if (primary < 0 || grantpt(primary) != 0 || unlockpt(primary) != 0)
            throw std::runtime_error("no pseudo-terminal");
        secondaryPath = ptsname(primary);
        secondary = ::open(secondaryPath.c_str(), O_RDWR | O_NOCTTY);
        if (secondary < 0)
            throw std::runtime_error("cannot open " + secondaryPath);
    }
    ~PseudoTerminal() {
        ::close(secondary);
        ::close(primary);
    }
    void drain(std::string& into, int timeoutMs) const {
        pollfd descriptor{primary, POLLIN, 0};
        char buffer[4096];
        while (::poll(&descriptor, 1, timeoutMs) > 0) {
            const ssize_t count = ::read(primary, buffer, sizeof buffer);
            if (count <= 0)
                break;
            into.append(buffer, static_cast<std::size_t>(count));
        }
    }
};

} // namespace

CliOutput CliRunner::run(const std::vector<std::string>& arguments, const Terminal& terminal) const {
    std::vector<std::string> argv = {QUILLORY_CLI_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    return spawn(std::move(argv), terminal, "/usr/bin:/bin");
}

CliOutput CliRunner::runShell(const std::string& commandLine) const {
    const auto binaryFolder = std::filesystem::path(QUILLORY_CLI_BINARY).parent_path().string();
    return spawn({"/bin/sh", "-c", commandLine}, Terminal{}, binaryFolder + ":/usr/bin:/bin");
}

CliOutput CliRunner::spawn(std::vector<std::string> argv, const Terminal& terminal, const std::string& path) const {
    const auto outPath = temp_.path() / "stdout";
    const auto errPath = temp_.path() / "stderr";

    std::vector<std::string> environment = {
        "HOME=" + home_.string(),
        "XDG_CONFIG_HOME=" + (temp_.path() / "config").string(),
        "XDG_STATE_HOME=" + stateDir().string(),
        "TZ=UTC",
        "LANG=C.UTF-8",
        "PATH=" + path,
    };
    if (terminal.noColor)
        environment.push_back("NO_COLOR=1");
    std::optional<PseudoTerminal> pty;
    if (terminal.output || terminal.inputAndErrors)
        pty.emplace();
    auto pointers = [](std::vector<std::string>& strings) {
        std::vector<char*> result;
        for (auto& s : strings)
            result.push_back(s.data());
        result.push_back(nullptr);
        return result;
    };
    auto argvPointers = pointers(argv);
    auto envPointers = pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    auto redirect = [&](int fd, bool toTerminal, const char* file, int flags) {
        if (toTerminal)
            posix_spawn_file_actions_addopen(&actions, fd, pty->secondaryPath.c_str(), O_RDWR | O_NOCTTY, 0);
        else
            posix_spawn_file_actions_addopen(&actions, fd, file, flags, 0600);
    };
    redirect(STDIN_FILENO, terminal.inputAndErrors, "/dev/null", O_RDONLY);
    redirect(STDOUT_FILENO, terminal.output, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    redirect(STDERR_FILENO, terminal.inputAndErrors, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC);
    posix_spawn_file_actions_addchdir_np(&actions, home_.c_str());

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + argv[0]);

    CliOutput output;
    int status = 0;
    if (pty) {
        // Typed ahead: the terminal keeps the lines until the tool reads them.
        if (!terminal.terminalInput.empty() &&
            ::write(pty->primary, terminal.terminalInput.data(), terminal.terminalInput.size()) < 0)
            throw std::runtime_error("cannot type into the pseudo-terminal");
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (waitpid(pid, &status, WNOHANG) == 0) {
            pty->drain(output.terminal, 20);
            if (std::chrono::steady_clock::now() > giveUp) {
                ::kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
        }
        pty->drain(output.terminal, 0);
    } else if (terminal.killWhen) {
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (terminal.killWhen()) {
                std::this_thread::sleep_for(terminal.killDelay);
                ::kill(pid, terminal.killSignal);
                while (waitpid(pid, &status, 0) < 0) {
                }
                break;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    } else {
        while (waitpid(pid, &status, 0) < 0) {
        }
    }
    output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    output.out = terminal.output ? "" : readFile(outPath);
    output.err = terminal.inputAndErrors ? "" : readFile(errPath);
    return output;
}

std::vector<std::string> listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string() + (entry.is_directory() ? "/" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> treeListing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        if (!entry.is_directory())
            names.push_back(std::filesystem::relative(entry.path(), folder).string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string action(const std::string& type, const nlohmann::json& properties, const std::string& scope) {
    return nlohmann::json{{"type", type}, {"transformScope", scope}, {"properties", properties}}.dump();
}

std::string replace(const std::string& find, const std::string& with, const std::string& scope) {
    return action("simple", {{"simpleFindText", find}, {"simpleReplaceText", with}}, scope);
}

std::string setTo(const std::string& text) {
    return action("set", {{"setText", {{"items", {{{"type", "string"}, {"value", text}}}}}}});
}

} // namespace quillory::test
