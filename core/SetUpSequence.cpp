#include "SetUpSequence.h"

#include "Hardware.h"

int CSetUpSequence::Check(const CSetUpRecords& records, std::string& message)
{
    const int count = records.events.GetCount();
    if (count > CHardware::kMaxEvents) {
        message = "The timed-event program holds " + std::to_string(count) +
                  " events; the board takes at most " + std::to_string(CHardware::kMaxEvents) +
                  ". Nothing was sent to the board.";
        return 0;
    }
    return 1;
}

int CSetUpSequence::Apply(ISetUpLink& link, const CSetUpRecords& r, Result& result,
                          const Options& options)
{
    result = Result();
    const std::function<int()> steps[kSteps] = {
        [&] { return link.ClearTimedEvents(); },
        [&] { return link.SetBoardAndChannels(r.board, r.channels); },
        [&] { return r.events.GetCount() == 0 ? 1 : link.SetTimedEvents(r.events); },
        [&] { return link.SetGates(r.gates); },
    };
    const int tries = options.nTries > 0 ? options.nTries : 1;
    for (int step = 1; step <= kSteps; ++step) {
        if (options.pCancelled && options.pCancelled->load()) {
            result.nFailedStep = step;
            result.bStopped = true;
            result.strMessage = StoppedText(step);
            return 0;
        }
        if (options.onStep)
            options.onStep(step);
        int ok = 0;
        for (int attempt = 0; attempt < tries && !ok; ++attempt)
            ok = steps[step - 1]();
        if (!ok) {
            result.nFailedStep = step;
            result.strMessage = FailureText(step);
            return 0;
        }
    }
    return 1;
}

std::string CSetUpSequence::StepText(int step)
{
    switch (step) {
    case 1:
        return "clearing the timed events";
    case 2:
        return "sending the board and channel parameters";
    case 3:
        return "sending the timed events";
    case 4:
        return "sending the gates";
    default:
        return {};
    }
}

std::string CSetUpSequence::FailureText(int step)
{
    return "Step " + std::to_string(step) + " of " + std::to_string(kSteps) + ", " +
           StepText(step) + ", failed: the board did not answer or refused it.";
}

std::string CSetUpSequence::StoppedText(int step)
{
    return "Stopped before " + StepText(step) + ".";
}
