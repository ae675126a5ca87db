#include "core/Database.h"

#include "core/AtomicFileWrite.h"
#include "core/ElemArchive.h"
#include "core/FileReading.h"
#include "i18n/MessageBoxes.h"

#include <unistd.h>

namespace {

void ReportLoadFailure(std::string& databasePath, const char* key, IMessageBoxes& boxes) {
    ShowErrorBox(boxes, key, BoxOwner::MainWindow);
    databasePath.clear();
}

}  // namespace

bool LoadDatabase(std::string& databasePath, int32_t& modified, ElemList& list,
                  IMessageBoxes& boxes) {
    modified = 0;
    std::string bytes;
    switch (ReadFileBounded(databasePath, kMaxDatabaseSize, bytes)) {
        case FileReadStatus::Missing:
            return true;
        case FileReadStatus::OpenFailed:
            ReportLoadFailure(databasePath, "IDS_ERR_OPENDB", boxes);
            return false;
        case FileReadStatus::ReadFailed:
        case FileReadStatus::TooLarge:
            ReportLoadFailure(databasePath, "IDS_ERR_READDB", boxes);
            return false;
        case FileReadStatus::Ok:
            break;
    }
    if (ReadElemArchive(bytes, list) != ArchiveError::None) {
        ReportLoadFailure(databasePath, "IDS_ERR_READDB", boxes);
        return false;
    }
    return true;
}

bool SaveDatabase(const std::string& databasePath, int32_t& modified, const ElemList& list,
                  IMessageBoxes& boxes) {
    if (!modified) {
        return true;
    }
    if (list.empty()) {
        // Nothing to keep: a missing file or an empty path is as good as a removed file.
        unlink(databasePath.c_str());
        modified = 0;
        return true;
    }
    switch (WriteFileAtomically(databasePath, WriteElemArchive(list))) {
        case FileWriteStatus::CreateFailed:
            ShowErrorBox(boxes, "IDS_ERR_CREATEDB", BoxOwner::MainWindow);
            return false;
        case FileWriteStatus::WriteFailed:
            ShowErrorBox(boxes, "IDS_ERR_WRITEDB", BoxOwner::MainWindow);
            return false;
        case FileWriteStatus::Ok:
            break;
    }
    modified = 0;
    return true;
}
