#pragma once

#include "core/CheckFailures.h"
#include "core/KelElem.h"
#include "core/NoticeTexts.h"
#include "files/PrivateCacheFile.h"
#include "remote/ProbeBatch.h"
#include "remote/TransferOutcome.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

class IMessageBoxes;

// Everything a check reaches outside the element goes through these interfaces, so that
// every rule can run without a window, a network or a real clock.

class IClock {
public:
    virtual ~IClock() = default;
    virtual TimeValue Now() const = 0;
};

// Answers of the new-version notice. Unanswered: nobody was there to answer (a run
// without a user), so neither the action nor the user's refusal follows.
enum class NoticeAnswer { Ok, Closed, Unanswered };

class INoticePresenter {
public:
    virtual ~INoticePresenter() = default;
    // Shows the notice modally; Ok when confirmed, Closed when closed without Ok.
    virtual NoticeAnswer ShowNotice(const NoticeTexts& notice) = 0;
};

// Tells a user who may not be looking at the program's windows what a check found: a new
// version that the notice announces, or the start of a streak of failures. Says nothing
// while the user is looking at the main window.
class IDesktopNotices {
public:
    virtual ~IDesktopNotices() = default;
    // `headLine` in the interface language, one line.
    virtual void Tell(const std::string& description, const std::string& headLine) = 0;
};

// Runs work that can take long (a probe, a name look-up, a local copy, a viewer) and
// returns once it has ended; when the run of the program ends first, it does not return and
// the process ends. The work shows nothing; what it finds it leaves in the
// variables it captured, for the caller to show.
class IResponsiveWait {
public:
    virtual ~IResponsiveWait() = default;
    virtual void Run(const std::function<void()>& work) = 0;
};

// Shows what a download did. Called on the calling thread once the download has ended,
// while its progress window is still open and still disabling the main window; `boxes`
// are owned by the progress window, so the user can always answer them.
using TransferPresenter = std::function<void(const TransferOutcome& outcome, IMessageBoxes& boxes)>;

// The remote side of checks and copies: probes on the calling thread, downloads under the
// progress window. Neither shows anything: what happened comes back as a value.
class IRemoteAccess {
public:
    virtual ~IRemoteAccess() = default;
    virtual bool IsInternetReachable() = 0;
    // Every probe side by side; the answers in the order of the requests.
    virtual std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests) = 0;
    // Argument lists as the copy action builds them.
    virtual void DownloadFtp(const std::vector<std::string>& arguments, uint16_t port, bool binary,
                             FtpSecurity security, const TransferPresenter& present) = 0;
    virtual void DownloadHttp(const std::vector<std::string>& arguments, uint32_t timeoutMs,
                              const TransferPresenter& present) = 0;
    // Arguments as for FTP: server, user, password, remote path, local path.
    virtual void DownloadSftp(const std::vector<std::string>& arguments, uint16_t port,
                              const TransferPresenter& present) = 0;
};

// The user's SSH known_hosts file, where the key of an unknown server may be added.
class IKnownHosts {
public:
    virtual ~IKnownHosts() = default;
    // Adds the key the server showed; false when it could not be written.
    virtual bool Add(const SshHostRefusal& unknown) = 0;
};

// The keys the user trusts for TLS servers that the system's store does not vouch for, each
// for one "host:port" (ServerKey).
class ITrustedKeys {
public:
    virtual ~ITrustedKeys() = default;
    virtual TrustedKeys Keys() const = 0;
    // Trusts `key` for `server` from now on; false when it could not be written down, and so
    // holds only for this run.
    virtual bool Trust(const std::string& server, const std::string& key) = 0;
    // The file the keys are written to, to name it when writing failed.
    virtual std::string Place() const = 0;
};

class ITrash {
public:
    virtual ~ITrash() = default;
    // Moves the file to the user's trash; false when it could not.
    virtual bool MoveToTrash(const std::string& path) = 0;
};

// What the text viewer that "notepad.exe" stands for does with the file it is given.
enum class TextViewerKind {
    Missing,           // none is installed
    StaysUntilClosed,  // it ends when the user has closed the file
    MayEndAtOnce,      // it may hand the file on and end before the file has been read
};

class IViewerLauncher {
public:
    virtual ~IViewerLauncher() = default;
    // Looks for the text viewer that "notepad.exe" stands for.
    virtual TextViewerKind FindTextViewer() = 0;
    // Runs "program argument" (the argument is everything after the first blank, as one
    // argument) and waits for it to end. The exit code, or 0 when it cannot be started.
    virtual int RunAndWait(const std::string& commandLine) = 0;
};

// What one check may use, gathered so that signatures stay short.
struct CheckContext {
    IClock& clock;
    INoticePresenter& notice;
    IResponsiveWait& wait;
    IRemoteAccess& remote;
    ITrash& trash;
    IViewerLauncher& viewer;
    IMessageBoxes& boxes;
    // The elements whose check has its failure box on screen. A pass that runs inside that
    // box's loop checks them again without a second box, so boxes cannot pile up.
    std::set<const CKelElem*> elementsWithOpenBox{};
    // The elements whose new-version notice is on screen: no check takes them meanwhile.
    std::set<const CKelElem*> elementsUnderNotice{};
    // The checks that could not be made, until each element's next check.
    CCheckFailures failures{};
    // None where no one can be away from the windows (the command line, most tests).
    IDesktopNotices* desktop = nullptr;
    // Downloaded copies handed to a viewer that may have ended before reading them: kept
    // until the run ends, the oldest removed first beyond a few.
    std::deque<std::unique_ptr<CPrivateCacheFile>> copiesKeptForViewers{};
    // Where the user may trust the key of a server whose certificate failed; null where
    // nobody can be asked (the command line).
    ITrustedKeys* trustedKeys = nullptr;
    // Where the user may add the key of an unknown SSH server; null where nobody can be
    // asked.
    IKnownHosts* knownHosts = nullptr;
};
