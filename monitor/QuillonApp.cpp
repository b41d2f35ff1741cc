#include "QuillonApp.h"

#include "CoreInterface.h"
#include "FilePaths.h"
#include "ImageButton.h"
#include "QtFileDialogSink.h"
#include "QtMessageSink.h"
#include "QuillonCommandLineInfo.h"
#include "QuillonDlg.h"
#include "QuillonIniConfig.h"
#include "ResourceLibrary.h"

#include <QApplication>
#include <QMessageBox>

bool CQuillonApp::LoadResources(const QString& path)
{
    if (!CResourceLibrary::Load(path))
        return false;
    CResourceLibrary::RegisterWidgetClass("CImageButton", [](QWidget* parent) { return new CImageButton(parent); });
    CImageButton::SetImageProvider([](unsigned id) { return CResourceLibrary::Bitmap(static_cast<int>(id)); });
    CImageButton::SetStringProvider([](unsigned id) { return CResourceLibrary::String(static_cast<int>(id)); });
    return true;
}

void CQuillonApp::ApplyCommandLine(const QStringList& arguments)
{
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    CQuillonCommandLineInfo info;
    info.Parse(args);
    CQuillonIniConfig::ComPort(info.GetMonitorComPort());
    CQuillonIniConfig::SetInstrumentID(info.GetInstrumentName());
    CFilePaths::SetInstrumentId(info.GetInstrumentName());
}

int CQuillonApp::Run(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvolin Monitor");
    CQtMessageSink sink;
    CMessageService::SetSink(&sink);
    CQtFileDialogSink fileDialogs;
    CFileDialogService::SetSink(&fileDialogs);

    if (!LoadResources(CResourceLibrary::DefaultPath())) {
        QMessageBox box(QMessageBox::Critical, "Tarvolin Monitor", kMissingResources, QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        CMessageService::SetSink(nullptr);
        CFileDialogService::SetSink(nullptr);
        return 1;
    }
    ApplyCommandLine(app.arguments().mid(1));
    CCoreInterface::Initialize();

    int result = 0;
    {
        CQuillonDlg window;
        sink.SetParent(&window);
        fileDialogs.SetParent(&window);
        window.Initialize();
        window.show();
        result = QApplication::exec();
        sink.SetParent(nullptr);
        fileDialogs.SetParent(nullptr);
    }
    // Stop the poller before the window's objects go, and release the port.
    CCoreInterface::Cleanup();
    CMessageService::SetSink(nullptr);
    CFileDialogService::SetSink(nullptr);
    return result;
}
