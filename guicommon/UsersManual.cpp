#include "UsersManual.h"

#include "FilePaths.h"
#include "Installation.h"
#include "MessageService.h"

#include <QDesktopServices>

QString CUsersManual::Find()
{
    return QString::fromStdString(CInstallation::FindManual());
}

int CUsersManual::Open()
{
    return Open(QString::fromStdString(CFilePaths::GetAppPath()),
                QString::fromStdString(CFilePaths::GetCommonDataFolder()),
                [](const QUrl& url) { return QDesktopServices::openUrl(url); });
}

int CUsersManual::Open(const QString& programFolder, const QString& commonDataFolder,
                       const Opener& open)
{
    const std::string path =
        CInstallation::FindManual(programFolder.toStdString(), commonDataFolder.toStdString());
    if (path.empty()) {
        std::string text = "The user's manual (" + std::string(CInstallation::kManualFileName) +
                           ") was not found. It was looked for in:";
        for (const std::string& candidate : CInstallation::ManualCandidates(
                 programFolder.toStdString(), commonDataFolder.toStdString()))
            text += "\n" + candidate;
        CMessageService::Show(text, kCaption, MessageIcon::Warning);
        return 0;
    }
    if (!open(QUrl::fromLocalFile(QString::fromStdString(path)))) {
        CMessageService::Show("The user's manual \"" + path +
                                  "\" could not be opened: no program to show PDF files was "
                                  "found on this workstation.",
                              kCaption, MessageIcon::Warning);
        return 0;
    }
    return 1;
}
