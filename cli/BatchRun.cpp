#include "BatchRun.h"

#include "AiaExportModel.h"
#include "AiaProfile.h"
#include "FileUtil.h"
#include "MessageService.h"
#include "OpenRecording.h"
#include "PeakTableCsv.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <exception>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <strings.h>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace cli {

namespace {

// The recording a worker thread is busy with, for the messages the libraries
// raise meanwhile.
thread_local const std::string* t_recording = nullptr;

// Library messages from every thread, one whole line each, named after the
// recording they concern.
class CLockedSink : public IMessageSink {
public:
    CLockedSink(std::ostream& out, std::mutex& lock) : m_out(out), m_lock(lock) {}
    int Show(const std::string& text, const std::string& caption, MessageIcon,
             MessageButtons buttons) override
    {
        std::string line = t_recording ? *t_recording + ": " : std::string();
        line += (caption.empty() ? "" : caption + " ") + text + "\n";
        const std::lock_guard guard(m_lock);
        m_out << line << std::flush;
        return CMessageService::HeadlessAnswer(buttons);
    }

private:
    std::ostream& m_out;
    std::mutex& m_lock;
};

std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

bool IsRecordingName(const fs::path& path)
{
    return strcasecmp(path.extension().string().c_str(), ".KLYN") == 0;
}

// The same file, whether it exists yet or not.
std::string Canonical(const std::string& path)
{
    std::error_code ec;
    const fs::path canonical = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? path : canonical.string();
}

// "path: reason" without the path the progress line names already.
std::string Reason(const std::string& path, const std::string& why)
{
    const std::string prefix = path + ": ";
    return why.rfind(prefix, 0) == 0 ? why.substr(prefix.size()) : why;
}

struct Finished {
    size_t index = 0;
    CBatchRun::Outcome outcome;
    std::unique_ptr<ODVDocData> document; // waiting for its report
};

// What the workers and the calling thread share; every member under lock.
struct Shared {
    std::mutex lock;
    std::condition_variable done; // a recording finished
    std::condition_variable room; // a report was drawn
    size_t next = 0;              // the next recording to take
    size_t waitingForReport = 0;  // documents handed over and not yet drawn
    std::deque<Finished> finished;
};

struct Plan {
    const CBatchRun::Settings* settings = nullptr;
    std::vector<std::string> names; // output names without extension
    std::set<std::string> inputs;   // canonical paths of the recordings
};

std::string OutputPath(const Plan& plan, size_t index, const char* suffix)
{
    return (fs::path(plan.settings->outFolder) / (plan.names[index] + suffix)).string();
}

// Refuses an output that is one of the recordings.
bool Replaces(const Plan& plan, const std::string& output, std::string& why)
{
    if (plan.inputs.count(Canonical(output)) == 0)
        return false;
    why = "its output " + output + " would replace a recording given; nothing was written";
    return true;
}

// Opens, detects and writes the peak table and the AIA file of one
// recording. The document stays open for its report.
void Analyse(const Plan& plan, size_t index, CBatchRun::Outcome& outcome, ODVDocData& document)
{
    const CBatchRun::Settings& s = *plan.settings;
    const std::string& path = s.recordings[index];
    const int gate = s.gate - 1;
    outcome.recording = path;
    const std::string csv = OutputPath(plan, index, "-peaks.csv");
    const std::string aia = OutputPath(plan, index, ".cdf");
    std::string why;
    if (Replaces(plan, csv, why) || Replaces(plan, aia, why) ||
        (s.pdf && Replaces(plan, OutputPath(plan, index, ".pdf"), why))) {
        outcome.reason = why;
        return;
    }
    if (!OpenRecording(document, path, s.cnfg, nullptr, why)) {
        outcome.reason = Reason(path, why);
        return;
    }
    if (!document.SetPeakParameters(s.parameters, why) || !document.DetectPeaks(gate, why)) {
        outcome.reason = "the peaks could not be found: " + why;
        return;
    }
    const std::vector<OPeak>& peaks = document.GetPeaks(gate);
    outcome.peaks = static_cast<int>(peaks.size());
    const auto largest = std::max_element(
        peaks.begin(), peaks.end(), [](const OPeak& a, const OPeak& b) { return a.area < b.area; });
    if (largest != peaks.end()) {
        outcome.retentionTime = largest->retentionTime;
        outcome.area = largest->area;
    }
    if (!OPeakTableCsv::Write(csv, peaks, why)) {
        outcome.reason = "the peak table could not be written: " + why;
        return;
    }
    outcome.csv = csv;

    OAiaExportModel model;
    const OAiaMapProfile profile; // the defaults, not what the dialog last kept
    std::string message;
    model.Init(OAiaExportModel::InputsFrom(document, gate), profile, message);
    if (!peaks.empty())
        model.SetPeaks(peaks, "Peaks found with " + s.parameters.Summary());
    if (!model.Export(aia, document.GetChromatogram(), gate, nullptr, message)) {
        outcome.reason = "the AIA file could not be written: " + message;
        return;
    }
    outcome.aia = aia;
    outcome.ok = 1;
}

void WriteReport(const Plan& plan, size_t index, CBatchRun::Outcome& outcome,
                 const ODVDocData& document)
{
    const std::string pdf = OutputPath(plan, index, ".pdf");
    std::string why;
    if (plan.settings->pdf(document, pdf, why)) {
        outcome.pdf = pdf;
    } else {
        outcome.ok = 0;
        outcome.reason = "the report could not be written: " + why;
    }
}

void Work(const Plan& plan, Shared& shared, size_t workers)
{
    const CBatchRun::Settings& s = *plan.settings;
    for (;;) {
        size_t index = 0;
        {
            std::unique_lock lock(shared.lock);
            shared.room.wait(lock, [&] { return shared.waitingForReport < workers; });
            if (shared.next >= s.recordings.size())
                return;
            index = shared.next++;
        }
        Finished item;
        item.index = index;
        item.outcome.recording = s.recordings[index];
        const std::string name = fs::path(s.recordings[index]).filename().string();
        t_recording = &name;
        try {
            item.document = std::make_unique<ODVDocData>();
            Analyse(plan, index, item.outcome, *item.document);
            if (item.outcome.ok && s.pdf && s.reportsOnWorkers)
                WriteReport(plan, index, item.outcome, *item.document);
        } catch (const std::exception& e) {
            item.outcome.ok = 0;
            item.outcome.reason = std::string("the analysis stopped: ") + e.what();
        }
        t_recording = nullptr;
        if (!item.outcome.ok || !s.pdf || s.reportsOnWorkers)
            item.document.reset();
        {
            const std::lock_guard lock(shared.lock);
            if (item.document)
                ++shared.waitingForReport;
            shared.finished.push_back(std::move(item));
        }
        shared.done.notify_one();
    }
}

} // namespace

