#include "ProgramStarter.h"

#include "FilePaths.h"
#include "Installation.h"

#include <QDir>
#include <QProcess>

QString CProgramStarter::DefaultFolder()
{
    return QString::fromStdString(CFilePaths::GetAppPath());
}

QStringList CProgramStarter::MonitorArguments(const QString& name, int port)
{
    return {QStringLiteral("h:") + name, QStringLiteral("-MCP:COM%1").arg(port)};
}

QString CProgramStarter::FindProgram(const QString& program) const
{
    return QString::fromStdString(
        CInstallation::FindProgram(m_strFolder.toStdString(), program.toStdString()));
}

int CProgramStarter::Start(const QString& program, const QString& title,
                           const QStringList& arguments, QString& why) const
{
    const QString path = FindProgram(program);
    if (path.isEmpty()) {
        why = QStringLiteral("%1 is not installed beside the Launcher: there is no program \"%2\" "
                             "in %3.")
                  .arg(title, program, QDir::toNativeSeparators(m_strFolder));
        return 0;
    }
    QProcess process;
    process.setProgram(path);
    process.setArguments(arguments);
    // Not the Launcher's stdin: a program that reads it must not steal the terminal.
    process.setStandardInputFile(QProcess::nullDevice());
    if (!process.startDetached()) {
        why = QStringLiteral("%1 could not be started (%2): %3")
                  .arg(title, path, process.errorString());
        return 0;
    }
    return 1;
}

int CProgramStarter::StartMonitor(const QString& name, int port, QString& why) const
{
    return Start(QString::fromLatin1(CInstallation::kMonitorProgram),
                 QStringLiteral("The Tarvolin Monitor"), MonitorArguments(name, port), why);
}

int CProgramStarter::StartAnalyzer(QString& why) const
{
    return Start(QString::fromLatin1(CInstallation::kAnalyzerProgram),
                 QStringLiteral("The Tarvolin Analyzer"), {}, why);
}
