// The constant bit rates an MP3 of this program may have, in kbit/s: the
// engine refuses any other, the settings read any other as the default.
#pragma once

#include <algorithm>
#include <array>

inline constexpr std::array<int, 6> kSndMp3BitRates{64, 96, 128, 192, 256, 320};
inline constexpr int kSndMp3DefaultBitRate = 256;

constexpr bool sndDevicesIsMp3BitRate(int kbps) {
    return std::find(kSndMp3BitRates.begin(), kSndMp3BitRates.end(), kbps) != kSndMp3BitRates.end();
}
