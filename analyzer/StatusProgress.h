#pragma once
// The calculation's progress in the main window's status bar: the text in
// the first pane ("Calculating chromatogram:  35% done") and a progress bar
// beside it, both repainted at once - the calculation runs on this thread,
// so nothing else would paint them before it ends.

#include "Progress.h"

class QLabel;
class QProgressBar;

class OStatusProgress : public IProgress {
public:
    OStatusProgress(QLabel* text, QProgressBar* bar);

    void Start(const std::string& task) override;
    void Step(const std::string& text, double fraction) override;
    void End() override;

    // The idle text of the first pane.
    static constexpr const char* kReady = "Ready";

private:
    QLabel* m_pText;
    QProgressBar* m_pBar;
    int m_nDepth = 0;
};
