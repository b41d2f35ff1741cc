#include "LimitSettings.h"

#include <cmath>
#include <filesystem>

namespace {

constexpr int32_t kLeadingValue = 1;

} // namespace

double CLimitSettings::GetPosition(int n) const
{
    return n >= 0 && n < kLimitCount ? m_positions[static_cast<size_t>(n)] : 0.0;
}

void CLimitSettings::SetPosition(int n, double dPosition)
{
    if (n >= 0 && n < kLimitCount)
        m_positions[static_cast<size_t>(n)] = dPosition;
}

void CLimitSettings::Serialize(CArchiveWriter& archive) const
{
    archive.WriteInt32(kLeadingValue);
    for (double position : m_positions)
        archive.WriteDouble(position);
}

int CLimitSettings::Serialize(CArchiveReader& archive)
{
    int32_t leading = 0;
    std::array<double, kLimitCount> positions{};
    archive.ReadInt32(leading);
    for (double& position : positions)
        archive.ReadDouble(position);
    if (!archive.Ok())
        return 0;
    for (double position : positions) {
        if (!std::isfinite(position))
            return archive.Fail("a limit position is not a number");
    }
    m_positions = positions;
    return 1;
}

std::vector<uint8_t> CLimitSettings::ToBytes() const
{
    std::vector<uint8_t> bytes;
    bytes.reserve(kFileSize);
    CArchiveWriter archive(bytes);
    Serialize(archive);
    return bytes;
}

int CLimitSettings::FromBytes(std::span<const uint8_t> bytes, std::string& msg)
{
    CLimitSettings record;
    CArchiveReader archive(bytes);
    if (!record.Serialize(archive) || !archive.ExpectEnd()) {
        msg = archive.GetError();
        return 0;
    }
    *this = record;
    return 1;
}

int CLimitSettings::LoadFromFile(const std::string& path, std::string& msg)
{
    std::vector<uint8_t> bytes;
    std::string error;
    // Anything much larger than the record cannot be one; no need to read it all.
    if (!ReadFileBytes(path, bytes, error, 4096)) {
        msg = "cannot read the limit settings: " + error;
        return 0;
    }
    if (!FromBytes(bytes, error)) {
        msg = "the limit settings file \"" + path + "\" is damaged: " + error;
        return 0;
    }
    return 1;
}

int CLimitSettings::SaveToFile(const std::string& path, std::string& msg) const
{
    // The Config folder normally exists already (the INI file lives there);
    // creating it keeps a dragged limit from being lost on a fresh instrument.
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::string error;
    if (!WriteFileBytes(path, ToBytes(), error)) {
        msg = "cannot save the limit settings: " + error;
        return 0;
    }
    return 1;
}

double CLimitSettings::ToPercent(double dPosition, double dXMin, double dSpan)
{
    return dSpan > 0.0 ? (dPosition - dXMin) * 100.0 / dSpan : 0.0;
}

double CLimitSettings::FromPercent(double dPercent, double dXMin, double dSpan)
{
    return dSpan > 0.0 ? dXMin + dPercent * dSpan / 100.0 : dXMin;
}

bool CLimitSettings::IsInRange(double dPosition, double dXMin, double dXMax)
{
    return dPosition >= dXMin && dPosition <= dXMax;
}
