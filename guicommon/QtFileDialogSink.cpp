#include "QtFileDialogSink.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QRegularExpression>
#include <QThread>

QStringList CQtFileDialogSink::ToQtFilters(const std::string& filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    QStringList filters;
    for (const auto& [description, patterns] : CFileDialogService::ParseFilter(filter)) {
        QStringList qtPatterns;
        for (const std::string& pattern : patterns)
            qtPatterns << (pattern == "*.*" ? QStringLiteral("*")
                                            : QString::fromStdString(pattern));
        QString name = QString::fromStdString(description);
        name.remove(trailingPatterns);
        filters << QStringLiteral("%1 (%2)").arg(name, qtPatterns.join(QLatin1Char(' ')));
    }
    return filters;
}

int CQtFileDialogSink::Ask(const CFileDialogRequest& request, std::string& path)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (!app || QThread::currentThread() == app->thread())
        return AskHere(request, path);
    int answer = 0;
    QMetaObject::invokeMethod(
        app, [&] { answer = AskHere(request, path); }, Qt::BlockingQueuedConnection);
    return answer;
}

int CQtFileDialogSink::AskHere(const CFileDialogRequest& request, std::string& path)
{
    QFileDialog dialog(m_pParent, QString::fromStdString(request.title));
    dialog.setDirectory(QString::fromStdString(request.initialFolder));
    switch (request.kind) {
    case FileDialogKind::Folder:
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        break;
    case FileDialogKind::Open:
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode((request.flags & OFN_FILE_MUST_EXIST) ? QFileDialog::ExistingFile
                                                                 : QFileDialog::AnyFile);
        break;
    case FileDialogKind::Save:
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite,
                         !(request.flags & OFN_PROMPT_OVERWRITE));
        break;
    }
    if (request.kind != FileDialogKind::Folder) {
        const QStringList filters = ToQtFilters(request.filter);
        if (!filters.isEmpty())
            dialog.setNameFilters(filters);
        QString suffix = QString::fromStdString(request.defaultExtension);
        if (suffix.startsWith(QLatin1Char('.')))
            suffix.remove(0, 1);
        dialog.setDefaultSuffix(suffix);
        // A pattern as the initial name ("*.cnfg") only says what to list.
        const QString initial = QString::fromStdString(request.initialName);
        if (!initial.isEmpty() && !initial.contains(QLatin1Char('*')) &&
            !initial.contains(QLatin1Char('?')))
            dialog.selectFile(initial);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return 0;
    path = dialog.selectedFiles().constFirst().toStdString();
    return 1;
}
