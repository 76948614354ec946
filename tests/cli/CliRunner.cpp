// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliRunner.h"

#include <algorithm>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace quillory::test {

CliRunner::CliRunner() : home_(temp_.path() / "home") {
    std::filesystem::create_directories(home_);
    std::filesystem::create_directories(temp_.path() / "config");
    std::filesystem::create_directories(temp_.path() / "state");
}

std::filesystem::path CliRunner::write(const std::string& relative, const std::string& content) const {
    return temp_.write("home/" + relative, content);
}

CliOutput CliRunner::run(const std::vector<std::string>& arguments) const {
    const auto outPath = temp_.path() / "stdout";
    const auto errPath = temp_.path() / "stderr";

    std::vector<std::string> environment = {
        "HOME=" + home_.string(),
        "XDG_CONFIG_HOME=" + (temp_.path() / "config").string(),
        "XDG_STATE_HOME=" + stateDir().string(),
        "NO_COLOR=1",
        "TZ=UTC",
        "LANG=C.UTF-8",
        "PATH=/usr/bin:/bin",
    };
    std::vector<std::string> argv = {QUILLORY_CLI_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());

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
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, home_.c_str());

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argvPointers[0], &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error(std::string("cannot start ") + QUILLORY_CLI_BINARY);

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    CliOutput output;
    output.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    output.out = readFile(outPath);
    output.err = readFile(errPath);
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

} // namespace quillory::test
