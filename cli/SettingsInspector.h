#pragma once
// Readable text of the small settings files the programs keep in the
// framework's archive format: the instrument list, the limit lines and the
// data-file settings.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>

namespace inspect {

// Each returns 1 after printing the file, 0 when the bytes are not that kind
// of file (why in error; nothing printed).
int PrintConnectionList(std::span<const uint8_t> bytes, std::ostream& out, std::string& error);
int PrintLimitSettings(std::span<const uint8_t> bytes, std::ostream& out, std::string& error);
int PrintDataSettings(std::span<const uint8_t> bytes, std::ostream& out, std::string& error);

// True when the bytes start the way an instrument list does.
bool LooksLikeConnectionList(std::span<const uint8_t> bytes);

} // namespace inspect
