#include "ToolRun.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>

namespace {

std::string OutPath(const TempDir& dir) {
    return dir.File("stdout.txt");
}

std::string ErrPath(const TempDir& dir) {
    return dir.File("stderr.txt");
}

pid_t Start(std::vector<std::string> arguments, const TempDir& dir, int outFlags) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, OutPath(dir).c_str(), outFlags, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, ErrPath(dir).c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

}  // namespace

pid_t StartCaptured(std::vector<std::string> arguments, const TempDir& dir) {
    return Start(std::move(arguments), dir, O_WRONLY | O_CREAT | O_TRUNC);
}

ToolRun FinishCaptured(pid_t pid, const TempDir& dir) {
    ToolRun run;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    run.out = ReadWholeFile(OutPath(dir));
    run.err = ReadWholeFile(ErrPath(dir));
    return run;
}

ToolRun RunCaptured(std::vector<std::string> arguments, const TempDir& dir) {
    return FinishCaptured(StartCaptured(std::move(arguments), dir), dir);
}

ToolRun RunWithUnwritableOutput(std::vector<std::string> arguments, const TempDir& dir) {
    return FinishCaptured(Start(std::move(arguments), dir, O_RDONLY | O_CREAT), dir);
}

std::vector<std::string> CheckStates(const std::string& out) {
    std::vector<std::string> states;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        std::string cell;
        while (std::getline(cells, cell, '\t')) {
            fields.push_back(cell);
        }
        if (fields.size() == 4 && fields[0] == std::to_string(states.size())) {
            states.push_back(fields[2]);
        }
    }
    return states;
}
