#include "AiaWriter.h"

#include <netcdf.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The raw data: the values, their time axis and the detector's range.
class CRawDataSection : public OAiaWriter::ISection {
public:
    CRawDataSection(const OAiaValues& values, float interval, float runLength)
        : m_values(values), m_fInterval(interval), m_fRunLength(runLength)
    {
    }

    std::string Category() const override { return "C1"; }

    int Define(int ncid, std::string& message) override
    {
        int dim = 0;
        if (!Check(nc_def_dim(ncid, "point_number", static_cast<size_t>(m_values.count), &dim),
                   "point_number", message))
            return 0;
        const char* scalars[] = {"actual_sampling_interval", "actual_delay_time",
                                 "actual_run_time_length", "detector_maximum_value",
                                 "detector_minimum_value"};
        for (size_t i = 0; i < std::size(scalars); ++i)
            if (!Check(nc_def_var(ncid, scalars[i], NC_FLOAT, 0, nullptr, &m_scalars[i]),
                       scalars[i], message))
                return 0;
        return Check(nc_def_var(ncid, "ordinate_values", NC_FLOAT, 1, &dim, &m_ordinate),
                     "ordinate_values", message) &&
               Check(nc_put_att_text(ncid, m_ordinate, "uniform_sampling_flag", 1, "Y"),
                     "uniform_sampling_flag", message);
    }

    int Put(int ncid, std::string& message) override
    {
        const float scalars[] = {m_fInterval, m_values.delayTime, m_fRunLength,
                                 m_values.maximumValue, m_values.minimumValue};
        for (size_t i = 0; i < std::size(scalars); ++i)
            if (!Check(nc_put_var_float(ncid, m_scalars[i], &scalars[i]), "a scalar", message))
                return 0;
        return Check(nc_put_var_float(ncid, m_ordinate, m_values.values.data()), "ordinate_values",
                     message);
    }

    static int Check(int status, const char* what, std::string& message)
    {
        if (status == NC_NOERR)
            return 1;
        message = std::string("cannot write ") + what + ": " + nc_strerror(status);
        return 0;
    }

private:
    const OAiaValues& m_values;
    float m_fInterval;
    float m_fRunLength;
    int m_scalars[5] = {};
    int m_ordinate = 0;
};

// netCDF-C keeps its open files in process-wide tables and is not safe to
// call from two threads at once (a batch exports on every core): files are
// written one at a time.
std::mutex g_netcdfLock;

int PutText(int ncid, const char* name, const std::string& value, std::string& message)
{
    return CRawDataSection::Check(
        nc_put_att_text(ncid, NC_GLOBAL, name, value.size(), value.data()), name, message);
}

int PutFloat(int ncid, const char* name, float value, std::string& message)
{
    return CRawDataSection::Check(nc_put_att_float(ncid, NC_GLOBAL, name, NC_FLOAT, 1, &value),
                                  name, message);
}

float ParseNumber(const std::string& text)
{
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) ? static_cast<float>(value) : 0.0f;
}

// The mode new files get: 0666 less the process's umask (read without changing it).
mode_t NewFileMode()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0)
            return static_cast<mode_t>(0666 & ~std::strtol(line.c_str() + 6, nullptr, 8));
    return 0644;
}

// Whether (run - delay) / steps reaches each interval, in float and in double.
bool Covers(float run, float delay, float interval, double nominal, int steps)
{
    if (steps <= 0)
        return static_cast<double>(run) >= static_cast<double>(delay);
    const float spanF = run - delay;
    const double spanD = static_cast<double>(run) - static_cast<double>(delay);
    return spanF / static_cast<float>(steps) >= interval &&
           spanF >= static_cast<float>(steps) * interval &&
           spanD / steps >= static_cast<double>(interval) && spanD / steps >= nominal;
}

} // namespace

void OAiaWriter::AddSection(std::unique_ptr<ISection> section)
{
    if (section)
        m_sections.push_back(std::move(section));
}

