#pragma once

#include "core/ElemList.h"

#include <cstdint>
#include <string>

class IElemReceiver;
class IMessageBoxes;

// The largest database file that loading accepts; far beyond any real watch list.
inline constexpr size_t kMaxDatabaseSize = size_t{512} << 20;

// Reads the database file at `databasePath`, handing each element to `receiver` as soon as it
// is read. Gives the key of the error box when the file cannot be opened or read (the
// elements read completely before a read failure have been handed over), "" when the list was
// read whole or there is no file.
std::string ReadDatabase(const std::string& databasePath, IElemReceiver& receiver);

// Reads the database file at `databasePath`, appending its elements to `list` (empty on
// entry). A missing file is a first run: the list stays empty and nothing is shown. When
// the file cannot be opened or read, an error box owned by the main window says so and
// `databasePath` is emptied, so that no later save overwrites the file; the elements read
// completely before a read failure stay in the list. Clears `modified` in every case.
// Returns false after an error box. The file is read block by block: beside the list, loading
// holds one block of it.
bool LoadDatabase(std::string& databasePath, bool& modified, ElemList& list, IMessageBoxes& boxes);
// The same, handing each element to `receiver` as soon as it is read.
bool LoadDatabase(std::string& databasePath, bool& modified, IElemReceiver& receiver,
                  IMessageBoxes& boxes);

// Writes `list` to `databasePath` when `modified` is set. An empty list removes the file
// instead (failures ignored). A non-empty list replaces the file as a whole, owner-only; on
// failure an error box owned by the main window says so, the old file stays whole and
// `modified` stays set. Links are followed: the file they name is saved or removed. Only a
// regular file that we may write is replaced or removed ("Cannot create database file"
// otherwise). Returns false after an error box.
bool SaveDatabase(const std::string& databasePath, bool& modified, const ElemList& list,
                  IMessageBoxes& boxes);

// The lock file of the list at `databasePath`: beside the file that the path names, links
// followed, with ".lock" after its name. Whoever holds its lock is the list's one writer: the
// window for its whole run, mvntool while it writes.
std::string ListLockPath(const std::string& databasePath);
