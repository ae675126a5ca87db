#pragma once

#include "core/CheckEnvironment.h"

#include <string>

struct ParsedAddress;

// Runs the element's action on a new version; reports nothing back. An action that cannot
// be done says why in an error box owned by the main window.
void PerformAction(const CKelElem& elem, CheckContext& context);

// Copies the new file (`source`, the remote copy) over the old one (`target`). For a local
// copy whether the file copy succeeded; otherwise true.
bool CopyNewOverOld(const CKelElem& elem, const std::string& source, const std::string& target,
                    CheckContext& context);

// Downloads the FTP or HTTP `address` (the text `source`) onto `target` as the copy action
// does, with the element's login and transfer mode, under a progress window; `present` shows
// the outcome while that window is still open.
void DownloadRemoteCopy(const CKelElem& elem, const ParsedAddress& address,
                        const std::string& source, const std::string& target, CheckContext& context,
                        const TransferPresenter& present);

// What the copy action shows of a download, while its progress window is still open: the
// boxes its failures raised, then the result message in the application's box.
void ShowTransferOutcome(const TransferOutcome& outcome, IMessageBoxes& boxes);

// Runs the command line and waits for it; its exit code, or 0 when it cannot start.
int RunAndWait(const std::string& commandLine, IViewerLauncher& viewer);

// Moves the file to the trash after asking: whether it went there. A remote copy, or a file
// that is not there, is refused without asking.
bool DeleteToRecycleBin(const std::string& path, IMessageBoxes& boxes, ITrash& trash);
