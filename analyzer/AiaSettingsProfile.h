#pragma once
// OAiaSettingsProfile: the "AIA" section of the Analyzer's profile file
// (INI format, in its configuration folder), where the export dialog keeps
// what the user typed last. Each value is written through at once, so a
// program that ends abruptly keeps what the last export stored.
//
// The settings library keeps a section's keys sorted in the file; the
// order in which they are written (the export's) shows in the calls only.

#include "AiaProfile.h"

#include <QString>

class OAiaSettingsProfile : public IAiaProfile {
public:
    static constexpr const char* kSection = "AIA";

    explicit OAiaSettingsProfile(QString path) : m_strPath(std::move(path)) {}

    std::optional<std::string> Get(const std::string& key) const override;
    void Set(const std::string& key, const std::string& value) override;

    const QString& GetPath() const { return m_strPath; }

private:
    QString m_strPath;
};
