#pragma once
// Progress of a long calculation on the terminal: one line that is written
// over as the steps come ("Calculating chromatogram:  35% done") and wiped
// at the end, so that nothing of it stays in the command's output. Only a
// terminal gets it; a pipe or a file would keep every step.

#include "Progress.h"

#include <memory>
#include <ostream>
#include <string>

namespace cli {

class CTerminalProgress : public IProgress {
public:
    explicit CTerminalProgress(std::ostream& terminal) : m_terminal(terminal) {}

    // The progress for standard error when it is a terminal; nullptr otherwise.
    static std::unique_ptr<IProgress> ForStandardError();

    void Start(const std::string& task) override;
    void Step(const std::string& text, double fraction) override;
    void End() override;

private:
    std::ostream& m_terminal;
    size_t m_nShown = 0; // characters of the line on the terminal now
};

} // namespace cli
