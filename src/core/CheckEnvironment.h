#pragma once

#include "core/KelElem.h"
#include "remote/Probe.h"

#include <cstdint>
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

// Answers of the new-version notice.
enum NoticeResult : int { kNoticeOk = 1, kNoticeClosed = 2 };

class INoticePresenter {
public:
    virtual ~INoticePresenter() = default;
    // Shows the notice modally; kNoticeOk when confirmed, kNoticeClosed when closed
    // without Ok.
    virtual int ShowNotice(const std::string& message, const std::string& copy,
                           const std::string& timeText) = 0;
};

class IWaitCursor {
public:
    virtual ~IWaitCursor() = default;
    virtual void Begin() = 0;
    virtual void End() = 0;
};

// Shows the wait cursor for the lifetime of the scope.
class WaitCursorScope {
public:
    explicit WaitCursorScope(IWaitCursor& cursor) : m_cursor(cursor) { m_cursor.Begin(); }
    ~WaitCursorScope() { m_cursor.End(); }
    WaitCursorScope(const WaitCursorScope&) = delete;
    WaitCursorScope& operator=(const WaitCursorScope&) = delete;

private:
    IWaitCursor& m_cursor;
};

// The remote side of checks and copies: probes on the calling thread, downloads under the
// progress window. Probes and downloads show their own boxes where they have something
// to say.
class IRemoteAccess {
public:
    virtual ~IRemoteAccess() = default;
    virtual bool IsInternetReachable() = 0;
    // `time` is written only when the copy was found. With `absenceIsAnswer` "not found"
    // is an answer the caller expects, so the probe shows no box for it.
    virtual ProbeStatus ProbeFtp(const FtpProbeRequest& request, TimeValue& time,
                                 bool absenceIsAnswer) = 0;
    virtual ProbeStatus ProbeHttp(const std::string& address, TimeValue& time,
                                  bool absenceIsAnswer) = 0;
    // Argument lists as the copy action builds them; the result is the text to show.
    virtual std::string DownloadFtp(const std::vector<std::string>& arguments, uint16_t port,
                                    bool binary) = 0;
    virtual std::string DownloadHttp(const std::vector<std::string>& arguments,
                                     uint32_t timeoutMs) = 0;
};

class ITrash {
public:
    virtual ~ITrash() = default;
    // Moves the file to the user's trash; false when it could not.
    virtual bool MoveToTrash(const std::string& path) = 0;
};

class IViewerLauncher {
public:
    virtual ~IViewerLauncher() = default;
    // Runs "program argument" (the argument is everything after the first blank, as one
    // argument) and waits for it to end. The exit code, or 0 when it cannot be started.
    virtual int RunAndWait(const std::string& commandLine) = 0;
};

// What one check may use, gathered so that signatures stay short.
struct CheckContext {
    IClock& clock;
    INoticePresenter& notice;
    IWaitCursor& waitCursor;
    IRemoteAccess& remote;
    ITrash& trash;
    IViewerLauncher& viewer;
    IMessageBoxes& boxes;
};
