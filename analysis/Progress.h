#pragma once
// One way for long operations (calculation, load, export, batch) to report how
// far they are, whoever shows it: the Analyzer's status bar and progress bar,
// or a line on the terminal.
//
//   Start("Calculating chromatogram: ")
//   Step("Calculating chromatogram:  5% done", 0.05)   ... every fifth percent
//   End()
//
// Calls come from the thread that runs the operation.

#include <string>

class IProgress {
public:
    virtual ~IProgress() = default;
    virtual void Start(const std::string& task) = 0;
    // text is ready to show as it is; fraction runs from 0 to 1.
    virtual void Step(const std::string& text, double fraction) = 0;
    virtual void End() = 0;
};

// Turns a fraction into the steps the status bar shows: "%s %d%% done" at
// every multiple of five percent, each one once. A null sink reports nothing.
class OProgressSteps {
public:
    OProgressSteps(IProgress* sink, std::string task);
    ~OProgressSteps();
    OProgressSteps(const OProgressSteps&) = delete;
    OProgressSteps& operator=(const OProgressSteps&) = delete;

    // done of total (total > 0): p = integer part of done / total x 100 + 0.5.
    void Update(double done, double total);

    // The text of percentage p: "Calculating chromatogram:  35% done".
    static std::string Text(const std::string& task, int percent);

private:
    IProgress* m_pSink;
    std::string m_strTask;
    int m_nLast = -1;
};
