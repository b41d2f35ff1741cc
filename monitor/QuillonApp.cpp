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
#include <QFile>
#include <cstdio>
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

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

// 1 when the arguments name an instrument and a port; else prints why and the usage.
int CheckCommandLine(const std::vector<std::string>& args)
{
    CQuillonCommandLineInfo info;
    info.Parse(args);
    std::string error;
    if (info.Check(error))
        return 1;
    if (error.empty()) {
        std::fputs(CQuillonCommandLineInfo::Usage().c_str(), stdout);
    } else {
        std::fprintf(stderr, "tarvolin-monitor: %s\n%s", error.c_str(),
                     CQuillonCommandLineInfo::Usage().c_str());
    }
    return 0;
}

} // namespace

int CQuillonApp::Run(int argc, char** argv)
{
    // Without a display the window system cannot start; the command line and
    // the resource file can still be judged and the reason printed.
    if (!HasDisplay()) {
        if (!CheckCommandLine(std::vector<std::string>(argv + 1, argv + argc)))
            return kUsageExit;
        std::fprintf(stderr, "tarvolin-monitor: %s\n",
                     QFile::exists(QString::fromStdString(CFilePaths::GetAppPath() + CResourceLibrary::kFileName))
                         ? "no display to show the window on"
                         : kMissingResources);
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tarvolin Monitor");
    // What Qt takes for itself (-platform, -style, ...) is gone from arguments().
    std::vector<std::string> args;
    for (const QString& a : app.arguments().mid(1))
        args.push_back(a.toStdString());
    if (!CheckCommandLine(args))
        return kUsageExit;

    CQtMessageSink sink;
    CMessageService::SetSink(&sink);
    CQtFileDialogSink fileDialogs;
    CFileDialogService::SetSink(&fileDialogs);

    if (!LoadResources(CResourceLibrary::DefaultPath())) {
        std::fprintf(stderr, "tarvolin-monitor: %s\n", kMissingResources);
        // A box nobody can see would wait for a click for ever.
        const QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal") {
            QMessageBox box(QMessageBox::Critical, "Tarvolin Monitor", kMissingResources, QMessageBox::Ok);
            box.setWindowFlag(Qt::WindowStaysOnTopHint);
            box.exec();
        }
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
