#pragma once
// The run-log dialog (form 162 "Run Log"): lists the run log, clears it (on
// OK), saves it as text and prints it, on paper or into a PDF file.
//
//   1036 list   1037 Clear   1041 Save As...   1038 Print...   1 OK   2 Cancel
//
// The Analyzer's copy does not clear ("Not implimented") and offers its own
// Save As filter.

#include "ParameterDialog.h"

#include <QDialog>
#include <QStringList>

class QListWidget;

struct CRunLogOptions {
    DialogVariant variant = DialogVariant::Monitor;
    std::string caption = "Tarvolin Monitor";
    // The run-log file the dialog lists.
    std::string logPath;
};

class CQuillonRunLogDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 162;
    static constexpr const char* kMonitorFilter =
        "Text Files (*.txt) | *.txt | All Files (*.*) | *.* ||";
    static constexpr const char* kAnalyzerFilter =
        "MyType Files (*.txt)|*.txt|All Files (*.*)|*.*||";

    explicit CQuillonRunLogDialog(const CRunLogOptions& options, QWidget* parent = nullptr);

    void SetLogPath(const std::string& path) { m_options.logPath = path; }
    const std::string& GetLogPath() const { return m_options.logPath; }

    // Fills the list from the file (creating an empty file when there is none).
    void Load();
    // The buttons.
    void Clear();
    void Ok();
    void SaveAs();
    void Print();

    QStringList Lines() const;
    bool IsCleared() const { return m_bCleared; }
    // The list's tab stops in pixels.
    QList<qreal> GetTabStops() const;

private:
    int ShowMessage(const std::string& text, MessageIcon icon = MessageIcon::Error);

    CRunLogOptions m_options;
    QWidget* m_pForm = nullptr;
    QListWidget* m_pList = nullptr;
    bool m_bCleared = false;
};
