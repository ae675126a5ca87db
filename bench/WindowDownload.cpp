// One download through the program's own path: the remote access of the copy action under
// the real progress window, over a shown main window that it disables, on whatever Qt
// platform is set (bench/downloads_vs_curl.sh uses offscreen). Prints the result text, then
// "wall W cpu C": the seconds from the start of the download to its outcome, on the clock
// and of CPU in all threads. The program's own start-up is left out, since in the program
// a download starts in a process that is already running.
// Usage: WindowDownload ADDRESS LOCAL-PATH [FTP-USER FTP-PASSWORD]  (ftp, ftps, ftpes, sftp)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QWidget>

#include "core/RemoteAccess.h"
#include "i18n/MessageCatalogue.h"
#include "remote/Address.h"
#include "remote/SftpSupport.h"
#include "remote/TransferOutcome.h"
#include "ui/QtMessageBoxes.h"
#include "ui/TransferDlg.h"

namespace {

// The time-out the copy action gives web downloads.
constexpr uint32_t kHttpTimeoutMs = 5000;

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& time) {
        return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3 && argc != 5) {
        // Exit status 2 tells a wrong command line whether or not the line reaches the screen.
        (void)std::fprintf(
            stderr,
            "usage: %s ADDRESS LOCAL-PATH [FTP-USER FTP-PASSWORD]  (ftp, ftps, ftpes, sftp)\n",
            argv[0]);
        return 2;
    }
    const QString title = QStringLiteral("Morvane");
    CQtMessageBoxes boxes(title);
    RegisterShippedLanguages(TheCatalogue(), boxes);
    QWidget mainWindow;
    mainWindow.show();
    CRemoteAccess remote(
        "", [&mainWindow, &title] { return std::make_unique<CTransferDlg>(&mainWindow, title); });

    TransferOutcome seen;
    const auto keep = [&seen](const TransferOutcome& outcome, IMessageBoxes&) { seen = outcome; };
    const std::string address = argv[1];
    const std::string target = argv[2];
    const ParsedAddress parsed = ClassifyAddress(address);
    const auto startWall = std::chrono::steady_clock::now();
    const double startCpu = CpuSeconds();
    const std::string user = argc == 5 ? argv[3] : "";
    const std::string password = argc == 5 ? argv[4] : "";
    if (parsed.kind == AddressKind::Sftp) {
        remote.DownloadSftp(
            {parsed.server, SftpUser(parsed.user, user), password, parsed.object, target},
            parsed.port, keep);
    } else if (IsFtpKind(parsed.kind)) {
        remote.DownloadFtp({parsed.server, user, password, parsed.object, target}, parsed.port,
                           true, FtpSecurityOf(parsed.kind), keep);
    } else {
        remote.DownloadHttp({address, target}, kHttpTimeoutMs, keep);
    }
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - startWall;
    const double cpu = CpuSeconds() - startCpu;
    std::printf("%s\nwall %.6f cpu %.6f\n", seen.result.text.c_str(), wall.count(), cpu);
    return seen.status == TransferStatus::Succeeded ? 0 : 1;
}
