#include "BoardSimulator.h"

#include "BoardFrame.h"
#include "FilePaths.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

using Clock = CBoardSimulator::Clock;

// A host writes a request in one go; a packet still incomplete after this long is broken.
constexpr auto kQuietLine = std::chrono::milliseconds(50);
// Bound on every wait, so that nothing depends on a single missed wake-up.
constexpr auto kLongestWait = std::chrono::milliseconds(200);
constexpr auto kReconnectRetry = std::chrono::milliseconds(100);
// Replies the host has not read, beyond which new ones are dropped: a host that writes and
// never reads must not make the board hoard memory.
constexpr size_t kMaxBacklog = 256 * 1024;
// Reads per wake-up, so a host that floods the line cannot starve the run and the writer.
constexpr int kReadsPerWake = 16;

Clock::duration Seconds(double seconds)
{
    // Beyond a few decades every wait means "never"; the cap keeps the arithmetic in range.
    if (!std::isfinite(seconds) || seconds > 1e9)
        return Clock::duration::max() / 4;
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
}

std::string LinkPathFor(const CSimOptions& options)
{
    std::string folder = options.portsDir.empty() ? CFilePaths::GetPortsFolder() : options.portsDir;
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder + "/COM" + std::to_string(options.port);
}

} // namespace

CBoardSimulator::CBoardSimulator(CSimOptions options)
    : m_options(std::move(options)), m_linkPath(LinkPathFor(m_options)),
      m_generator(m_options.program, m_options.seed), m_board(m_options),
      m_run(m_options.pulseRate, m_options.runLengthSeconds), m_link(m_linkPath),
      m_writer(m_options.baud), m_garbageRandom(m_options.seed ^ 0x9E3779B9u),
      m_wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
    for (const CSimFaultRule& rule : m_options.faults)
        m_faults.AddRule(rule);
    m_board.SetStickyBits(m_options.stickyStatusBits);
    if (m_options.setReplyLatencyMs > 0.0)
        for (uint8_t command : {SIM_SET_ALL_GATES, SIM_SET_BOARD_CHANNEL_PARAM, SIM_SET_CH1_ZERO,
                                SIM_SET_CH2_ZERO, SIM_SET_TIMED_EVENT})
            m_commandLatencyMs[command] = m_options.setReplyLatencyMs;
}

CBoardSimulator::~CBoardSimulator()
{
    Stop();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

int CBoardSimulator::Start(std::string& error)
{
    std::lock_guard control(m_control);
    if (IsStarted()) {
        error = "the simulator is already running";
        return 0;
    }
    if (m_options.port < 0 || m_options.baud < 0 || !(m_options.clockSpeed > 0.0) ||
        !std::isfinite(m_options.clockSpeed) || m_options.pulseRate < 0.0) {
        error =
            "invalid options: port and baud must not be negative, the clock speed must be positive";
        return 0;
    }
    {
        std::lock_guard lock(m_lock);
        if (!m_board.LoadEeprom(error))
            return 0;
    }
    if (!m_log.Open(m_options.requestLogPath, error))
        return 0;
    if (!m_pty.Open(error) || !m_link.PointAt(m_pty.DevicePath(), error)) {
        m_pty.Close();
        m_log.Close();
        return 0;
    }
    if (m_wakeFd < 0) {
        error = "cannot create the simulator's wake-up descriptor";
        m_pty.Close();
        m_link.Remove();
        m_log.Close();
        return 0;
    }
    const auto now = Clock::now();
    m_parser.Reset();
    m_writer.Clear();
    m_rxFreeAt = now;
    m_reconnectAt.reset();
    m_txBlocked = false;
    {
        std::lock_guard lock(m_lock);
        m_startTime = now;
        m_devicePath = m_pty.DevicePath();
        ++m_counters.terminalsOpened;
        m_stopRequested = false;
        m_started = true;
        m_runAfterPending = m_options.runAfterSeconds >= 0.0;
        if (m_options.runAtStart)
            BeginRunLocked(now);
    }
    m_thread = std::thread([this] { Loop(); });
    return 1;
}

void CBoardSimulator::Stop()
{
    std::lock_guard control(m_control);
    {
        std::lock_guard lock(m_lock);
        if (!m_started)
            return;
        m_stopRequested = true;
    }
    m_changed.notify_all();
    Wake();
    if (m_thread.joinable())
        m_thread.join();
    m_pty.Close();
    m_link.Remove();
    m_log.Close();
    m_writer.Clear();
    m_parser.Reset();
    {
        std::lock_guard lock(m_lock);
        m_started = false;
        m_devicePath.clear();
    }
    m_changed.notify_all();
}

bool CBoardSimulator::IsStarted() const
{
    std::lock_guard lock(m_lock);
    return m_started;
}

std::string CBoardSimulator::GetDevicePath() const
{
    std::lock_guard lock(m_lock);
    return m_devicePath;
}

void CBoardSimulator::Wake() const
{
    if (m_wakeFd >= 0) {
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wakeFd, &one, sizeof(one));
    }
}

