#include "RecordSummary.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Plural(int64_t n, const char* one, const char* many)
{
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

} // namespace

std::string CRecordSummary::Lines(const CRecordTally& t)
{
    if (t.pulses <= 0)
        return {};
    char line[160];
    std::snprintf(line, sizeof line, "Run time %.2f s to %.2f s; pulse index %ld to %ld\n",
                  t.firstTime / 100.0, t.lastTime / 100.0, t.firstIndex, t.lastIndex);
    std::string text = line;
    if (t.skipped > 0) {
        text += Plural(t.skipped, "pulse", "pulses") + " of the board were not fetched:";
        // A refused pulse reply loses the pulse it would have brought; the
        // rest were fired while the link was busy with the one before.
        const int64_t refused = std::min(t.refused, t.skipped);
        const int64_t pace = t.skipped - refused;
        if (refused > 0)
            text += " " + Plural(refused, "pulse reply was", "pulse replies were") +
                    " refused (damaged or missing; the debug log names each)" +
                    (pace > 0 ? ";" : "");
        if (pace > 0) {
            const double rate = t.seconds > 0 ? (t.pulses + t.repeats) / t.seconds : 0;
            std::snprintf(line, sizeof line,
                          " %lld came faster than the link fetches them (about %.1f a second "
                          "at %d baud)",
                          static_cast<long long>(pace), rate, t.baud);
            text += line;
        }
        text += "\n";
    } else if (t.refused > 0) {
        text += Plural(t.refused, "pulse request", "pulse requests") +
                " brought no valid reply (the debug log names each); the pulses came again "
                "with the next request\n";
    }
    if (t.restarts > 0)
        text += "The board started its pulse index again " + Plural(t.restarts, "time", "times") +
                " (a reset or a new run): the indexes do not count the pulses across it\n";
    if (t.repeats > 0)
        text += Plural(t.repeats, "pulse was", "pulses were") +
                " fetched a second time and recorded once\n";
    return text;
}

std::string CRecordSummary::NoPulsesReason(const CRecordTally& t)
{
    if (t.announced == 0)
        return "no pulse was recorded: the instrument announced none (is a run in progress?)";
    if (t.refused >= t.announced && t.repeats == 0)
        return "no pulse was recorded: the instrument announced " +
               Plural(t.announced, "pulse", "pulses") +
               " but every pulse reply was refused "
               "(damaged or missing; see the debug log)";
    return "no pulse was recorded: of " + Plural(t.announced, "pulse", "pulses") + " announced, " +
           std::to_string(t.refused) + " brought no valid reply and " + std::to_string(t.repeats) +
           " repeated a pulse already fetched";
}
