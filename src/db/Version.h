#pragma once

namespace tamvel {

// Program version 1.3.4; its minor number is the database structure version.
inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 3;
inline constexpr int VersionRevision = 4;
inline constexpr int StructureVersion = VersionMinor;

} // namespace tamvel
