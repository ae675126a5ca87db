#include "platform/SettingsFile.h"

#include <QSettings>
#include <QString>

namespace {

const char kDefaultProbeHost[] = "www.debian.org:80";

const QString kTrustedKeysSection = QStringLiteral("TrustedKeys");

QString ConfigKey(const std::string& key) {
    return QStringLiteral("Config/") + QString::fromStdString(key);
}

}  // namespace

std::string CSettingsFile::ReadString(const std::string& key,
                                      const std::string& defaultValue) const {
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    const QVariant value = settings.value(ConfigKey(key));
    if (!value.isValid()) {
        return defaultValue;
    }
    return value.toString().toStdString();
}

int CSettingsFile::ReadInt(const std::string& key, int defaultValue) const {
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    bool ok = false;
    const int value = settings.value(ConfigKey(key)).toInt(&ok);
    return ok ? value : defaultValue;
}

bool CSettingsFile::WriteString(const std::string& key, const std::string& value) const {
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    settings.setValue(ConfigKey(key), QString::fromStdString(value));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

std::string CSettingsFile::InternetProbeHost() const {
    return ReadString("InternetProbeHost", kDefaultProbeHost);
}

ProbeLimits CSettingsFile::ConnectionLimits() const {
    const ProbeLimits defaults;
    const auto positive = [](int value, long fallback) {
        return value >= 1 ? static_cast<long>(value) : fallback;
    };
    return {positive(ReadInt("MaxConnections", 0), defaults.total),
            positive(ReadInt("MaxConnectionsPerServer", 0), defaults.perServer)};
}

TrustedKeys CSettingsFile::ReadTrustedKeys() const {
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    settings.beginGroup(kTrustedKeysSection);
    TrustedKeys keys;
    for (const QString& server : settings.childKeys()) {
        keys[server.toLower().toStdString()] = settings.value(server).toString().toStdString();
    }
    return keys;
}

bool CSettingsFile::WriteTrustedKey(const std::string& server, const std::string& key) const {
    QSettings settings(QString::fromStdString(m_strPath), QSettings::IniFormat);
    settings.setValue(kTrustedKeysSection + QLatin1Char('/') + QString::fromStdString(server),
                      QString::fromStdString(key));
    settings.sync();
    return settings.status() == QSettings::NoError;
}
