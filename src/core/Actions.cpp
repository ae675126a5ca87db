#include "core/Actions.h"

#include "core/CheckEnvironment.h"
#include "core/KelElem.h"
#include "core/LocalCopy.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "remote/Address.h"
#include "remote/TransferText.h"

#include <vector>

namespace {

// The time-out of a web copy, in milliseconds.
constexpr uint32_t kHttpCopyTimeoutMs = 5000;

}  // namespace

void PerformAction(const CKelElem& elem, CheckContext& context) {
    switch (elem.m_nAction) {
        case ACTION_COPY_NEW:
            CopyNewOverOld(elem, elem.m_strCopy, elem.m_strOriginal, context);
            break;
        case ACTION_VIEW_NEW:
            context.wait.Run([&] { RunAndWait("notepad.exe " + elem.m_strCopy, context.viewer); });
            break;
        case ACTION_DELETE_OLD:
            DeleteToRecycleBin(elem.m_strOriginal, context.boxes, context.trash);
            break;
        case ACTION_DELETE_NEW:
            DeleteToRecycleBin(elem.m_strCopy, context.boxes, context.trash);
            break;
        default:
            break;
    }
}

int CopyNewOverOld(const CKelElem& elem, const std::string& source, const std::string& target,
                   CheckContext& context) {
    const ParsedAddress address = ClassifyAddress(source);
    switch (address.kind) {
        case AddressKind::Ftp: {
            const std::vector<std::string> arguments{address.server, elem.m_strFtpUser,
                                                     elem.m_strFtpPassword, address.object, target};
            context.remote.DownloadFtp(arguments, address.port, elem.m_bFtpBinary != 0,
                                       ShowTransferOutcome);
            return 1;
        }
        case AddressKind::Http: {
            const std::vector<std::string> arguments{source, target};
            context.remote.DownloadHttp(arguments, kHttpCopyTimeoutMs, ShowTransferOutcome);
            return 1;
        }
        case AddressKind::LocalFile: {
            int copied = 0;
            context.wait.Run([&] { copied = CopyLocalFile(source, target); });
            return copied;
        }
        default:
            return 1;
    }
}

void ShowTransferOutcome(const TransferOutcome& outcome, IMessageBoxes& boxes) {
    for (const RemoteMessage& box : outcome.boxes) {
        ShowRemoteMessage(box, boxes, BoxOwner::MainWindow);
    }
    ShowRemoteMessage(outcome.result, boxes, BoxOwner::MainWindow);
}

int RunAndWait(const std::string& commandLine, IViewerLauncher& viewer) {
    return viewer.RunAndWait(commandLine);
}

int DeleteToRecycleBin(const std::string& path, IMessageBoxes& boxes, ITrash& trash) {
    // Owned by the main window, so the list cannot change while the question is open; it
    // names the file, so the user knows what goes to the trash.
    const int answer = boxes.ShowBox(FormatKeyText("IDS_TRASHSURE", path), Lookup("IDS_TRASHFILE"),
                                     BoxIcon::Question, BoxButtons::YesNo, BoxOwner::MainWindow);
    if (answer != kAnswerYes) {
        return 0;
    }
    return trash.MoveToTrash(path) ? 1 : 0;
}
