#pragma once

#include "core/ElemList.h"
#include "files/FileStamp.h"

#include <cstdint>
#include <optional>
#include <string>

class IMessageBoxes;

// The list file as the window keeps it through a run: loaded once, saved on demand, as
// LoadDatabase and SaveDatabase do, with two guards. A file that another program wrote since
// the window read or saved it is not replaced without asking. A file that could not be read
// or opened is never overwritten, and the run's work is not lost either: its path is put
// aside, and the first Save of a non-empty list renames that file beside itself, then writes
// the list at its path.
class CWindowListFile {
public:
    // LoadDatabase, whose error box also names the file and says that it will be kept.
    bool Load(std::string& databasePath, bool& modified, ElemList& list, IMessageBoxes& boxes);
    // SaveDatabase, once the unreadable file is out of the way (named after the local time
    // `now`) and, when the file changed since, once the user said Yes to replacing it. False
    // when nothing was saved; `modified` then stays set.
    bool Save(std::string& databasePath, bool& modified, const ElemList& list, IMessageBoxes& boxes,
              TimeValue now);

private:
    bool MoveUnreadableAside(std::string& databasePath, IMessageBoxes& boxes, TimeValue now,
                             std::string& keptAs);

    std::string m_strUnreadable;
    // The file at the window's path as the window last read or wrote it; none when there was
    // no file.
    std::optional<FileStamp> m_known;
};
