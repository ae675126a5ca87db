#include "app/ListClaim.h"

#include "core/Database.h"
#include "files/FileNames.h"

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QStandardPaths>

#include <thread>

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(50);
// A holder answers from its event loop, which never stops for long.
constexpr int kAnswerWaitMs = 3000;
// Sent once the window is in front.
constexpr char kShown = '1';

}  // namespace

QString ListSocketPath(const std::string& databasePath) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        return {};
    }
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(CanonicalTarget(databasePath)),
                                 QCryptographicHash::Sha256)
            .toHex()
            .left(32);
    return folder + QStringLiteral("/morvane-") + QString::fromLatin1(hash);
}

CListClaim::CListClaim(const std::string& databasePath)
    : m_strLockFile(ListLockPath(databasePath)), m_socketPath(ListSocketPath(databasePath)) {
    connect(&m_server, &QLocalServer::newConnection, this, &CListClaim::AnswerCallers);
}

// A lock file that cannot be made holds nobody back: the window then runs unguarded.
CListClaim::Outcome CListClaim::Claim(std::chrono::milliseconds patience) {
    const auto deadline = std::chrono::steady_clock::now() + patience;
    for (;;) {
        if (AskHolderToShow()) {
            return Outcome::HandedOver;
        }
        if (m_lock.TryLock(m_strLockFile) != CFileLock::Outcome::Held) {
            Serve();
            return Outcome::Ours;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return Outcome::HeldElsewhere;
        }
        std::this_thread::sleep_for(kRetryInterval);
    }
}

// A holder that is ending may take the connection and close it unanswered: then it is not
// handed over.
bool CListClaim::AskHolderToShow() {
    QLocalSocket socket;
    socket.connectToServer(m_socketPath);
    if (!socket.waitForConnected(kAnswerWaitMs)) {
        return false;
    }
    char answer = 0;
    return socket.waitForReadyRead(kAnswerWaitMs) && socket.read(&answer, 1) == 1 &&
           answer == kShown;
}

// Any socket at that path is a killed holder's: whoever holds the lock is its one server.
void CListClaim::Serve() {
    QLocalServer::removeServer(m_socketPath);
    m_server.listen(m_socketPath);
}

void CListClaim::AnswerCallers() {
    while (QLocalSocket* caller = m_server.nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        emit showRequested();
        caller->write(&kShown, 1);
        caller->disconnectFromServer();
    }
}
