#pragma once

#include "core/CheckEnvironment.h"

#include <QDBusConnection>

#include <functional>

// What a check found, told to the desktop's notification service (freedesktop
// Notifications on the session bus) while the user is away from the main window. Sent
// without waiting for an answer; none goes out when no service runs, and none starts one.
class CDesktopNotices : public IDesktopNotices {
public:
    // `away` tells whether the main window is off the screen.
    CDesktopNotices(QDBusConnection bus, std::function<bool()> away)
        : m_bus(std::move(bus)), m_away(std::move(away)) {}

    void Tell(const std::string& description, const std::string& headLine) override;

private:
    QDBusConnection m_bus;
    std::function<bool()> m_away;
};
