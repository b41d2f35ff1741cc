#pragma once
// The data-settings dialog (form 166 "Data Settings"): where recordings go
// and what they are called. It edits the recorder's naming: the folder, a
// file-name prefix and the running index, whose arrows step to the next free
// name up or down; OK prepares a recording (the overwrite question
// included) and keeps the settings in the settings file.
//
//   1082 folder   1083 Browse...   1040 prefix   1080 index   1061 up-down
//   1078 ".KLYN"   1060 OK
//
// The index is free text, used in the name as typed; a number typed there
// also becomes the numeric index the searches start from and the settings
// file keeps. Closing the dialog by its close box hides it without
// preparing.

#include "DataRecorder.h"

#include <QDialog>

#include <string>

class QLineEdit;
class QScrollBar;

class CDialogRecordSettings : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 166;
    static constexpr const char* kBrowseTitle =
        "Please select a folder for storing received files :";
    // File-system folders only, their ancestors, the new dialog style.
    static constexpr unsigned kBrowseFlags = 0x49;

    // Loads the settings file into the recorder and shows them.
    CDialogRecordSettings(CDataRecorder& recorder, const std::string& settingsPath,
                          const std::string& caption, QWidget* parent = nullptr);

    QWidget* Form() const { return m_pForm; }
    // Shows the recorder's naming in the fields.
    void UpdateFields();
    // Takes the fields into the recorder. With check, a prefix or index that
    // would put the file outside its folder is refused with a message.
    bool ReadFields(bool check);

    // The buttons and the arrows.
    void Browse();
    // +1: the next free index up; -1: down.
    void StepIndex(int step);
    void Ok();

signals:
    // OK prepared a recording (the naming may have changed).
    void prepared(bool mayStart);

private:
    CDataRecorder& m_recorder;
    std::string m_strSettingsPath;
    std::string m_strCaption;
    QWidget* m_pForm = nullptr;
    QLineEdit* m_pFolder = nullptr;
    QLineEdit* m_pPrefix = nullptr;
    QLineEdit* m_pIndex = nullptr;
    QScrollBar* m_pArrows = nullptr;
};
