#pragma once

#include <string>

class CKelElem;
class IMessageBoxes;
class ITrash;
class IViewerLauncher;
struct CheckContext;

// Runs the element's action on a new version; reports nothing back.
void PerformAction(const CKelElem& elem, CheckContext& context);

// Copies the new file (`source`, the remote copy) over the old one (`target`). For a local
// copy the result is that of the file copy (1 or 0); otherwise 1.
int CopyNewOverOld(const CKelElem& elem, const std::string& source, const std::string& target,
                   CheckContext& context);

// Runs the command line and waits for it; its exit code, or 0 when it cannot start.
int RunAndWait(const std::string& commandLine, IViewerLauncher& viewer);

// Asks for confirmation, then moves the file to the trash: 1 when it went there, else 0.
int DeleteToRecycleBin(const std::string& path, IMessageBoxes& boxes, ITrash& trash);
