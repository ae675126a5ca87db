#include "Commands.h"
#include "ConsoleOutput.h"

#include "core/Database.h"
#include "files/FileLock.h"
#include "remote/TransferText.h"

// A lock file that cannot be made leaves nothing to respect: where the list can be written at
// all, the write goes on.
bool LockListForWriting(const std::string& databaseFile, CFileLock& lock) {
    if (lock.TryLock(ListLockPath(databaseFile)) != CFileLock::Outcome::Held) {
        return true;
    }
    PrintError("%s\n", FormatKeyText("IDS_ERR_LISTHELD", databaseFile).c_str());
    return false;
}
