#include "core/Database.h"

#include "core/ArchiveReader.h"
#include "core/ElemArchive.h"
#include "core/FileReading.h"
#include "files/FileNames.h"
#include "files/FileReplacement.h"
#include "i18n/MessageBoxes.h"

namespace {

// The list holds FTP passwords in plain text.
constexpr mode_t kOwnerOnly = 0600;

}  // namespace

std::string ReadDatabase(const std::string& databasePath, IElemReceiver& receiver) {
    CBoundedFile file(kMaxDatabaseSize);
    switch (file.Open(databasePath)) {
        case FileReadStatus::Missing:
            return "";
        case FileReadStatus::OpenFailed:
            return "IDS_ERR_OPENDB";
        case FileReadStatus::ReadFailed:
        case FileReadStatus::TooLarge:
            return "IDS_ERR_READDB";
        case FileReadStatus::Ok:
            break;
    }
    CArchiveReader reader(file);
    return ReadElemArchive(reader, receiver) == ArchiveError::None ? "" : "IDS_ERR_READDB";
}

bool LoadDatabase(std::string& databasePath, bool& modified, ElemList& list, IMessageBoxes& boxes) {
    CElemListReceiver receiver(list);
    return LoadDatabase(databasePath, modified, receiver, boxes);
}

bool LoadDatabase(std::string& databasePath, bool& modified, IElemReceiver& receiver,
                  IMessageBoxes& boxes) {
    modified = false;
    const std::string error = ReadDatabase(databasePath, receiver);
    if (error.empty()) {
        return true;
    }
    ShowErrorBox(boxes, error, BoxOwner::MainWindow);
    databasePath.clear();
    return false;
}

bool SaveDatabase(const std::string& databasePath, bool& modified, const ElemList& list,
                  IMessageBoxes& boxes) {
    if (!modified) {
        return true;
    }
    if (list.empty()) {
        // Nothing to keep. A file that may not be replaced is not removed either; as for a
        // missing file or an empty path, nothing is said.
        RemoveReplaceableFile(databasePath);
        modified = false;
        return true;
    }
    switch (WriteFileAtomically(databasePath, WriteElemArchive(list), kOwnerOnly)) {
        case FileWriteStatus::CreateFailed:
            ShowErrorBox(boxes, "IDS_ERR_CREATEDB", BoxOwner::MainWindow);
            return false;
        case FileWriteStatus::WriteFailed:
            ShowErrorBox(boxes, "IDS_ERR_WRITEDB", BoxOwner::MainWindow);
            return false;
        case FileWriteStatus::Ok:
            break;
    }
    modified = false;
    return true;
}

std::string ListLockPath(const std::string& databasePath) {
    return CanonicalTarget(databasePath) + ".lock";
}
