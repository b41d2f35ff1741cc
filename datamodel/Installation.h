#pragma once
// Where an installation keeps its programs and documents, and how a program
// finds the others. `cmake --install` (or `make install PREFIX=...`) lays out:
//
//   <prefix>/lib/tarvolin/     the desktop programs, and QuillonRes0409.rcc beside the Monitor
//   <prefix>/bin/              tarvolin, tarvolin-boardsim, links to the desktop programs
//   <prefix>/share/tarvolin/   Tarvolin_Users_Manual.pdf, udev/ with the example rule
//   <prefix>/share/applications, share/icons/hicolor, share/mime/packages
//
// A program's folder is that of its file with links resolved, so a program
// started through a link in bin/ still finds its siblings in lib/tarvolin.
// In the build tree the Launcher's folder holds links to the Monitor and the
// Analyzer, and the manual is built into <build>/share/tarvolin.

#include <string>
#include <vector>

class CInstallation {
public:
    static constexpr const char* kMonitorProgram = "tarvolin-monitor";
    static constexpr const char* kAnalyzerProgram = "tarvolin-analyzer";
    static constexpr const char* kLauncherProgram = "tarvolin-launcher";
    static constexpr const char* kManualFileName = "Tarvolin_Users_Manual.pdf";

    // folder + program when that is an executable file (links followed);
    // empty otherwise. folder may or may not end in "/".
    static std::string FindProgram(const std::string& folder, const std::string& program);

    // Where the user's manual is looked for, in this order:
    //   1. <program folder>/../share/tarvolin   programs one level down (the build tree)
    //   2. <program folder>/../../share/tarvolin the installation (programs in lib/tarvolin)
    //   3. <common data>/Corvanth/Tarvolin       a copy placed for the whole workstation
    // The first two are the manual that came with these programs, so it
    // describes them; the third serves a program copied on its own.
    static std::vector<std::string> ManualCandidates(const std::string& programFolder,
                                                     const std::string& commonDataFolder);
    // The first candidate that is a regular, readable file; empty when none.
    static std::string FindManual(const std::string& programFolder,
                                  const std::string& commonDataFolder);
    // The same for the running program on this workstation.
    static std::string FindManual();
};
