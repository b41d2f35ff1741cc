// tarvolin-boardsim: the detector's controller board, simulated on a pseudo-terminal.

#include "BoardSimulator.h"
#include "SimCommandLine.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void PrintCounters(const CBoardSimulator& simulator)
{
    const CSimCounters c = simulator.GetCounters();
    std::printf("tarvolin-boardsim: %llu requests, %llu replies, %llu discarded, %llu unknown, "
                "%llu pulses fired, %llu fetched, %llu link drops\n",
                static_cast<unsigned long long>(c.requests),
                static_cast<unsigned long long>(c.replies),
                static_cast<unsigned long long>(c.badRequests),
                static_cast<unsigned long long>(c.unknownCommands),
                static_cast<unsigned long long>(c.pulsesFired),
                static_cast<unsigned long long>(c.pulsesFetched),
                static_cast<unsigned long long>(c.linkDrops));
    std::string perCommand;
    for (size_t code = 0; code < c.requestsByCommand.size(); ++code) {
        if (c.requestsByCommand[code] == 0)
            continue;
        char item[48];
        std::snprintf(item, sizeof(item), " 0x%02zx:%llu", code,
                      static_cast<unsigned long long>(c.requestsByCommand[code]));
        perCommand += item;
    }
    if (!perCommand.empty())
        std::printf("tarvolin-boardsim: requests by command:%s\n", perCommand.c_str());
    std::string faults;
    for (int k = 0; k < kSimFaultKinds; ++k) {
        if (c.faults[static_cast<size_t>(k)] == 0)
            continue;
        faults += std::string(" ") + SimFaultName(static_cast<SimFault>(k)) + ":" +
                  std::to_string(c.faults[static_cast<size_t>(k)]);
    }
    if (!faults.empty())
        std::printf("tarvolin-boardsim: faults injected:%s\n", faults.c_str());
    std::fflush(stdout);
}

timespec ToTimespec(std::chrono::nanoseconds wait)
{
    if (wait < std::chrono::nanoseconds::zero())
        wait = std::chrono::nanoseconds::zero();
    return timespec{static_cast<time_t>(wait.count() / 1'000'000'000),
                    static_cast<long>(wait.count() % 1'000'000'000)};
}

} // namespace

int main(int argc, char** argv)
{
    CSimCommandLine::CArgs args;
    std::string error;
    if (!CSimCommandLine::Parse(std::vector<std::string>(argv + 1, argv + argc), args, error)) {
        std::fprintf(stderr, "tarvolin-boardsim: %s\n%s", error.c_str(),
                     CSimCommandLine::Usage().c_str());
        return 2;
    }
    if (args.help) {
        std::fputs(CSimCommandLine::Usage().c_str(), stdout);
        return 0;
    }

    // Signals are taken synchronously below; blocked before any thread starts, so that
    // none of the simulator's threads is chosen to receive them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    CBoardSimulator simulator(args.options);
    if (args.stickyStatus != 0)
        simulator.SetStickyStatusBits(static_cast<uint16_t>(args.stickyStatus));
    if (!simulator.Start(error)) {
        std::fprintf(stderr, "tarvolin-boardsim: %s\n", error.c_str());
        return 1;
    }
    const int baud = args.options.baud;
    std::printf("tarvolin-boardsim: board on %s, linked as %s (%s)\n",
                simulator.GetDevicePath().c_str(), simulator.GetLinkPath().c_str(),
                baud > 0 ? (std::to_string(baud) + " baud").c_str() : "unpaced");
    std::fflush(stdout);

    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto at = [&](double seconds) {
        return start +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    };
    bool dropPending = args.dropAfterSeconds >= 0;
    for (;;) {
        auto deadline = Clock::time_point::max();
        if (args.durationSeconds >= 0)
            deadline = at(args.durationSeconds);
        if (dropPending)
            deadline = std::min(deadline, at(args.dropAfterSeconds));
        const auto now = Clock::now();
        const auto wait =
            deadline == Clock::time_point::max() ? std::chrono::hours(1) : deadline - now;
        const timespec timeout =
            ToTimespec(std::chrono::duration_cast<std::chrono::nanoseconds>(wait));
        const int signal = sigtimedwait(&signals, nullptr, &timeout);
        if (signal == SIGINT || signal == SIGTERM)
            break;
        if (signal < 0 && errno != EAGAIN && errno != EINTR)
            break;
        const auto after = Clock::now();
        if (dropPending && after >= at(args.dropAfterSeconds)) {
            dropPending = false;
            simulator.DropLink(args.dropMs);
            std::printf("tarvolin-boardsim: board unplugged for %d ms\n", args.dropMs);
            std::fflush(stdout);
        }
        if (args.durationSeconds >= 0 && after >= at(args.durationSeconds))
            break;
    }
    simulator.Stop();
    PrintCounters(simulator);
    return 0;
}