// ---- run --------------------------------------------------------------------------------

void CBoardSimulator::StartRun()
{
    {
        std::lock_guard lock(m_lock);
        BeginRunLocked(Clock::now());
    }
    m_changed.notify_all();
    Wake();
}

void CBoardSimulator::StopRun()
{
    {
        std::lock_guard lock(m_lock);
        EndRunLocked();
    }
    m_changed.notify_all();
}

bool CBoardSimulator::IsRunning() const
{
    std::lock_guard lock(m_lock);
    return m_run.IsActive();
}

void CBoardSimulator::BeginRunLocked(Clock::time_point now)
{
    if (m_run.IsActive())
        return;
    m_runAfterPending = false;
    m_run.Begin(m_board.Parameters().Events());
    m_runStart = now;
    m_board.SetRunning(true);
    ++m_counters.runsStarted;
}

void CBoardSimulator::EndRunLocked()
{
    if (!m_run.IsActive())
        return;
    m_run.End();
    m_board.SetRunning(false);
    ++m_counters.runsEnded;
}

void CBoardSimulator::ApplyEventLocked(const CTimedEventData& event)
{
    ++m_counters.eventsExecuted;
    CByteArray& block = m_board.Parameters().boardChannel;
    const int channel = event.GetEventChannel();
    switch (event.GetEventCode()) {
    case EC_IGNITOR_CURRENT:
        CBoardBlocks::PutField(block, CBoardBlocks::kIgnitorOffset, 2,
                               static_cast<uint32_t>(std::lround(event.GetEventValue() * 1000.0)));
        break;
    case EC_GATE_SELECTION:
        if (channel == 1 || channel == 2)
            CBoardBlocks::PutField(block, CBoardBlocks::kGateIndexOffset[channel - 1], 2,
                                   static_cast<uint32_t>(std::lround(event.GetEventValue())));
        break;
    default:
        // Record marks are the host's business; the run's end is handled by the run itself.
        break;
    }
}

void CBoardSimulator::ServiceLocked(Clock::time_point now)
{
    if (m_runAfterPending && now >= m_startTime + Seconds(m_options.runAfterSeconds))
        BeginRunLocked(now);
    if (!m_run.IsActive())
        return;
    const double runSeconds =
        std::chrono::duration<double>(now - m_runStart).count() * m_options.clockSpeed;
    const CGcRun::CStep step = m_run.Advance(runSeconds);
    if (step.newPulses > 0) {
        // Pulses the host had no time to fetch are lost for good: only the newest is kept,
        // and the gap in the indexes shows how many went missing.
        m_counters.pulsesFired += step.newPulses;
        const auto index = static_cast<uint32_t>(m_counters.pulsesFired);
        const int32_t time = CGcRun::Hundredths(step.lastPulseSeconds);
        m_board.SetPulse(m_generator.Generate(index, time, step.lastPulseSeconds));
        m_latestPulse = {index, time};
    }
    for (const CTimedEventData& event : step.events)
        ApplyEventLocked(event);
    if (step.ended) {
        m_board.SetRunning(false);
        ++m_counters.runsEnded;
    }
    if (step.newPulses > 0 || !step.events.empty() || step.ended)
        m_changed.notify_all();
}

