#include "Commands.h"
#include "ConsoleMessageBoxes.h"
#include "ConsoleOutput.h"
#include "ElemJson.h"

#include "core/Database.h"

// mvntool dump FILE: the list as the program loads it, as JSON on standard output, each
// element printed as soon as it is read. A file that cannot be opened or read is reported
// on standard error; the elements read before the failure are still printed.
int RunDumpCommand(const Arguments& arguments) {
    if (arguments.size() != 1) {
        PrintError("usage: mvntool dump FILE\n");
        return kExitUsage;
    }
    CConsoleMessageBoxes boxes;
    PrepareLanguage(arguments[0], boxes);
    std::string path = arguments[0];
    bool modified = false;
    CJsonElementWriter writer;
    const bool loaded = LoadDatabase(path, modified, writer, boxes);
    writer.Finish();
    return loaded ? kExitOk : kExitFailed;
}
