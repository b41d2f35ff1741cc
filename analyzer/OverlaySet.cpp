#include "OverlaySet.h"

#include "DVDoc.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <new>
#include <utility>

namespace {

// The gates' names a recording uses, in trace order.
QStringList GateNames(const ODVDocData& data)
{
    QStringList names;
    const int n = std::clamp<int>(data.GetWorkingConfiguration().GetNumGateModes(), 0,
                                  OChromatogram::kTraces);
    for (int m = 0; m < n; ++m)
        names << QString::fromStdString(data.GetGateDescriptors()[m].name);
    return names;
}

} // namespace

OOverlaySet::OOverlaySet(QObject* parent) : QObject(parent)
{
}

QColor OOverlaySet::Palette(int n)
{
    // Picked away from the gate colours (blue, red, green, purple, orange)
    // and from each other; darker and lighter tones alternate so that
    // neighbours in the legend stay apart on a grey-scale printout too.
    static const std::array<QColor, kMaxRuns> colors = {
        QColor(140, 86, 75),  QColor(23, 190, 207), QColor(227, 119, 194), QColor(127, 127, 127),
        QColor(188, 189, 34), QColor(20, 20, 110),  QColor(150, 0, 90)};
    const int i = ((n % kMaxRuns) + kMaxRuns) % kMaxRuns;
    return colors[static_cast<size_t>(i)];
}

int OOverlaySet::FreeColor() const
{
    for (int c = 0; c < kMaxRuns; ++c) {
        const bool used =
            std::any_of(m_runs.begin(), m_runs.end(), [c](const ORun& r) { return r.color == c; });
        if (!used)
            return c;
    }
    return 0;
}

int OOverlaySet::AddDocument(ODVDoc* doc)
{
    if (!doc || HasDocument(doc) || IsFull())
        return 0;
    ORun run;
    run.doc = doc;
    run.address = doc;
    run.label = doc->GetTitle();
    run.color = FreeColor();
    run.id = m_nNextId++;
    m_runs.push_back(std::move(run));
    // Both: a document closes before its window deletes it, and one deleted
    // without being closed must not stay behind either.
    connect(doc, &ODVDoc::closed, this, [this, doc] { RemoveDocument(doc); });
    connect(doc, &QObject::destroyed, this, [this, doc] { RemoveDocument(doc); });
    connect(doc, &ODVDoc::chromatogramChanged, this, &OOverlaySet::changed);
    emit changed();
    return 1;
}

int OOverlaySet::RemoveDocument(const ODVDoc* doc)
{
    if (!doc)
        return 0;
    // By the stored address: while a document is being destroyed its guarded
    // pointer reads null already.
    const auto it = std::find_if(m_runs.begin(), m_runs.end(),
                                 [doc](const ORun& r) { return r.address == doc; });
    if (it == m_runs.end())
        return 0;
    if (it->doc)
        disconnect(it->doc, nullptr, this, nullptr);
    m_runs.erase(it);
    emit changed();
    return 1;
}

bool OOverlaySet::HasDocument(const ODVDoc* doc) const
{
    return doc && std::any_of(m_runs.begin(), m_runs.end(),
                              [doc](const ORun& r) { return r.address == doc; });
}

int OOverlaySet::AddReference(const QString& label, OReference reference)
{
    if (IsFull())
        return 0;
    ORun run;
    run.reference = std::move(reference);
    run.label = label;
    run.color = FreeColor();
    run.id = m_nNextId++;
    m_runs.push_back(std::move(run));
    emit changed();
    return 1;
}

int OOverlaySet::GetRunId(int run) const
{
    return ValidRun(run) ? m_runs[static_cast<size_t>(run)].id : 0;
}

int OOverlaySet::RemoveRunById(int id)
{
    const auto it =
        std::find_if(m_runs.begin(), m_runs.end(), [id](const ORun& r) { return r.id == id; });
    if (it == m_runs.end())
        return 0;
    if (it->doc)
        return RemoveDocument(it->doc);
    m_runs.erase(it);
    emit changed();
    return 1;
}

