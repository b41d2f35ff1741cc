#pragma once
// Answers the file-dialog service (FileDialogService.h) with the desktop's
// file and folder dialogs. A request from another thread is shown by the
// user-interface thread while the caller waits, as for a dialog of its own.

#include "FileDialogService.h"

#include <QStringList>

class QWidget;

class CQtFileDialogSink : public IFileDialogSink {
public:
    explicit CQtFileDialogSink(QWidget* parent = nullptr) : m_pParent(parent) {}
    void SetParent(QWidget* parent) { m_pParent = parent; }
    int Ask(const CFileDialogRequest& request, std::string& path) override;

    // The system's filter text as the desktop dialog's name filters: each
    // description keeps its words and carries the real patterns in its
    // parentheses; "*.*" (every file there) becomes "*".
    static QStringList ToQtFilters(const std::string& filter);

private:
    int AskHere(const CFileDialogRequest& request, std::string& path);
    QWidget* m_pParent;
};