// ---- status, faults, state ---------------------------------------------------------------

void CBoardSimulator::SetStatusBits(uint16_t bits)
{
    std::lock_guard lock(m_lock);
    m_board.SetStatusBits(bits);
}

void CBoardSimulator::ClearStatusBits(uint16_t bits)
{
    std::lock_guard lock(m_lock);
    m_board.ClearStatusBits(bits);
}

void CBoardSimulator::SetStickyStatusBits(uint16_t bits)
{
    std::lock_guard lock(m_lock);
    m_board.SetStickyBits(bits);
}

uint16_t CBoardSimulator::GetStatus() const
{
    std::lock_guard lock(m_lock);
    return m_board.GetStatus();
}

int CBoardSimulator::AddFault(const CSimFaultRule& rule)
{
    std::lock_guard lock(m_lock);
    return m_faults.AddRule(rule);
}

void CBoardSimulator::RemoveFault(int id)
{
    std::lock_guard lock(m_lock);
    m_faults.RemoveRule(id);
}

void CBoardSimulator::ClearFaults()
{
    std::lock_guard lock(m_lock);
    m_faults.Clear();
}

int CBoardSimulator::DropLink(int downMs)
{
    std::unique_lock lock(m_lock);
    if (!m_started || m_stopRequested)
        return 0;
    const uint64_t target = m_dropsDone + 1;
    m_dropRequestMs = std::max(0, downMs);
    Wake();
    // Generous: the I/O thread answers within one wake-up, even on a loaded machine.
    m_changed.wait_for(lock, std::chrono::seconds(30),
                       [&] { return m_dropsDone >= target || m_stopRequested; });
    return m_dropsDone >= target ? 1 : 0;
}

CSimBoardSnapshot CBoardSimulator::GetState() const
{
    std::lock_guard lock(m_lock);
    return m_board.Snapshot();
}

void CBoardSimulator::SetParameters(const CSimParameterSet& set)
{
    std::lock_guard lock(m_lock);
    m_board.SetParameters(set);
}

void CBoardSimulator::SetGates(const CGateParameters& gates)
{
    std::lock_guard lock(m_lock);
    m_board.Parameters().gates = CBoardBlocks::EncodeGates(gates);
}

void CBoardSimulator::SetBoardAndChannel(const CBoardParameters& board,
                                         const CChannelParameters& channels)
{
    std::lock_guard lock(m_lock);
    m_board.Parameters().boardChannel = CBoardBlocks::EncodeBoardChannel(board, channels);
}

void CBoardSimulator::SetTimedEvents(const CTimedEvent& events)
{
    std::lock_guard lock(m_lock);
    m_board.Parameters().events = CBoardBlocks::EncodeEvents(events);
}

void CBoardSimulator::SetRevisions(const std::string& firmware, const std::string& board)
{
    std::lock_guard lock(m_lock);
    m_board.SetRevisions(firmware, board);
}

void CBoardSimulator::SetReplyOverride(uint8_t command, std::optional<CByteArray> payload)
{
    std::lock_guard lock(m_lock);
    m_board.SetReplyOverride(command, std::move(payload));
}