void OOverlaySet::Clear()
{
    if (m_runs.empty())
        return;
    for (const ORun& run : m_runs)
        if (run.doc)
            disconnect(run.doc, nullptr, this, nullptr);
    m_runs.clear();
    emit changed();
}

QString OOverlaySet::GetLabel(int run) const
{
    return ValidRun(run) ? m_runs[static_cast<size_t>(run)].label : QString();
}

QColor OOverlaySet::GetColor(int run) const
{
    return ValidRun(run) ? Palette(m_runs[static_cast<size_t>(run)].color) : QColor();
}

ODVDoc* OOverlaySet::GetDocument(int run) const
{
    return ValidRun(run) ? m_runs[static_cast<size_t>(run)].doc.data() : nullptr;
}

void OOverlaySet::SetGate(int gate)
{
    gate = std::clamp(gate, 0, OChromatogram::kTraces - 1);
    if (gate == m_nGate)
        return;
    m_nGate = gate;
    emit changed();
}

void OOverlaySet::SetAlignStarts(bool bAlign)
{
    if (bAlign == m_bAlign)
        return;
    m_bAlign = bAlign;
    emit changed();
}

void OOverlaySet::SetNormalise(bool bNormalise)
{
    if (bNormalise == m_bNormalise)
        return;
    m_bNormalise = bNormalise;
    emit changed();
}

bool OOverlaySet::GetTrace(int run, double viewStart, double viewHighest, std::vector<double>& x,
                           std::vector<double>& y) const
{
    x.clear();
    y.clear();
    if (!ValidRun(run))
        return false;
    const ORun& r = m_runs[static_cast<size_t>(run)];
    const OChromatogram* c = nullptr;
    int gates = 0;
    if (r.doc) {
        if (!r.doc->IsOpen())
            return false;
        c = &r.doc->Data().GetChromatogram();
        gates = static_cast<int>(GateNames(r.doc->Data()).size());
    } else {
        c = &r.reference.chromatogram;
        gates = static_cast<int>(r.reference.gateNames.size());
    }
    if (m_nGate >= gates)
        return false;
    const std::vector<float>& values = c->traces[static_cast<size_t>(m_nGate)];
    const size_t n = std::min(c->times.size(), values.size());
    if (n == 0)
        return false;
    x.assign(c->times.begin(), c->times.begin() + static_cast<std::ptrdiff_t>(n));
    y.assign(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(n));
    if (m_bAlign)
        AlignStart(x, viewStart);
    if (m_bNormalise)
        Normalise(y, viewHighest);
    return true;
}

void OOverlaySet::AlignStart(std::vector<double>& x, double start)
{
    if (x.empty() || !std::isfinite(start) || !std::isfinite(x.front()))
        return;
    const double shift = start - x.front();
    for (double& v : x)
        v += shift;
}

double OOverlaySet::Highest(const std::vector<double>& y)
{
    double highest = 0.0;
    for (double v : y)
        if (std::isfinite(v) && v > highest)
            highest = v;
    return highest;
}

void OOverlaySet::Normalise(std::vector<double>& y, double highest)
{
    const double own = Highest(y);
    if (!(own > 0.0) || !(highest > 0.0) || !std::isfinite(highest))
        return;
    const double scale = highest / own;
    for (double& v : y)
        v *= scale;
}

int OOverlaySet::LoadReference(const std::string& path, const ODVDocData::Options& options,
                               OReference& reference, std::string& message, std::string& reason)
{
    try {
        ODVDocData data(options);
        if (!data.Open(path, message)) {
            reason = data.GetLastError();
            return 0;
        }
        reference.chromatogram = data.GetChromatogram();
        reference.gateNames = GateNames(data);
        // Leaving the scope closes the recording and deletes its intermediate file.
        return 1;
    } catch (const std::bad_alloc&) {
        message = ODVDocData::kNotEnoughMemory;
        reason.clear();
        return 0;
    }
}
