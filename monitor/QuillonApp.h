#pragma once
// Start-up of the Monitor, in the order the instrument link expects: the
// resource library, the command line, the settings, the link, the window.

#include <QString>
#include <QStringList>

class CQuillonApp {
public:
    // Exit status for a command line the Monitor cannot start with.
    static constexpr int kUsageExit = 2;
    static constexpr const char* kMissingResources =
        "The Application could not be started.\nReason(s):\nUnable to find the resource library.";

    // Loads the resource library and makes its pictures, texts and forms
    // available to the controls. False when the file is missing or damaged.
    static bool LoadResources(const QString& path);
    // Hands the command line's port and instrument name to the settings.
    static void ApplyCommandLine(const QStringList& arguments);
    // The whole program: 0 on a normal end.
    static int Run(int argc, char** argv);
};
