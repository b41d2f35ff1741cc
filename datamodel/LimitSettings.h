#pragma once
// The four limit lines of the live plot and their file, "GeneralSettings.cfg"
// in the instrument's Config folder. The file is an object archive with no
// header of its own, little-endian:
//
//   offset  size  field
//    0      4     int32, always 1 (not checked on reading)
//    4      8     limit 1 position, double, milliseconds
//   12      8     limit 2 position
//   20      8     limit 3 position
//   28      8     limit 4 position
//
// 36 bytes in all. A file that is shorter or longer, or that holds a position
// that is not a number, is damaged: loading it fails and changes nothing, so
// the lines stay where they were (at first the defaults 6, 12, 2 and 4 ms).

#include "Archive.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

class CLimitSettings {
public:
    static constexpr int kLimitCount = 4;
    static constexpr size_t kFileSize = 36;
    static constexpr std::array<double, kLimitCount> kDefaults{6.0, 12.0, 2.0, 4.0};

    CLimitSettings() = default;

    // Position of limit n (0..3) in milliseconds; 0 for any other n.
    double GetPosition(int n) const;
    void SetPosition(int n, double dPosition);
    const std::array<double, kLimitCount>& GetPositions() const { return m_positions; }
    void SetDefaults() { m_positions = kDefaults; }

    void Serialize(CArchiveWriter& archive) const;
    // 1 and the positions replaced, or 0 with this record untouched.
    int Serialize(CArchiveReader& archive);

    std::vector<uint8_t> ToBytes() const;
    int FromBytes(std::span<const uint8_t> bytes, std::string& msg);
    // Both return 1, or 0 with a reason in msg; a failed load changes nothing.
    int LoadFromFile(const std::string& path, std::string& msg);
    int SaveToFile(const std::string& path, std::string& msg) const;

    // The chart places limit lines in percent of the visible x span, counted
    // from the x minimum. A span of 0 or less has no percent scale: 0 then.
    static double ToPercent(double dPosition, double dXMin, double dSpan);
    static double FromPercent(double dPercent, double dXMin, double dSpan);
    // Limits are shown only inside the visible x range, ends included.
    static bool IsInRange(double dPosition, double dXMin, double dXMax);

private:
    std::array<double, kLimitCount> m_positions = kDefaults;
};
