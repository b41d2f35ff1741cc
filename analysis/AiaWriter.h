#pragma once
// OAiaWriter: writes an AIA chromatography interchange file (ANDI, ASTM
// E1947) with netCDF-C from the thirty export values.
//
// What the file holds, and why (readers fail or misread the time axis otherwise):
//   - netCDF classic format (not netCDF-4, not 64-bit data);
//   - global text attributes: dataset_completeness ("C1" for raw data alone),
//     aia_template_revision, netcdf_revision (the library's), languages,
//     dataset_date_time_stamp and injection_date_time_stamp as
//     "YYYYMMDDhhmmss+hhmm" (local time and its offset from UTC; a time stamp
//     that is unknown is left out rather than written wrong), retention_unit
//     "seconds" or "minutes", and the descriptive values in their slots
//     (dataset_origin, dataset_owner, experiment_title, operator_name,
//     separation_experiment_type, company_method_name,
//     pre_experiment_program_name, administrative_comments, sample_id,
//     sample_name, sample_type, detection_method_table_name,
//     detector_method_comments, source_file_reference, detector_name,
//     detector_unit, raw_data_table_name); sample_injection_volume and
//     sample_amount as float attributes;
//   - dimension point_number (fixed size) and ordinate_values(point_number),
//     float, every value written and finite, uniform_sampling_flag "Y";
//   - scalar floats actual_sampling_interval, actual_delay_time,
//     actual_run_time_length, detector_maximum_value, detector_minimum_value.
//     The three times are all in the retention unit. The run time length is
//     the time of the last point, delay + (points - 1) x interval, stepped up
//     by float ulps until (run - delay) / (points - 1) is not below the
//     interval in float nor in double, nor below the decimal interval the
//     sampling rate means (readers that truncate it to whole milliseconds
//     would otherwise lose one);
//   - no dimension that could be of length 0 (a peak table adds its own
//     dimension only with peaks in it).
// The file is written under a temporary name beside the target and renamed
// over it only when complete: a failed export leaves an older file as it was.
//
// More sections (a peak table: "C2", peak_number and the peak variables) plug
// in through ISection without changing the raw-data part. A section with
// nothing to write says so with an empty category: it then adds nothing to
// the completeness and is neither defined nor put.

#include "AiaValues.h"

#include <memory>
#include <string>
#include <vector>

class OAiaWriter {
public:
    static constexpr const char* kTemplateRevision = "1.0";
    static constexpr const char* kLanguages = "English";

    // One part of the file: its completeness category, what it defines and
    // what it puts. Define runs in define mode, Put in data mode.
    class ISection {
    public:
        virtual ~ISection() = default;
        virtual std::string Category() const = 0;
        virtual int Define(int ncid, std::string& message) = 0;
        virtual int Put(int ncid, std::string& message) = 0;
    };

    // Sections written after the raw data, in the order added.
    void AddSection(std::unique_ptr<ISection> section);

    // Writes values.path. 1, or 0 with the reason in message and no file
    // left behind (an existing file at the path stays as it was).
    int Write(const OAiaValues& values, std::string& message);
    // The same with more sections for this one file, after the added ones.
    int Write(const OAiaValues& values, const std::vector<ISection*>& more, std::string& message);

    // "YYYYMMDDhhmmss+hhmm" of a moment in local time; "" when it cannot be
    // expressed.
    static std::string TimeStamp(int64_t secondsSince1970);
    // actual_run_time_length as stored (see above); interval and delay in the
    // same unit, nominal the interval the sampling rate means (0: none).
    static float RunTimeLength(float delay, float interval, double nominal, int points);
    // The netCDF library's version number ("4.9.0").
    static std::string NetcdfRevision();
    // "seconds" for "sec", "minutes" for "min"; "" for anything else.
    static std::string RetentionUnitName(const std::string& unit);

private:
    std::vector<std::unique_ptr<ISection>> m_sections;
};
