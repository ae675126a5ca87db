#include "Commands.h"
#include "ConsoleMessageBoxes.h"
#include "ConsoleOutput.h"
#include "ElemJson.h"

#include "core/Database.h"
#include "core/FileReading.h"
#include "files/FileLock.h"

namespace {

// A JSON list is a few times larger than the database it describes.
constexpr size_t kMaxJsonSize = size_t{1} << 30;

bool ReadJsonFile(const std::string& path, std::string& json) {
    if (ReadFileBounded(path, kMaxJsonSize, json) == FileReadStatus::Ok) {
        return true;
    }
    PrintError("mvntool: cannot read %s\n", path.c_str());
    return false;
}

}  // namespace

// mvntool write JSON FILE: saves the list that JSON describes to FILE as the program saves
// it (an empty list removes FILE). Malformed JSON, or a list that a running window holds,
// leaves FILE untouched.
int RunWriteCommand(const Arguments& arguments) {
    if (arguments.size() != 2) {
        PrintError("usage: mvntool write JSON FILE\n");
        return kExitUsage;
    }
    const std::string& jsonPath = arguments[0];
    const std::string& databasePath = arguments[1];
    CConsoleMessageBoxes boxes;
    PrepareLanguage(databasePath, boxes);
    std::string json;
    if (!ReadJsonFile(jsonPath, json)) {
        return kExitUsage;
    }
    ElemList list;
    std::string error;
    if (!ElementsFromJson(json, list, error)) {
        PrintError("mvntool: %s: %s\n", jsonPath.c_str(), error.c_str());
        return kExitUsage;
    }
    CFileLock lock;
    if (!LockListForWriting(databasePath, lock)) {
        return kExitListHeld;
    }
    bool modified = true;
    return SaveDatabase(databasePath, modified, list, boxes) ? kExitOk : kExitFailed;
}
