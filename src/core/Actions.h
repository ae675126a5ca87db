#pragma once

#include <string>

class CKelElem;
class IMessageBoxes;
class ITrash;
class IViewerLauncher;
struct CheckContext;
struct TransferOutcome;

// Runs the element's action on a new version; reports nothing back.
void PerformAction(const CKelElem& elem, CheckContext& context);

// Copies the new file (`source`, the remote copy) over the old one (`target`). For a local
// copy the result is that of the file copy (1 or 0); otherwise 1.
int CopyNewOverOld(const CKelElem& elem, const std::string& source, const std::string& target,
                   CheckContext& context);

// What the copy action shows of a download, while its progress window is still open: the
// boxes its failures raised, then the result message in the application's box.
void ShowTransferOutcome(const TransferOutcome& outcome, IMessageBoxes& boxes);

// Runs the command line and waits for it; its exit code, or 0 when it cannot start.
int RunAndWait(const std::string& commandLine, IViewerLauncher& viewer);

// Asks for confirmation, then moves the file to the trash: 1 when it went there, else 0.
int DeleteToRecycleBin(const std::string& path, IMessageBoxes& boxes, ITrash& trash);
