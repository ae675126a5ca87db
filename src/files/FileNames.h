#pragma once

#include <string>

// The folder part of `path` ("." when it has none, "/" for a file at the root).
std::string FolderOf(const std::string& path);
// The last part of `path`.
std::string NameOf(const std::string& path);

// Follows symbolic links from `path` to the path they end at, which need not exist. False
// (errno set) when a link cannot be read or the chain does not end.
bool FollowLinks(const std::string& path, std::string& resolved);

// The one name of the file that `path` names for a writer: links followed, and the folder
// made absolute, without links, "." or "..", so that every way of naming one file gives the
// same text. When the folder cannot be resolved (it does not exist), the path as given with
// its links followed.
std::string CanonicalTarget(const std::string& path);

// Renames the file at `path` (links followed: the file they name) to its own name followed by
// `suffix`, in its folder, never over a file of that name. `movedTo` then holds the new path.
// False, with errno (EEXIST when the new name is taken), when nothing was moved.
bool MoveAside(const std::string& path, const std::string& suffix, std::string& movedTo);
