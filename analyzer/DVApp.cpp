#include "DVApp.h"

#include "FilePaths.h"
#include "ImageButton.h"
#include "MainFrame.h"
#include "ProgramKind.h"
#include "QtFileDialogSink.h"
#include "QtMessageSink.h"
#include "QuillonIniConfig.h"
#include "ResourceLibrary.h"

#include <QApplication>
#include <QUrl>

#include <cstdio>

std::unique_ptr<OCalculationLog> ODVApp::InitializeSettings()
{
    CProgramKind::Set(ProgramKind::Analyzer);
    CQuillonIniConfig::Reset();
    CQuillonIniConfig::Initialize(CFilePaths::GetConfigPath() + "/" + kIniFileName);
    if (!CQuillonIniConfig::EnableDebugLog())
        return nullptr;
    return std::make_unique<OCalculationLog>(OCalculationLog::DefaultPath());
}

bool ODVApp::LoadResources()
{
    if (!CResourceLibrary::LoadBuiltIn())
        return false;
    CResourceLibrary::RegisterWidgetClass("CImageButton",
                                          [](QWidget* parent) { return new CImageButton(parent); });
    CImageButton::SetImageProvider(
        [](unsigned id) { return CResourceLibrary::Bitmap(static_cast<int>(id)); });
    CImageButton::SetStringProvider(
        [](unsigned id) { return CResourceLibrary::String(static_cast<int>(id)); });
    return true;
}

ODVApp::CommandLine ODVApp::ParseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == QStringLiteral("--")) {
            options = false;
        } else if (options &&
                   (argument == QStringLiteral("-h") || argument == QStringLiteral("--help"))) {
            line.help = true;
        } else if (options && argument == QStringLiteral("--version")) {
            line.version = true;
        } else if (options && argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
            line.error = QStringLiteral("unknown option %1").arg(argument);
        } else if (argument.startsWith(QStringLiteral("file:"))) {
            // Desktops hand over URLs where they can.
            // A file on another host is not something this machine can open.
            const QUrl url(argument);
            const bool here = url.host().isEmpty() || url.host() == QStringLiteral("localhost");
            if (url.isLocalFile() && here)
                line.files << url.toLocalFile();
            else
                line.error = QStringLiteral("%1 is not a local file").arg(argument);
        } else if (!argument.isEmpty()) {
            line.files << argument;
        }
    }
    return line;
}

QString ODVApp::Usage()
{
    return QStringLiteral(
        "Usage: tarvolin-analyzer [FILE.KLYN ...]\n"
        "Opens recorded runs (at most four at once) and shows their pulses and chromatograms.\n"
        "  -h, --help   this text\n"
        "  --version    the program's version\n");
}

QString ODVApp::ProfilePath()
{
    return QString::fromStdString(CFilePaths::GetConfigPath() + "/" + kProfileFileName);
}

namespace {

bool HasDisplay()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

} // namespace

int ODVApp::Run(int argc, char** argv)
{
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    // Help and errors do not need a window (nor a display).
    const CommandLine early = ParseCommandLine(raw);
    if (early.help || !early.error.isEmpty() || early.version || !HasDisplay()) {
        if (!early.error.isEmpty()) {
            std::fprintf(stderr, "tarvolin-analyzer: %s\n%s", qPrintable(early.error),
                         qPrintable(Usage()));
            return kUsageExit;
        }
        if (early.version) {
            std::printf("tarvolin-analyzer %s\n", TARVOLIN_VERSION);
            return 0;
        }
        if (early.help) {
            std::fputs(qPrintable(Usage()), stdout);
            return 0;
        }
        std::fprintf(stderr, "tarvolin-analyzer: no display to show the window on\n");
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(CMainFrame::kCaption));
    QApplication::setApplicationVersion(QStringLiteral(TARVOLIN_VERSION));
    // What Qt took for itself (-platform, -style ...) is gone from arguments().
    const CommandLine line = ParseCommandLine(app.arguments().mid(1));
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "tarvolin-analyzer: %s\n%s", qPrintable(line.error),
                     qPrintable(Usage()));
        return kUsageExit;
    }

    const std::unique_ptr<OCalculationLog> log = InitializeSettings();
    CQtMessageSink messages;
    CMessageService::SetSink(&messages);
    CQtFileDialogSink fileDialogs;
    CFileDialogService::SetSink(&fileDialogs);
    if (!LoadResources()) {
        std::fprintf(stderr, "tarvolin-analyzer: the program's resources are missing\n");
        CMessageService::SetSink(nullptr);
        CFileDialogService::SetSink(nullptr);
        return 1;
    }
    QApplication::setWindowIcon(CResourceLibrary::AppIcon());

    int result = 0;
    {
        CMainFrame::Options options;
        options.document.log = log.get();
        options.profilePath = ProfilePath();
        CMainFrame frame(options);
        messages.SetParent(&frame);
        fileDialogs.SetParent(&frame);
        frame.show();
        if (!line.files.isEmpty())
            QMetaObject::invokeMethod(
                &frame, [&frame, files = line.files] { frame.OpenFiles(files); },
                Qt::QueuedConnection);
        result = QApplication::exec();
        messages.SetParent(nullptr);
        fileDialogs.SetParent(nullptr);
    }
    CMessageService::SetSink(nullptr);
    CFileDialogService::SetSink(nullptr);
    return result;
}