int CBatchRun::ListRecordings(const std::vector<std::string>& args,
                              std::vector<std::string>& recordings, std::string& error)
{
    recordings.clear();
    for (const std::string& arg : args) {
        std::error_code ec;
        if (!fs::is_directory(arg, ec)) {
            recordings.push_back(arg);
            continue;
        }
        std::vector<std::string> found;
        fs::directory_iterator it(arg, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code kind;
            if (IsRecordingName(it->path()) && it->is_regular_file(kind))
                found.push_back(it->path().string());
        }
        if (ec) {
            error = "the folder " + arg + " cannot be read: " + ec.message();
            return 0;
        }
        if (found.empty()) {
            error = "the folder " + arg + " holds no recordings (.KLYN)";
            return 0;
        }
        std::sort(found.begin(), found.end());
        recordings.insert(recordings.end(), found.begin(), found.end());
    }
    return 1;
}

int CBatchRun::GetFailedCount() const
{
    return static_cast<int>(std::count_if(m_outcomes.begin(), m_outcomes.end(),
                                          [](const Outcome& o) { return !o.ok; }));
}

std::string CBatchRun::SummaryText(const std::vector<Outcome>& outcomes, int gate)
{
    std::string text = "File,Gate,Peaks,Largest peak retention time (s),"
                       "Largest peak area (counts*s),Result\n";
    for (const Outcome& o : outcomes) {
        text += CsvField(o.recording) + "," + std::to_string(gate) + ",";
        if (o.ok) {
            text += std::to_string(o.peaks) + ",";
            if (o.peaks > 0)
                text += OPeakTableCsv::Number(o.retentionTime, 4) + "," +
                        OPeakTableCsv::Number(o.area, -1);
            else
                text += ",";
            text += ",ok\n";
        } else {
            text += ",,," + CsvField(o.reason) + "\n";
        }
    }
    return text;
}

