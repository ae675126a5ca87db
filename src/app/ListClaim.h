#pragma once

#include "files/FileLock.h"

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <chrono>
#include <string>

// One window per list. The process that runs the window of a list holds the lock of its
// list file for the whole run, so that mvntool does not write the list meanwhile, and
// listens on a local socket named after the list. A second start on that list asks the
// running window to come to the front, and ends; a start on another list runs beside it.
class CListClaim : public QObject {
    Q_OBJECT

public:
    enum class Outcome {
        Ours,           // this process holds the list: its window runs
        HandedOver,     // the window that holds the list came to the front
        HeldElsewhere,  // the list is held, and its holder did not answer
    };

    explicit CListClaim(const std::string& databasePath);

    // Claims the list, trying again for at most `patience` while it is held by a holder that
    // does not answer yet: a window that is starting, or mvntool writing the list.
    Outcome Claim(std::chrono::milliseconds patience);

signals:
    // Another start on this list asks the window to come to the front.
    void showRequested();

private:
    bool AskHolderToShow();
    void Serve();
    void AnswerCallers();

    std::string m_strLockFile;
    QString m_socketPath;
    CFileLock m_lock;
    QLocalServer m_server;
};

// The socket of the window that holds the list at `databasePath`: in the user's runtime
// folder, named after a hash of the list file's canonical path. Empty when the user has no
// runtime folder: no socket can then be reached or made, and the lock alone keeps a second
// window out.
QString ListSocketPath(const std::string& databasePath);
