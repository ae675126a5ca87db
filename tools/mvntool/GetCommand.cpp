#include <cstdio>

#include "Commands.h"
#include "ConsoleMessageBoxes.h"
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
    RemoteLogin login;
    if (!ParseRemoteArguments(arguments, {&address, &localPath}, login)) {
        return kExitUsage;
    }
    CConsoleMessageBoxes boxes;
    PrepareLanguage("", boxes);
    const ParsedAddress parsed = ClassifyAddress(address);
    if (parsed.kind != AddressKind::Ftp && parsed.kind != AddressKind::Http) {
        std::fprintf(stderr, "%s: not an ftp:// or http:// address\n", address.c_str());
        return kExitFailed;
    }
    CConsoleProgressWindow window;
    CTransferJob job(window);
    if (parsed.kind == AddressKind::Ftp) {
        RunFtpTransfer(job, {parsed.server, login.user, login.password, parsed.object, localPath},
                       0, {parsed.port, true});
    } else {
        RunHttpTransfer(job, {address, localPath}, kHttpTimeoutMs);
    }
    const TransferOutcome& outcome = job.Outcome();
    for (const RemoteMessage& box : outcome.boxes) {
        ShowRemoteMessage(box, window.Boxes(), BoxOwner::MainWindow);
    }
    std::printf("%s\n", outcome.result.text.c_str());
    return outcome.status == TransferStatus::Succeeded ? kExitOk : kExitFailed;
}
