#include "SimCommandLine.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

bool ToDouble(const std::string& text, double& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(value);
}

// Decimal, or hexadecimal with 0x (command codes are written that way).
bool ToLong(const std::string& text, long long& value)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text.c_str(), &end, 0);
    return errno == 0 && end && *end == '\0';
}

} // namespace

std::string CSimCommandLine::Usage()
{
    return "usage: tarvolin-boardsim [options]\n"
           "Simulates the detector's controller board on a pseudo-terminal linked as\n"
           "<ports dir>/COM<n>, until SIGINT or SIGTERM.\n"
           "\n"
           "  --port N             port number n of COM<n> (default 1)\n"
           "  --ports-dir DIR      folder of the COM links (default: $TARVOLIN_PORTS_DIR, else\n"
           "                       <common data>/Corvanth/Tarvolin/Ports)\n"
           "  --baud B             line speed the replies are paced to (default 57600; 0 = "
           "unpaced)\n"
           "  --speed X            run clock seconds per real second (default 1)\n"
           "  --rate P             pulses per run-clock second (default 7)\n"
           "  --run                start the GC run at once\n"
           "  --run-after S        start the GC run after S real seconds (default 2)\n"
           "  --idle               no GC run until a host or a test starts one\n"
           "  --run-length S       end the run after S run-clock seconds (default: never)\n"
           "  --seed N             seed of every random number (default 1)\n"
           "  --log FILE           append one line per request received to FILE\n"
           "  --eeprom FILE        keep the parameters saved by the host in FILE\n"
           "  --duration S         exit after S real seconds\n"
           "\n"
           "Faults (K: every Kth reply; restricted to one command with --fault-command):\n"
           "  --split-every K      send the reply in two pieces\n"
           "  --split-pause MS     pause between the pieces (default 100)\n"
           "  --garbage-every K    junk bytes before the reply\n"
           "  --bad-crc-every K    a wrong CRC\n"
           "  --wrong-code-every K a valid reply under another command code\n"
           "  --silent-every K     no reply at all\n"
           "  --drop-every K       no reply; unplug the board for --drop-ms\n"
           "  --drop-after S       unplug the board once, after S real seconds\n"
           "  --drop-ms MS         how long the board stays unplugged (default 1000)\n"
           "  --fault-command C    apply the fault switches to command C only (e.g. 0x40)\n"
           "  --help               this text\n";
}

int CSimCommandLine::Parse(const std::vector<std::string>& arguments, CArgs& args,
                           std::string& error)
{
    CArgs parsed;
    CSimOptions& o = parsed.options;
    std::vector<CSimFaultRule> faults;
    int splitPause = 100;
    long long faultCommand = -1;

    const auto every = [&faults](SimFault kind) {
        return [&faults, kind](long long k) {
            if (k < 1 || k > 1'000'000'000)
                return false;
            CSimFaultRule rule;
            rule.kind = kind;
            rule.every = static_cast<int>(k);
            faults.push_back(rule);
            return true;
        };
    };
    const std::map<std::string, std::function<bool(long long)>> integers = {
        {"--port",
         [&](long long v) {
             o.port = static_cast<int>(v);
             return v >= 0 && v <= 9999;
         }},
        {"--baud",
         [&](long long v) {
             o.baud = static_cast<int>(v);
             return v >= 0 && v <= 10'000'000;
         }},
        {"--seed",
         [&](long long v) {
             o.seed = static_cast<uint32_t>(v);
             return v >= 0 && v <= 0xFFFFFFFFLL;
         }},
        {"--split-pause",
         [&](long long v) {
             splitPause = static_cast<int>(v);
             return v >= 0 && v <= 60'000;
         }},
        {"--drop-ms",
         [&](long long v) {
             parsed.dropMs = static_cast<int>(v);
             return v >= 0 && v <= 3'600'000;
         }},
        {"--fault-command",
         [&](long long v) {
             faultCommand = v;
             return v >= 0 && v <= 255;
         }},
        {"--split-every", every(SimFault::Split)},
        {"--garbage-every", every(SimFault::Garbage)},
        {"--bad-crc-every", every(SimFault::BadCrc)},
        {"--wrong-code-every", every(SimFault::WrongCode)},
        {"--silent-every", every(SimFault::Silence)},
        {"--drop-every", every(SimFault::Drop)},
    };
    const std::map<std::string, std::function<bool(double)>> reals = {
        {"--speed",
         [&](double v) {
             o.clockSpeed = v;
             return v > 0;
         }},
        {"--rate",
         [&](double v) {
             o.pulseRate = v;
             return v >= 0;
         }},
        {"--run-after",
         [&](double v) {
             o.runAfterSeconds = v;
             return v >= 0;
         }},
        {"--run-length",
         [&](double v) {
             o.runLengthSeconds = v;
             return v >= 0;
         }},
        {"--duration",
         [&](double v) {
             parsed.durationSeconds = v;
             return v >= 0;
         }},
        {"--drop-after",
         [&](double v) {
             parsed.dropAfterSeconds = v;
             return v >= 0;
         }},
    };
    bool idle = false;
    const std::map<std::string, std::string*> texts = {
        {"--ports-dir", &o.portsDir}, {"--log", &o.requestLogPath}, {"--eeprom", &o.eepromPath}};

    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        if (name == "--help" || name == "-h") {
            parsed.help = true;
            continue;
        }
        if (name == "--run") {
            o.runAtStart = true;
            continue;
        }
        if (name == "--idle") {
            idle = true;
            continue;
        }
        const bool known = integers.count(name) || reals.count(name) || texts.count(name);
        if (!known) {
            error = "unknown option " + name;
            return 0;
        }
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return 0;
        }
        const std::string& value = arguments[++i];
        bool ok = false;
        if (auto it = integers.find(name); it != integers.end()) {
            long long v = 0;
            ok = ToLong(value, v) && it->second(v);
        } else if (auto real = reals.find(name); real != reals.end()) {
            double v = 0;
            ok = ToDouble(value, v) && real->second(v);
        } else {
            *texts.at(name) = value;
            ok = !value.empty();
        }
        if (!ok) {
            error = "invalid value for " + name + ": " + value;
            return 0;
        }
    }
    // Started by hand, the board shows a run soon, so a host sees live pulses
    // without knowing the switches.
    if (!idle && !o.runAtStart && o.runAfterSeconds < 0)
        o.runAfterSeconds = 2.0;
    for (CSimFaultRule& rule : faults) {
        rule.command = static_cast<int>(faultCommand);
        rule.pauseMs = rule.kind == SimFault::Drop ? parsed.dropMs : splitPause;
    }
    o.faults = std::move(faults);
    args = std::move(parsed);
    return 1;
}
