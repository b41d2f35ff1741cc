#pragma once
// ODVApp: the Analyzer's start-up. In order: the program kind (the Analyzer's
// folders and INI file), its INI settings (only EnableDebugLog is used: it
// turns on the calculation log, one for the whole run), the resource library
// compiled into the program (the parameter dialogs' forms), the message and
// file-dialog services, the main window, and the files named on the command
// line - so that a desktop's "open with" opens them.

#include "CalculationLog.h"

#include <QString>
#include <QStringList>

#include <memory>

class ODVApp {
public:
    static constexpr const char* kIniFileName = "TarvolinAnalyzerIniSettings.ini";
    static constexpr const char* kProfileFileName = "TarvolinAnalyzerProfile.ini";
    static constexpr int kUsageExit = 2;

    // What the command line asks for.
    struct CommandLine {
        QStringList files;
        bool help = false;
        bool version = false;
        QString error; // not empty: the line cannot be used
    };

    // Program kind and settings; the calculation log when EnableDebugLog asks for one.
    static std::unique_ptr<OCalculationLog> InitializeSettings();
    // The resource library the program carries; false when it is missing.
    static bool LoadResources();
    // The arguments after the program's name: file names or file URLs;
    // -h/--help, --version; "--" ends the options.
    static CommandLine ParseCommandLine(const QStringList& arguments);
    static QString Usage();
    // <Analyzer configuration folder>/TarvolinAnalyzerProfile.ini
    static QString ProfilePath();

    // The whole program: 0 on a normal end.
    static int Run(int argc, char** argv);
};
