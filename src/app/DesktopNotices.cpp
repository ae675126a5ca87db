#include "app/DesktopNotices.h"

#include "i18n/MessageCatalogue.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

namespace {

const char kAppId[] = "org.example.morvane";
// The notification service decides how long a notice stays.
constexpr int kServerDecides = -1;

}  // namespace

void CDesktopNotices::Tell(const std::string& description, const std::string& headLine) {
    if (!m_away()) {
        return;
    }
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Only to a service that runs: the bus refuses the call when none has the name.
    notify.setAutoStartService(false);
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QString::fromLatin1(kAppId)}};
    notify << QString::fromStdString(GetMessage("IDS_MORVANE")) << 0u << QString::fromLatin1(kAppId)
           << QString::fromStdString(description) << QString::fromStdString(headLine)
           << QStringList() << hints << kServerDecides;
    m_bus.send(notify);
}
