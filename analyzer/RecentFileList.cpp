#include "RecentFileList.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const char kSection[] = "Recent File List";

// Two spellings of one file (a relative path, a link) count as one entry.
QString Key(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

void ORecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    Remove(path);
    m_files.prepend(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    while (m_files.size() > kSize)
        m_files.removeLast();
}

void ORecentFileList::Remove(const QString& path)
{
    const QString key = Key(path);
    m_files.removeIf([&](const QString& file) { return Key(file) == key; });
}

void ORecentFileList::Load(QSettings& settings)
{
    m_files.clear();
    settings.beginGroup(kSection);
    for (int n = kSize; n >= 1; --n) {
        const QString file = settings.value(QStringLiteral("File%1").arg(n)).toString();
        if (!file.isEmpty())
            Add(file);
    }
    settings.endGroup();
}

void ORecentFileList::Save(QSettings& settings) const
{
    settings.beginGroup(kSection);
    for (int n = 1; n <= kSize; ++n) {
        const QString key = QStringLiteral("File%1").arg(n);
        if (n <= m_files.size())
            settings.setValue(key, m_files[n - 1]);
        else
            settings.remove(key);
    }
    settings.endGroup();
    settings.sync();
}

QString ORecentFileList::MenuText(int n) const
{
    if (n < 0 || n >= m_files.size())
        return {};
    const QFileInfo info(m_files[n]);
    QString shown = info.fileName();
    for (int other = 0; other < m_files.size(); ++other)
        if (other != n && QFileInfo(m_files[other]).fileName() == info.fileName())
            shown = QDir::toNativeSeparators(m_files[n]);
    // "&" in a file name would otherwise turn into a shortcut.
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(n + 1).arg(shown);
}
