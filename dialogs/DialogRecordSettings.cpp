#include "DialogRecordSettings.h"

#include "FileDialogService.h"
#include "FilePaths.h"
#include "MessageService.h"
#include "ResourceLibrary.h"

#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

enum : int {
    kFolder = 1082,
    kBrowse = 1083,
    kPrefix = 1040,
    kIndex = 1080,
    kArrows = 1061,
    kOk = 1060,
};

// The arrows' own position means nothing: it rests in the middle, and a
// step away from it says which way the operator pressed.
constexpr int kRest = 500;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string Text(const QLineEdit* edit)
{
    return edit ? edit->text().toStdString() : std::string();
}

} // namespace

CDialogRecordSettings::CDialogRecordSettings(CDataRecorder& recorder,
                                             const std::string& settingsPath,
                                             const std::string& caption, QWidget* parent)
    : QDialog(parent), m_recorder(recorder), m_strSettingsPath(settingsPath), m_strCaption(caption)
{
    auto* layout = new QVBoxLayout(this);
    m_pForm = CResourceLibrary::LoadForm(kTemplateId, this);
    if (m_pForm) {
        layout->addWidget(m_pForm);
        setWindowTitle(m_pForm->windowTitle());
    }
    m_pFolder = CResourceLibrary::Control<QLineEdit>(m_pForm, kFolder);
    m_pPrefix = CResourceLibrary::Control<QLineEdit>(m_pForm, kPrefix);
    m_pIndex = CResourceLibrary::Control<QLineEdit>(m_pForm, kIndex);
    m_pArrows = CResourceLibrary::Control<QScrollBar>(m_pForm, kArrows);
    if (m_pArrows) {
        m_pArrows->setRange(1, 1000);
        m_pArrows->setValue(kRest);
        connect(m_pArrows, &QScrollBar::valueChanged, this, [this](int value) {
            if (value == kRest)
                return;
            {
                const QSignalBlocker block(m_pArrows);
                m_pArrows->setValue(kRest);
            }
            // The upper arrow lowers a vertical bar's value: it is "up".
            StepIndex(value < kRest ? +1 : -1);
        });
    }
    if (auto* browse = CResourceLibrary::Control<QPushButton>(m_pForm, kBrowse))
        connect(browse, &QPushButton::clicked, this, &CDialogRecordSettings::Browse);
    if (auto* ok = CResourceLibrary::Control<QPushButton>(m_pForm, kOk))
        connect(ok, &QPushButton::clicked, this, &CDialogRecordSettings::Ok);

    if (!m_strSettingsPath.empty())
        m_recorder.LoadSettings(m_strSettingsPath);
    UpdateFields();
}

void CDialogRecordSettings::UpdateFields()
{
    if (m_pFolder)
        m_pFolder->setText(Q(m_recorder.GetFolder()));
    if (m_pPrefix)
        m_pPrefix->setText(Q(m_recorder.GetPrefix()));
    if (m_pIndex)
        m_pIndex->setText(Q(m_recorder.GetIndexText()));
}

bool CDialogRecordSettings::ReadFields(bool check)
{
    const std::string prefix = Text(m_pPrefix);
    const std::string index = Text(m_pIndex);
    if (check) {
        std::string why;
        const std::string name = prefix + index + CDataRecorder::kExtension;
        if (!CFilePaths::IsSinglePathComponent(name, why)) {
            CMessageService::Show("The file name \"" + name + "\" cannot be used: " + why +
                                      "\nThe prefix and the index make a name inside the folder.",
                                  m_strCaption, MessageIcon::Error);
            return false;
        }
    }
    m_recorder.SetFolder(Text(m_pFolder));
    m_recorder.SetPrefix(prefix);
    // The name is composed when a recording is prepared (or the index searched).
    m_recorder.SetIndexText(index);
    return true;
}

void CDialogRecordSettings::Browse()
{
    CFileDialogRequest request;
    request.kind = FileDialogKind::Folder;
    request.title = kBrowseTitle;
    request.flags = kBrowseFlags;
    request.initialFolder = m_recorder.GetFolder();
    std::string folder;
    if (!CFileDialogService::Ask(request, folder) || folder.empty())
        return;
    // What the operator typed meanwhile stays; the folder is the one chosen.
    ReadFields(false);
    m_recorder.SetFolder(folder);
    UpdateFields();
}

void CDialogRecordSettings::StepIndex(int step)
{
    ReadFields(false);
    if (step > 0)
        m_recorder.NextFreeIndexUp();
    else if (step < 0)
        m_recorder.NextFreeIndexDown();
    UpdateFields();
}

void CDialogRecordSettings::Ok()
{
    if (!ReadFields(true))
        return;
    const bool mayStart = m_recorder.PrepareRecording(m_strSettingsPath);
    UpdateFields();
    hide();
    emit prepared(mayStart);
}
