#include "SimCommandLine.h"

#include "PortSettings.h"

namespace {

const char kIntro[] = "Simulates the detector's controller board on a pseudo-terminal linked as\n"
                      "<ports dir>/COM<n>, until SIGINT or SIGTERM.\n\n";

} // namespace

void CSimCommandLine::Declare(COptionTable& table, CBinding& b)
{
    CSimOptions& o = b.parsed.options;
    table
        .Integer("--port", o.port, CPortSettings::kFirstPort, CPortSettings::kLastPort, "N",
                 "port number n of COM<n>")
        .What("the port number");
    table.Text("--ports-dir", o.portsDir, "DIR", "folder of the COM links")
        .Default("$TARVOLIN_PORTS_DIR, else <common data>/Corvanth/Tarvolin/Ports")
        .Rule([](const std::string& v, std::string& why) {
            why = "the folder is empty";
            return !v.empty();
        });
    std::vector<long long> rates = CPortSettings::BaudRates();
    rates.insert(rates.begin(), 0);
    table
        .Integer("--baud", o.baud, 0, 10'000'000, "B",
                 "line speed the replies are paced to, 0 for none")
        .OneOf(rates)
        .What("the line speed");
    table.Real("--speed", o.clockSpeed, 1e-3, 1e6, "X", "run clock seconds per real second");
    table.Real("--rate", o.pulseRate, 0, 1e4, "P", "pulses per run-clock second");
    table.Switch("--run", b.runAtStart, "start the GC run at once");
    table
        .Real("--run-after", o.runAfterSeconds, 0, 1e9, "S",
              "start the GC run after S real seconds")
        .Default("2");
    table.Switch("--idle", b.idle, "no GC run until a host or a test starts one");
    table.Real("--run-length", o.runLengthSeconds, 0, 1e9, "S",
               "end the run after S run-clock seconds, 0 for never");
    table.Integer("--seed", o.seed, 0, 0xFFFFFFFFLL, "N", "seed of every random number");
    table.Text("--log", o.requestLogPath, "FILE", "append one line per request received to FILE");
    table.Text("--eeprom", o.eepromPath, "FILE", "keep the parameters saved by the host in FILE");
    table.Real("--duration", b.parsed.durationSeconds, 0, 1e9, "S", "exit after S real seconds")
        .Default("until a signal");
    table.Real("--reply-latency", o.replyLatencyMs, 0, 60'000, "MS",
               "the board's own time to answer, after a request's last byte");
    table.Real("--set-latency", o.setReplyLatencyMs, 0, 60'000, "MS",
               "extra time to acknowledge the set commands (0x10, 0x12, 0x14, 0x15, 0x20)");
    table
        .Integer("--sticky-status", b.parsed.stickyStatus, 0, 0xFFFF, "BITS",
                 "status bits set on every status reply (0x0100: the board keeps offering a "
                 "pulse)")
        .AllowHex();

    table.Section("Faults (K: every Kth reply; restricted to one command with --fault-command):");
    const auto every = [&b](SimFault kind) {
        return [&b, kind](long long k) {
            CSimFaultRule rule;
            rule.kind = kind;
            rule.every = static_cast<int>(k);
            b.faults.push_back(rule);
        };
    };
    constexpr long long kMaxEvery = 1'000'000'000;
    table.Integer("--split-every", every(SimFault::Split), 1, kMaxEvery, "K",
                  "send the reply in two pieces");
    table.Integer("--split-pause", b.splitPause, 0, 60'000, "MS", "pause between the pieces");
    table.Integer("--garbage-every", every(SimFault::Garbage), 1, kMaxEvery, "K",
                  "junk bytes before the reply");
    table.Integer("--bad-crc-every", every(SimFault::BadCrc), 1, kMaxEvery, "K", "a wrong CRC");
    table.Integer("--wrong-code-every", every(SimFault::WrongCode), 1, kMaxEvery, "K",
                  "a valid reply under another command code");
    table.Integer("--silent-every", every(SimFault::Silence), 1, kMaxEvery, "K", "no reply at all");
    table.Integer("--drop-every", every(SimFault::Drop), 1, kMaxEvery, "K",
                  "no reply; unplug the board for --drop-ms");
    table.Integer("--mixed-every", every(SimFault::Mixed), 1, kMaxEvery, "K",
                  "each time the next of: split, garbage, bad CRC, wrong code, silence, "
                  "garbage and split");
    table
        .Real("--drop-after", b.parsed.dropAfterSeconds, 0, 1e9, "S",
              "unplug the board once, after S real seconds")
        .Default("never");
    table.Integer("--drop-ms", b.parsed.dropMs, 0, 3'600'000, "MS",
                  "how long the board stays unplugged");
    table
        .Integer("--fault-command", b.faultCommand, 0, 255, "C",
                 "apply the fault switches to command C only (e.g. 0x40)")
        .AllowHex()
        .Default("every command");
}

std::string CSimCommandLine::Usage()
{
    CBinding b;
    COptionTable table("tarvolin-boardsim");
    Declare(table, b);
    return "usage: tarvolin-boardsim [options]\n" + std::string(kIntro) + table.Help();
}

int CSimCommandLine::Parse(const std::vector<std::string>& arguments, CArgs& args,
                           std::string& error)
{
    CBinding b;
    COptionTable table("tarvolin-boardsim");
    Declare(table, b);
    if (!table.Parse(arguments, error))
        return 0;
    CSimOptions& o = b.parsed.options;
    b.parsed.help = table.HelpRequested();
    o.runAtStart = b.runAtStart;
    // Started by hand, the board shows a run soon, so a host sees live pulses
    // without knowing the switches.
    if (!b.idle && !o.runAtStart && o.runAfterSeconds < 0)
        o.runAfterSeconds = 2.0;
    for (CSimFaultRule& rule : b.faults) {
        rule.command = static_cast<int>(b.faultCommand);
        rule.pauseMs = rule.kind == SimFault::Drop ? b.parsed.dropMs : b.splitPause;
    }
    o.faults = std::move(b.faults);
    args = std::move(b.parsed);
    return 1;
}