void CBoardSimulator::SetCommandLatency(uint8_t command, std::optional<double> milliseconds)
{
    std::lock_guard lock(m_lock);
    const bool setCommand = command == SIM_SET_ALL_GATES ||
                            command == SIM_SET_BOARD_CHANNEL_PARAM || command == SIM_SET_CH1_ZERO ||
                            command == SIM_SET_CH2_ZERO || command == SIM_SET_TIMED_EVENT;
    if (milliseconds)
        m_commandLatencyMs[command] = std::max(0.0, *milliseconds);
    else if (setCommand && m_options.setReplyLatencyMs > 0.0)
        m_commandLatencyMs[command] = m_options.setReplyLatencyMs;
    else
        m_commandLatencyMs.erase(command);
}

void CBoardSimulator::SetRawReply(uint8_t command, std::optional<CByteArray> wireBytes)
{
    std::lock_guard lock(m_lock);
    if (wireBytes)
        m_rawReplies[command] = std::move(*wireBytes);
    else
        m_rawReplies.erase(command);
}

std::vector<CSimSentPulse> CBoardSimulator::GetSentPulses() const
{
    std::lock_guard lock(m_lock);
    return m_sentPulses;
}

CSimCounters CBoardSimulator::GetCounters() const
{
    std::lock_guard lock(m_lock);
    return m_counters;
}

uint64_t CBoardSimulator::GetRequestCount(int command) const
{
    std::lock_guard lock(m_lock);
    if (command < 0 || command > 255)
        return m_counters.requests;
    return m_counters.requestsByCommand[static_cast<size_t>(command)];
}

bool CBoardSimulator::WaitForRequests(uint64_t count, std::chrono::milliseconds timeout,
                                      int command) const
{
    return WaitFor(
        [&](const CSimCounters& c) {
            if (command < 0 || command > 255)
                return c.requests >= count;
            return c.requestsByCommand[static_cast<size_t>(command)] >= count;
        },
        timeout);
}

bool CBoardSimulator::WaitFor(const std::function<bool(const CSimCounters&)>& done,
                              std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, timeout, [&] { return done(m_counters); });
}

// ---- I/O thread ---------------------------------------------------------------------------

double CBoardSimulator::SecondsSinceStart(Clock::time_point now) const
{
    return std::chrono::duration<double>(now - m_startTime).count();
}

