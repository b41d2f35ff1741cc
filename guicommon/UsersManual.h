#pragma once
// The user's manual, "Tarvolin_Users_Manual.pdf", as the Launcher's Manual
// button and the Analyzer's "Operator's Manual" open it: looked for where
// CInstallation::ManualCandidates says (the installation's share/tarvolin
// folder first, then the common data folder) and handed to the desktop's PDF
// viewer. When there is no manual, or no viewer, the user is told so through
// the message service instead of the click doing nothing.

#include <QString>
#include <QUrl>

#include <functional>

class CUsersManual {
public:
    using Opener = std::function<bool(const QUrl&)>;

    // The manual of the running program's installation; empty when none.
    static QString Find();
    // Opens it with the desktop's viewer. 1, or 0 after a message saying why.
    static int Open();
    // The same with the folders and the opener given (tests, other programs).
    static int Open(const QString& programFolder, const QString& commonDataFolder,
                    const Opener& open);

    static constexpr const char* kCaption = "Tarvolin";
};
