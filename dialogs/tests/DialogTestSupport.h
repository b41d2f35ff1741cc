#pragma once
// What the dialog tests share: the resource library with the forms, and
// small ways to press a form's buttons and fill its fields by control id.

#include "ParameterDialog.h"
#include "ResourceLibrary.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

namespace dialogtest {

inline bool LoadResources()
{
    return CResourceLibrary::Load(QStringLiteral(TARVOLIN_RESOURCE_FILE));
}

template <class Dialog> bool Click(Dialog& dialog, int id)
{
    auto* button = CResourceLibrary::Control<QAbstractButton>(dialog.Form(), id);
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return true;
}

template <class Dialog> bool IsEnabled(Dialog& dialog, int id)
{
    auto* widget = CResourceLibrary::Control<QWidget>(dialog.Form(), id);
    return widget && widget->isEnabled();
}

template <class Dialog> void SetText(Dialog& dialog, int id, const QString& text)
{
    if (auto* edit = CResourceLibrary::Control<QLineEdit>(dialog.Form(), id))
        edit->setText(text);
}

template <class Dialog> QString Text(Dialog& dialog, int id)
{
    auto* edit = CResourceLibrary::Control<QLineEdit>(dialog.Form(), id);
    return edit ? edit->text() : QString();
}

template <class Dialog> QComboBox* Combo(Dialog& dialog, int id)
{
    return CResourceLibrary::Control<QComboBox>(dialog.Form(), id);
}

// Waits, without a fixed sleep, until the dialog has no request left.
inline bool WaitIdle(const CParameterDialog& dialog)
{
    return QTest::qWaitFor([&] { return !dialog.IsBusy(); }, 10000);
}

inline QStringList MessageTexts(const CMessageRecorder& recorder)
{
    QStringList texts;
    for (const auto& m : recorder.Messages())
        texts << QString::fromStdString(m.text);
    return texts;
}

} // namespace dialogtest