void CBoardSimulator::Loop()
{
    for (;;) {
        auto now = Clock::now();
        Clock::time_point wake;
        {
            std::lock_guard lock(m_lock);
            if (m_stopRequested)
                break;
            if (m_dropRequestMs >= 0) {
                DropLocked(now, m_dropRequestMs);
                m_dropRequestMs = -1;
            }
            ServiceLocked(now);
        }
        if (!m_pty.IsOpen() && m_reconnectAt && now >= *m_reconnectAt)
            Reconnect(now);
        if (m_parser.HasPartial() && now - m_lastRxAt >= kQuietLine) {
            std::vector<CFrameParser::CItem> items;
            m_parser.Flush(items);
            HandleItems(items, now);
        }
        Transmit(now);
        {
            std::lock_guard lock(m_lock);
            wake = NextWakeLocked(now);
        }

        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_pty.Master(), POLLIN, 0}};
        nfds_t count = 1;
        if (m_pty.IsOpen()) {
            fds[1].events = static_cast<short>(POLLIN | (m_txBlocked ? POLLOUT : 0));
            count = 2;
        }
        const auto wait = std::max(Clock::duration::zero(), wake - Clock::now());
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
        timespec timeout{static_cast<time_t>(ns / 1'000'000'000),
                         static_cast<long>(ns % 1'000'000'000)};
        const int ready = ::ppoll(fds, count, &timeout, nullptr);
        if (ready <= 0)
            continue;
        if (fds[0].revents & POLLIN) {
            uint64_t value = 0;
            [[maybe_unused]] const ssize_t n = ::read(fds[0].fd, &value, sizeof(value));
        }
        if (count == 2 && fds[1].revents != 0) {
            now = Clock::now();
            if (fds[1].revents & POLLOUT)
                m_txBlocked = false;
            if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
                ReadRequests(now);
        }
    }
}

Clock::time_point CBoardSimulator::NextWakeLocked(Clock::time_point now) const
{
    Clock::time_point wake = now + kLongestWait;
    if (!m_txBlocked) {
        if (const auto tx = m_writer.NextWake(now))
            wake = std::min(wake, *tx);
    }
    if (m_run.IsActive()) {
        const double due = m_run.NextDue();
        if (std::isfinite(due))
            wake = std::min(wake, m_runStart + Seconds(due / m_options.clockSpeed));
    }
    if (m_runAfterPending)
        wake = std::min(wake, m_startTime + Seconds(m_options.runAfterSeconds));
    if (!m_pty.IsOpen() && m_reconnectAt)
        wake = std::min(wake, *m_reconnectAt);
    if (m_parser.HasPartial())
        wake = std::min(wake, m_lastRxAt + kQuietLine);
    return wake;
}

void CBoardSimulator::ReadRequests(Clock::time_point now)
{
    uint8_t buffer[4096];
    for (int i = 0; i < kReadsPerWake && m_pty.IsOpen(); ++i) {
        const ssize_t n = ::read(m_pty.Master(), buffer, sizeof(buffer));
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
                // The terminal broke under us: start afresh on a new one.
                std::lock_guard lock(m_lock);
                DropLocked(now, 0);
            }
            return;
        }
        const auto count = static_cast<size_t>(n);
        {
            std::lock_guard lock(m_lock);
            m_counters.bytesReceived += count;
        }
        // The request's last byte reaches the board when the line has carried it.
        m_rxFreeAt = std::max(m_rxFreeAt, now) + m_writer.WireTime(count);
        m_lastRxAt = now;
        std::vector<CFrameParser::CItem> items;
        m_parser.Feed(buffer, count, items);
        HandleItems(items, m_rxFreeAt);
        if (count < sizeof(buffer))
            return;
    }
}

void CBoardSimulator::HandleItems(std::vector<CFrameParser::CItem>& items,
                                  Clock::time_point arrival)
{
    if (items.empty())
        return;
    {
        std::lock_guard lock(m_lock);
        for (const CFrameParser::CItem& item : items) {
            if (!HandleRequestLocked(item, arrival))
                break;
        }
    }
    m_changed.notify_all();
}

CByteArray CBoardSimulator::Garbage(int count)
{
    // Never a start byte or a CR LF: the fault is "junk before the reply", not a second packet.
    std::uniform_int_distribution<int> byte(0, 255);
    CByteArray bytes;
    while (static_cast<int>(bytes.size()) < count) {
        const auto b = static_cast<uint8_t>(byte(m_garbageRandom));
        if (b != CBoardFrame::kStart && b != CBoardFrame::kCR && b != CBoardFrame::kLF)
            bytes.push_back(b);
    }
    return bytes;
}

