#include "Commands.h"
#include "ConsoleOutput.h"

#include "files/TemporaryFiles.h"

#include <cstring>

namespace {

struct Command {
    const char* name;
    int (*run)(const Arguments&);
    const char* usage;
};

const Command kCommands[] = {
    {"check", RunCheckCommand, "check [--all] [--apply] [--save] [--accept-new-host-key] FILE"},
    {"dump", RunDumpCommand, "dump FILE"},
    {"write", RunWriteCommand, "write JSON FILE"},
    {"probe", RunProbeCommand,
     "probe ADDRESS [--user U] [--password P | --password-file FILE] [--trust-key sha256//KEY] "
     "[--accept-new-host-key]"},
    {"get", RunGetCommand,
     "get ADDRESS LOCALPATH [--user U] [--password P | --password-file FILE] "
     "[--trust-key sha256//KEY] [--accept-new-host-key]"},
    {nullptr, nullptr, nullptr},
};

int PrintUsage() {
    PrintError("usage:\n");
    for (const Command& command : kCommands) {
        if (command.name) {
            PrintError("  mvntool %s\n", command.usage);
        }
    }
    PrintError(
        "exit status: 0 done (check: every check made, whatever it found), 1 failed,\n"
        "  2 wrong command line, 3 check: at least one check failed\n");
    return kExitUsage;
}

}  // namespace

int main(int argc, char* argv[]) {
    IgnoreFileSizeLimitSignal();
    RemoveTemporaryFilesOnTerminationSignals();
    if (argc < 2) {
        return PrintUsage();
    }
    const Arguments arguments(argv + 2, argv + argc);
    for (const Command& command : kCommands) {
        if (command.name && std::strcmp(command.name, argv[1]) == 0) {
            return FinishOutput(command.run(arguments));
        }
    }
    return PrintUsage();
}
