// Operating-system queries: the version flags the audio engine checks, the
// processor count, and whether we run as a 32-bit process on a 64-bit system.
#pragma once

// Version flag bits.
inline constexpr int OS_FLAG_BEFORE_6 = 1;
inline constexpr int OS_FLAG_6_0_32 = 2;
inline constexpr int OS_FLAG_6_0_64 = 4;
inline constexpr int OS_FLAG_6_1_32 = 8;
inline constexpr int OS_FLAG_6_1_64 = 16;
inline constexpr int OS_FLAG_6_2_64 = 64;
inline constexpr int OS_FLAG_PROCESSOR_UP_TO_586 = 128;
inline constexpr int OS_FLAG_PROCESSOR_ABOVE_586 = 256;

// The flags for a reported version and processor: 64-bit processors give 4
// (6.0), 16 (6.1), 64 (6.2); others 2 (6.0), 8 (6.1), 2 (6.2); a major version
// below 6 gives 1; a processor type above 586 adds 256, otherwise 128.
int operatingSystemFlagsFor(int major, int minor, bool processor64, int processorType);

// The flags of this system and its number of processors. On Linux the system
// reports itself as version 6.2, the newest version the flags know, so every
// "later than 5" check passes; the processor is 64-bit when the kernel's
// machine is, and x86 processors from the 686 on (and every other
// architecture we build for) count as "above 586".
int operatingSystemVersionFlags(int& flags, int& processors);

// Whether this is a 32-bit process on a 64-bit system.
int operatingSystemIs32BitOn64Bit(bool& result);
