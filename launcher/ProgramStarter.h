#pragma once
// Starts the other programs of the installation for the Launcher. They are
// looked for in one folder, the Launcher's own (its file's folder with links
// resolved), and started detached with an argument list, never through a
// shell: an instrument name reaches the Monitor exactly as it is, blanks,
// quotes and all. A started program inherits the Launcher's environment and
// current folder; the Launcher waits for none of them.

#include <QString>
#include <QStringList>

class CProgramStarter {
public:
    // The Launcher's own folder.
    static QString DefaultFolder();

    explicit CProgramStarter(QString folder = DefaultFolder()) : m_strFolder(std::move(folder)) {}

    const QString& GetFolder() const { return m_strFolder; }

    // The Monitor's command line: "h:" + name, then "-MCP:COM" + port.
    static QStringList MonitorArguments(const QString& name, int port);

    // The program's path when it is in the folder and may be run; empty otherwise.
    QString FindProgram(const QString& program) const;

    // 1 when started; 0 with a sentence for the operator in why.
    int StartMonitor(const QString& name, int port, QString& why) const;
    int StartAnalyzer(QString& why) const;

private:
    int Start(const QString& program, const QString& title, const QStringList& arguments,
              QString& why) const;

    QString m_strFolder;
};
