#include "Commands.h"
#include "ConsoleMessageBoxes.h"
#include "ConsoleOutput.h"
#include "ConsoleProgressWindow.h"

#include "core/CheckEnvironment.h"
#include "core/CheckFailures.h"
#include "core/Database.h"
#include "core/DisplayText.h"
#include "core/KelElem.h"
#include "core/RemoteAccess.h"
#include "core/Scheduler.h"
#include "core/SchedulerPorts.h"
#include "core/SystemClock.h"
#include "files/FileLock.h"
#include "i18n/TimeStamp.h"
#include "platform/ProgramPaths.h"
#include "platform/QtTrash.h"
#include "platform/SettingsFile.h"
#include "platform/TrustedKeysFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

struct CheckOptions {
    bool all = false;
    bool apply = false;
    bool save = false;
    bool acceptNewHostKeys = false;
    std::string file;
};

bool ParseOptions(const Arguments& arguments, CheckOptions& options) {
    for (const std::string& argument : arguments) {
        if (argument == "--all") {
            options.all = true;
        } else if (argument == "--apply") {
            options.apply = true;
        } else if (argument == "--save") {
            options.save = true;
        } else if (argument == "--accept-new-host-key") {
            options.acceptNewHostKeys = true;
        } else if (argument.starts_with("--") || !options.file.empty()) {
            return false;
        } else {
            options.file = argument;
        }
    }
    return !options.file.empty();
}

// The notice of a command-line run: its three texts on standard output, answered Ok when
// the actions are to run, otherwise left unanswered.
class CConsoleNotice : public INoticePresenter {
public:
    explicit CConsoleNotice(bool answerOk) : m_bAnswerOk(answerOk) {}

    NoticeAnswer ShowNotice(const NoticeTexts& notice) override {
        PrintOut("%s\n%s\n%s\n", notice.Message().c_str(), notice.copy.c_str(),
                 notice.timeText.c_str());
        FlushOut();
        return m_bAnswerOk ? NoticeAnswer::Ok : NoticeAnswer::Unanswered;
    }

private:
    bool m_bAnswerOk;
};

// A quick view from the command line names what it would run instead of opening a window,
// so nothing reads the file afterwards.
class CConsoleViewer : public IViewerLauncher {
public:
    TextViewerKind FindTextViewer() override { return TextViewerKind::StaysUntilClosed; }
    int RunAndWait(const std::string& commandLine) override {
        PrintOut("%s\n", commandLine.c_str());
        FlushOut();
        return 0;
    }
};

// Nothing to keep responsive on the command line: the work runs where it is asked for.
class CWaitInPlace : public IResponsiveWait {
public:
    void Run(const std::function<void()>& work) override { work(); }
};

void PrintElements(const ElemList& list, const CCheckFailures& failures) {
    for (size_t i = 0; i < list.size(); ++i) {
        const CKelElem& elem = *list[i];
        PrintOut("%zu\t%s\t%s\t%s\n", i, DisplayText(elem.m_strDescription).c_str(),
                 StateText(elem, failures).c_str(), FormatTimeStamp(elem.m_timeLastAccess).c_str());
    }
}

bool LoadList(std::string& path, ElemList& list, IMessageBoxes& boxes) {
    struct stat status {};
    if (stat(path.c_str(), &status) != 0) {
        PrintError("mvntool: %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    bool modified = false;
    return LoadDatabase(path, modified, list, boxes);
}

// Checks the elements and prints each one's state; false when a check could not be made.
bool CheckAndPrint(const CheckOptions& options, ElemList& list, IMessageBoxes& boxes) {
    const CSettingsFile settings(WithExtension(options.file, "INI"));
    CSystemClock clock;
    CConsoleNotice notice(options.apply);
    CWaitInPlace wait;
    // The keys trusted in the window count here too; nobody is asked to trust another.
    const CTrustedKeysFile trustedKeys(settings);
    CRemoteAccess remote(
        settings.InternetProbeHost(), [] { return std::make_unique<CConsoleProgressWindow>(true); },
        settings.ConnectionLimits(), &trustedKeys);
    if (options.acceptNewHostKeys) {
        remote.AcceptNewHostKeys();
    }
    CQtTrash trash;
    CConsoleViewer viewer;
    CheckContext context{clock, notice, wait, remote, trash, viewer, boxes};
    CUnattendedList listView;
    CScheduler scheduler(list, listView, listView, context);
    scheduler.CheckAll(options.all);
    PrintElements(list, context.failures);
    return !context.failures.Any();
}

}  // namespace

int RunCheckCommand(const Arguments& arguments) {
    CheckOptions options;
    if (!ParseOptions(arguments, options)) {
        PrintError(
            "usage: mvntool check [--all] [--apply] [--save] [--accept-new-host-key] "
            "FILE\n");
        return kExitUsage;
    }
    CConsoleMessageBoxes boxes;
    PrepareLanguage(options.file, boxes);
    if (options.save) {
        // A list that cannot be saved is not checked: its actions would run for nothing. The
        // lock goes at once; the checks may take long.
        CFileLock lock;
        if (!LockListForWriting(options.file, lock)) {
            return kExitListHeld;
        }
    }
    std::string path = options.file;
    ElemList list;
    if (!LoadList(path, list, boxes)) {
        return kExitFailed;
    }
    const bool everyCheckMade = CheckAndPrint(options, list, boxes);
    // An empty list would remove the file: a check changes nothing worth that.
    if (options.save && !list.empty()) {
        CFileLock lock;
        if (!LockListForWriting(options.file, lock)) {
            return kExitListHeld;
        }
        bool modified = true;
        if (!SaveDatabase(path, modified, list, boxes)) {
            return kExitFailed;
        }
    }
    return everyCheckMade ? kExitOk : kExitCheckFailed;
}
