#pragma once
// What a simulated board is like: its port, line speed, run clock, sample program and the
// faults it injects.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One compound of the sample program: where it elutes and how brightly it shows in each of
// the three emission channels (fast, medium, slow light; see CPulseGenerator).
struct CSimCompound {
    std::string name;
    double retentionSeconds = 0.0;    // run clock
    double widthSeconds = 1.0;        // Gaussian sigma, run clock
    std::array<double, 3> response{}; // peak height in sample counts per emission channel
};

enum class SimFault {
    Split,     // the reply in two pieces with a pause between them
    Garbage,   // junk bytes (never 0x02, 0x0D or 0x0A) before the reply
    BadCrc,    // the CRC field inverted
    WrongCode, // a well-formed reply under another command code (request code XOR 0x80)
    Silence,   // no reply; the board behaves as if the request never arrived
    Drop,      // no reply; the pseudo-terminal is closed and reopened (see DropLink)
    Mixed,     // each strike the next of: split, garbage, bad CRC, wrong code, silence,
               // garbage and split together (counted under the kinds it applied)
};
inline constexpr int kSimFaultKinds = 7;

// "split", "garbage", "bad CRC", "wrong code", "silence", "drop", "mixed"
const char* SimFaultName(SimFault kind);

// When a fault strikes. Only replies to requests of `command` count (-1: every command).
// With `every` = K > 0 every Kth such reply is hit; with `count` = N > 0 at most N are hit
// (with every = 0: the next N). With neither, every such reply is hit until the rule is removed.
struct CSimFaultRule {
    SimFault kind = SimFault::Silence;
    int count = 0;
    int every = 0;
    int command = -1;
    int pauseMs = 100;    // Split: the pause between pieces; Drop: how long the link stays down
    int splitAt = 8;      // Split: bytes in the first piece (kept inside the reply)
    int garbageBytes = 5; // Garbage: how many
};

// The defaults give a healthy board on COM1 at 57600 baud that waits to be told to run.
struct CSimOptions {
    int port = 1;                // the link is <portsDir>/COM<port>
    std::string portsDir;        // empty: CFilePaths::GetPortsFolder()
    int baud = 57600;            // 8N1, 10 bit times per byte; 0: no pacing
    double replyLatencyMs = 1.0; // the board's own time to answer after a request's last byte
    double clockSpeed = 1.0;     // run clock seconds per real second
    double pulseRate = 7.0;      // pulses per run-clock second
    double runAfterSeconds = -1; // start a run this many real seconds after Start; < 0 never
    bool runAtStart = false;
    double runLengthSeconds = 0; // run-clock seconds until the run ends by itself; 0: never
    uint32_t seed = 1;           // every random number comes from this
    std::string requestLogPath;  // one line per request received; empty: no log
    std::string eepromPath;      // where 0x60 keeps the saved set across runs; empty: memory only
    // Status bits reported on every status request whatever the board does: 0x0100 gives a
    // board that keeps announcing a new pulse (and answers 0x40 with its latest pulse, new
    // or not, as a real board does).
    uint16_t stickyStatusBits = 0;
    // Extra time the board takes to acknowledge the set commands (0x10, 0x12, 0x14, 0x15,
    // 0x20), as when it writes its parameter memory.
    double setReplyLatencyMs = 0.0;
    std::string firmwareRevision = "21";
    std::string boardRevision = "B3";
    std::vector<CSimCompound> program = DefaultProgram();
    std::vector<CSimFaultRule> faults;

    // Four compounds in the first 30 s: one bright in fast light, one in medium, one in
    // slow light, and a late one in all three.
    static std::vector<CSimCompound> DefaultProgram()
    {
        return {
            {"fast emitter", 6.0, 0.4, {120000.0, 15000.0, 4000.0}},
            {"medium emitter", 12.0, 0.6, {10000.0, 90000.0, 12000.0}},
            {"slow emitter", 18.5, 0.8, {5000.0, 10000.0, 150000.0}},
            {"broad mixture", 25.0, 1.2, {50000.0, 50000.0, 50000.0}},
        };
    }
};