bool CBoardSimulator::HandleRequestLocked(const CFrameParser::CItem& item,
                                          Clock::time_point arrival)
{
    const double seconds = SecondsSinceStart(arrival);
    if (!item.valid) {
        ++m_counters.badRequests;
        m_counters.bytesDiscarded += item.discarded.size();
        m_log.Discarded(seconds, item.discarded, item.reason);
        return true;
    }
    ++m_counters.requests;
    ++m_counters.requestsByCommand[item.command];
    m_log.Request(seconds, item.command, item.payload);

    const CFaultPlan::CDecision fault = m_faults.Decide(item.command);
    m_counters.faults = m_faults.Counts();
    if (fault.drop) {
        DropLocked(Clock::now(), fault.dropMs);
        return false;
    }
    if (fault.silence)
        return true;

    CBoardState::CEffects effects;
    const CByteArray reply = m_board.Handle(item.command, item.payload, effects);
    if (effects.unknownCommand)
        ++m_counters.unknownCommands;
    if (effects.badPayload)
        ++m_counters.badPayloads;
    if (effects.pulseFetched)
        ++m_counters.pulsesFetched;
    if (effects.runEnded)
        EndRunLocked();
    if (!effects.eepromError.empty())
        ++m_counters.eepromWriteFailures;

    CByteArray packet;
    if (const auto raw = m_rawReplies.find(item.command); raw != m_rawReplies.end()) {
        packet = raw->second;
    } else {
        packet = CBoardFrame::Build(fault.wrongCode ? item.command ^ 0x80 : item.command, reply);
        if (fault.badCrc) {
            packet[packet.size() - 4] ^= 0xFF;
            packet[packet.size() - 3] ^= 0xFF;
        }
    }
    if (fault.garbageBytes > 0) {
        CByteArray junk = Garbage(fault.garbageBytes);
        packet.insert(packet.begin(), junk.begin(), junk.end());
    }
    if (m_writer.Backlog() + packet.size() > kMaxBacklog) {
        ++m_counters.repliesDropped;
        return true;
    }
    const bool intact = !fault.badCrc && !fault.wrongCode && m_rawReplies.count(item.command) == 0;
    if (effects.pulseFetched && intact && m_latestPulse.index > 0)
        m_sentPulses.push_back(m_latestPulse);
    std::vector<CByteArray> pieces;
    if (fault.split && packet.size() > 1) {
        const auto at = static_cast<std::ptrdiff_t>(std::clamp<size_t>(
            static_cast<size_t>(std::max(1, fault.splitAt)), 1, packet.size() - 1));
        pieces.emplace_back(packet.begin(), packet.begin() + at);
        pieces.emplace_back(packet.begin() + at, packet.end());
    } else {
        pieces.push_back(std::move(packet));
    }
    double latencyMs = std::max(0.0, m_options.replyLatencyMs);
    if (const auto extra = m_commandLatencyMs.find(item.command); extra != m_commandLatencyMs.end())
        latencyMs += extra->second;
    const auto latency = Seconds(latencyMs / 1000.0);
    m_writer.Queue(std::move(pieces), arrival + latency, std::chrono::milliseconds(fault.pauseMs));
    return true;
}

void CBoardSimulator::Transmit(Clock::time_point now)
{
    if (!m_pty.IsOpen() || m_writer.Idle() || m_txBlocked)
        return;
    const int master = m_pty.Master();
    const auto result = m_writer.Pump(
        now, [master](const uint8_t* data, size_t count) { return ::write(master, data, count); });
    m_txBlocked = result.blocked;
    if (result.bytes == 0 && result.repliesDone == 0 && !result.failed)
        return;
    {
        std::lock_guard lock(m_lock);
        m_counters.bytesSent += result.bytes;
        m_counters.replies += static_cast<uint64_t>(result.repliesDone);
        if (result.failed)
            DropLocked(now, 0);
    }
    m_changed.notify_all();
}

void CBoardSimulator::DropLocked(Clock::time_point now, int downMs)
{
    m_pty.Close();
    std::string error;
    m_link.PointAt(CPortLink::kNowhere, error);
    m_writer.Clear();
    m_parser.Reset();
    m_txBlocked = false;
    m_reconnectAt = now + std::chrono::milliseconds(std::max(0, downMs));
    m_devicePath.clear();
    ++m_counters.linkDrops;
    ++m_dropsDone;
    m_changed.notify_all();
}

void CBoardSimulator::Reconnect(Clock::time_point now)
{
    std::string error;
    if (!m_pty.Open(error) || !m_link.PointAt(m_pty.DevicePath(), error)) {
        m_pty.Close();
        m_reconnectAt = now + kReconnectRetry;
        return;
    }
    m_reconnectAt.reset();
    m_rxFreeAt = now;
    {
        std::lock_guard lock(m_lock);
        m_devicePath = m_pty.DevicePath();
        ++m_counters.terminalsOpened;
    }
    m_changed.notify_all();
}