std::string OAiaWriter::TimeStamp(int64_t secondsSince1970)
{
    const auto seconds = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (!localtime_r(&seconds, &local))
        return std::string();
    char text[32];
    if (std::strftime(text, sizeof text, "%Y%m%d%H%M%S", &local) != 14)
        return std::string();
    const long offset = local.tm_gmtoff;
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char zone[48];
    std::snprintf(zone, sizeof zone, "%c%02ld%02ld", offset < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return std::string(text) + zone;
}

float OAiaWriter::RunTimeLength(float delay, float interval, double nominal, int points)
{
    const int steps = points > 1 ? points - 1 : 0;
    float run = static_cast<float>(static_cast<double>(delay) +
                                   static_cast<double>(steps) * static_cast<double>(interval));
    for (int i = 0; i < 64 && !Covers(run, delay, interval, nominal, steps); ++i)
        run = std::nextafter(run, INFINITY);
    return run;
}

std::string OAiaWriter::NetcdfRevision()
{
    const std::string version = nc_inq_libvers();
    const size_t end = version.find_first_not_of("0123456789.");
    return version.substr(0, end);
}

std::string OAiaWriter::RetentionUnitName(const std::string& unit)
{
    if (unit == "sec")
        return "seconds";
    if (unit == "min")
        return "minutes";
    return std::string();
}

int OAiaWriter::Write(const OAiaValues& values, std::string& message)
{
    return Write(values, {}, message);
}

int OAiaWriter::Write(const OAiaValues& values, const std::vector<ISection*>& more,
                      std::string& message)
{
    const std::string unit = RetentionUnitName(values.retentionUnit);
    if (unit.empty()) {
        message = "The retention unit \"" + values.retentionUnit + "\" is neither sec nor min.";
        return 0;
    }
    if (values.count < 1 || static_cast<size_t>(values.count) > values.values.size()) {
        message = "The export holds " + std::to_string(values.count) + " values but " +
                  std::to_string(values.values.size()) + " were produced.";
        return 0;
    }
    for (int32_t i = 0; i < values.count; ++i)
        if (!std::isfinite(values.values[static_cast<size_t>(i)])) {
            message = "Value " + std::to_string(i + 1) + " of the export is not a number.";
            return 0;
        }
    if (!std::isfinite(values.samplingInterval) || values.samplingInterval <= 0.0f ||
        !std::isfinite(values.delayTime)) {
        message = "The export's sampling interval or delay time is not usable.";
        return 0;
    }

    // Every time in the file is in the retention unit.
    const bool minutes = values.retentionUnit == "min";
    const float interval = minutes ? values.samplingInterval / 60.0f : values.samplingInterval;
    double nominal = 0.0;
    const double rate = std::round(1.0 / static_cast<double>(values.samplingInterval));
    if (rate >= 1.0 && std::fabs(1.0 / static_cast<double>(values.samplingInterval) - rate) < 1e-3)
        nominal = (1.0 / rate) / (minutes ? 60.0 : 1.0);
    const float runLength = RunTimeLength(values.delayTime, interval, nominal, values.count);

    const std::filesystem::path target(values.path);
    std::string folder = target.parent_path().string();
    if (folder.empty())
        folder = ".";
    std::string temporary = folder + "/." + target.filename().string() + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        message = "Cannot write in " + folder + ": " + std::strerror(errno);
        return 0;
    }
    ::fchmod(fd, NewFileMode());
    ::close(fd);

    const std::lock_guard netcdf(g_netcdfLock);
    int ncid = -1;
    const auto fail = [&](const std::string& why) {
        if (ncid >= 0)
            nc_abort(ncid);
        std::remove(temporary.c_str());
        message = "Cannot write " + values.path + ": " + why;
        return 0;
    };
    int status = nc_create(temporary.c_str(), NC_CLOBBER, &ncid);
    if (status != NC_NOERR) {
        ncid = -1;
        return fail(nc_strerror(status));
    }
    int format = 0;
    if (nc_inq_format(ncid, &format) != NC_NOERR || format != NC_FORMAT_CLASSIC)
        return fail("the netCDF library does not write the classic format");
    int oldFill = 0;
    nc_set_fill(ncid, NC_NOFILL, &oldFill);

    std::vector<ISection*> sections;
    CRawDataSection raw(values, interval, runLength);
    sections.push_back(&raw);
    for (const auto& section : m_sections)
        sections.push_back(section.get());
    for (ISection* section : more)
        if (section)
            sections.push_back(section);
    // A section with nothing to write (an empty peak table) is left out.
    std::erase_if(sections, [](ISection* section) { return section->Category().empty(); });
    std::string completeness;
    for (ISection* section : sections)
        completeness += (completeness.empty() ? "" : "+") + section->Category();

    std::string why;
    const std::pair<const char*, std::string> texts[] = {
        {"dataset_completeness", completeness},
        {"aia_template_revision", kTemplateRevision},
        {"netcdf_revision", NetcdfRevision()},
        {"languages", kLanguages},
        {"administrative_comments", values.comments},
        {"dataset_origin", values.datasetOrigin},
        {"dataset_owner", values.datasetOwner},
        {"dataset_date_time_stamp",
         values.datasetTimeStamp ? TimeStamp(*values.datasetTimeStamp) : std::string()},
        {"injection_date_time_stamp",
         values.injectionTimeStamp ? TimeStamp(*values.injectionTimeStamp) : std::string()},
        {"experiment_title", values.experimentTitle},
        {"operator_name", values.operatorName},
        {"separation_experiment_type", values.separationExperimentType},
        {"company_method_name", values.gcMethodName},
        {"pre_experiment_program_name", values.acquisitionMethod},
        {"source_file_reference", values.detectorMethod},
        {"sample_id", values.sampleId},
        {"sample_name", values.sampleName},
        {"sample_type", values.sampleType},
        {"detection_method_table_name", values.detectorMode},
        {"detector_method_comments", values.gateParameters},
        {"detector_name", values.detectorName},
        {"detector_unit", values.units},
        {"raw_data_table_name", values.rawDataFileName},
        {"retention_unit", unit},
    };
    for (const auto& [name, text] : texts) {
        const bool stamp = std::strstr(name, "date_time_stamp") != nullptr;
        if (stamp && text.empty())
            continue; // unknown: left out rather than written wrong
        if (!PutText(ncid, name, text, why))
            return fail(why);
    }
    if (!PutFloat(ncid, "sample_injection_volume", ParseNumber(values.injectionVolume), why) ||
        !PutFloat(ncid, "sample_amount", ParseNumber(values.amount), why))
        return fail(why);

    for (ISection* section : sections)
        if (!section->Define(ncid, why))
            return fail(why);
    status = nc_enddef(ncid);
    if (status != NC_NOERR)
        return fail(nc_strerror(status));
    for (ISection* section : sections)
        if (!section->Put(ncid, why))
            return fail(why);
    status = nc_close(ncid);
    ncid = -1;
    if (status != NC_NOERR)
        return fail(nc_strerror(status));
    if (std::rename(temporary.c_str(), values.path.c_str()) != 0)
        return fail(std::strerror(errno));
    return 1;
}
