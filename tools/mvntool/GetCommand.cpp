#include "Commands.h"
#include "ConsoleMessageBoxes.h"
#include "ConsoleOutput.h"
#include "ConsoleProgressWindow.h"
#include "remote/Address.h"
#include "remote/TransferJob.h"

namespace {

// The time-out the copy action gives web downloads.
constexpr uint32_t kHttpTimeoutMs = 5000;

}  // namespace

int RunGetCommand(const Arguments& arguments) {
    std::string address;
    std::string localPath;
    RemoteOptions options;
    if (!ParseRemoteArguments(arguments, {&address, &localPath}, options)) {
        return kExitUsage;
    }
    CConsoleMessageBoxes boxes;
    PrepareLanguage("", boxes);
    const ParsedAddress parsed = ClassifyAddress(address);
    if (!IsRemoteKind(parsed.kind)) {
        PrintError("%s: not an ftp://, ftps://, ftpes://, http://, https:// or sftp:// address\n",
                   address.c_str());
        return kExitFailed;
    }
    const TrustedKeys trusted = TrustedForRun(parsed, options);
    CConsoleProgressWindow window;
    CTransferJob job(window);
    if (parsed.kind == AddressKind::Sftp) {
        RunSftpTransfer(job,
                        {parsed.server, SftpUser(parsed.user, options.user), options.password,
                         parsed.object, localPath},
                        0, {parsed.port, options.acceptNewHostKey});
    } else if (IsFtpKind(parsed.kind)) {
        RunFtpTransfer(job,
                       {parsed.server, options.user, options.password, parsed.object, localPath}, 0,
                       {parsed.port, true, FtpSecurityOf(parsed.kind)}, trusted);
    } else {
        RunHttpTransfer(job, {address, localPath}, kHttpTimeoutMs, trusted);
    }
    const TransferOutcome& outcome = job.Outcome();
    for (const RemoteMessage& box : outcome.boxes) {
        ShowRemoteMessage(box, window.Boxes(), BoxOwner::MainWindow);
    }
    PrintOut("%s\n", outcome.result.text.c_str());
    PrintUntrustedKey(outcome.untrusted);
    PrintRefusedHostKey(outcome.refusedHost);
    return outcome.status == TransferStatus::Succeeded ? kExitOk : kExitFailed;
}
