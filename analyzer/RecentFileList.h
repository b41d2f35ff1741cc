#pragma once
// The File menu's recently used files: the newest first, at most kSize, one
// entry per file. Kept in the Analyzer's profile under "Recent File List"
// ("File1" ... "File4").

#include <QString>
#include <QStringList>

class QSettings;

class ORecentFileList {
public:
    static constexpr int kSize = 4;

    // Puts path at the top (moving it up when it is listed already).
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }

    void Load(QSettings& settings);
    void Save(QSettings& settings) const;

    // The menu text of entry n (0-based): "&1 run.KLYN" - the file name, and
    // the folder as well when another entry has the same name.
    QString MenuText(int n) const;

private:
    QStringList m_files;
};
