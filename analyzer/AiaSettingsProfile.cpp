#include "AiaSettingsProfile.h"

#include <QSettings>

namespace {

QString Key(const std::string& key)
{
    return QString::fromLatin1(OAiaSettingsProfile::kSection) + QLatin1Char('/') +
           QString::fromStdString(key);
}

} // namespace

std::optional<std::string> OAiaSettingsProfile::Get(const std::string& key) const
{
    const QSettings settings(m_strPath, QSettings::IniFormat);
    const QVariant value = settings.value(Key(key));
    if (!value.isValid())
        return std::nullopt;
    return value.toString().toStdString();
}

void OAiaSettingsProfile::Set(const std::string& key, const std::string& value)
{
    QSettings settings(m_strPath, QSettings::IniFormat);
    settings.setValue(Key(key), QString::fromStdString(value));
    settings.sync();
}