int CBatchRun::Run(const Settings& settings, std::ostream& progress, std::string& error)
{
    m_outcomes.assign(settings.recordings.size(), Outcome());
    m_strSummary.clear();
    if (settings.gate < 1 || settings.gate > 5) {
        error = "there is no gate " + std::to_string(settings.gate);
        return 0;
    }
    std::string why;
    if (!settings.parameters.Check(why)) {
        error = why;
        return 0;
    }
    std::error_code ec;
    if (fs::exists(settings.outFolder, ec) && !fs::is_directory(settings.outFolder, ec)) {
        error = settings.outFolder + " is not a folder";
        return 0;
    }
    fs::create_directories(settings.outFolder, ec);
    if (ec || !fs::is_directory(settings.outFolder)) {
        error = "the folder " + settings.outFolder + " cannot be made: " + ec.message();
        return 0;
    }

    Plan plan;
    plan.settings = &settings;
    std::set<std::string> used;
    for (const std::string& recording : settings.recordings) {
        plan.inputs.insert(Canonical(recording));
        const std::string stem = fs::path(recording).stem().string();
        std::string name = stem.empty() ? "recording" : stem;
        for (int k = 2; used.count(name); ++k)
            name = stem + "-" + std::to_string(k);
        used.insert(name);
        plan.names.push_back(name);
    }
    const std::string summary = (fs::path(settings.outFolder) / kSummaryName).string();
    if (plan.inputs.count(Canonical(summary))) {
        error = "the summary " + summary + " would replace a recording given";
        return 0;
    }

    const size_t n = settings.recordings.size();
    size_t workers = settings.workers > 0 ? static_cast<size_t>(settings.workers)
                                          : std::max(1u, std::thread::hardware_concurrency());
    workers = std::max<size_t>(1, std::min(workers, n));

    std::mutex streamLock;
    CLockedSink sink(progress, streamLock);
    IMessageSink* previous = CMessageService::SetSink(&sink);
    // The reports' application lives on this thread for the whole batch.
    const std::shared_ptr<void> scope =
        settings.pdf && settings.pdfScope ? settings.pdfScope() : nullptr;

    Shared shared;
    std::vector<std::thread> pool;
    if (n > 0)
        for (size_t w = 0; w < workers; ++w)
            pool.emplace_back(Work, std::cref(plan), std::ref(shared), workers);

    for (size_t k = 1; k <= n; ++k) {
        Finished item;
        {
            std::unique_lock lock(shared.lock);
            shared.done.wait(lock, [&] { return !shared.finished.empty(); });
            item = std::move(shared.finished.front());
            shared.finished.pop_front();
        }
        if (item.document) {
            const std::string name = fs::path(item.outcome.recording).filename().string();
            t_recording = &name;
            WriteReport(plan, item.index, item.outcome, *item.document);
            t_recording = nullptr;
            item.document.reset();
            {
                const std::lock_guard lock(shared.lock);
                --shared.waitingForReport;
            }
            shared.room.notify_all();
        }
        const std::string line = std::to_string(k) + "/" + std::to_string(n) + " " +
                                 fs::path(item.outcome.recording).filename().string() + ": " +
                                 (item.outcome.ok ? std::string("ok") : item.outcome.reason) + "\n";
        {
            const std::lock_guard lock(streamLock);
            progress << line << std::flush;
        }
        m_outcomes[item.index] = std::move(item.outcome);
    }
    for (std::thread& thread : pool)
        thread.join();
    CMessageService::SetSink(previous);

    const std::string text = SummaryText(m_outcomes, settings.gate);
    if (!CFileUtil::WriteFileDurably(
            summary, {reinterpret_cast<const uint8_t*>(text.data()), text.size()}, why)) {
        error = "the summary " + summary + " could not be written: " + why;
        return 0;
    }
    m_strSummary = summary;
    return 1;
}

} // namespace cli
