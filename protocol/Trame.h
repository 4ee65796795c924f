#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace zef30 {

inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;
inline constexpr char EOT = 0x04;
inline constexpr char ENQ = 0x05;
inline constexpr char ACK = 0x06;
inline constexpr char DLE = 0x10;
inline constexpr char NAK = 0x15;
inline constexpr char ETB = 0x17;

// The longest frame on the line: 999 data characters, the message's header (code and length)
// and the frame's own STX, DLE, ETX and check character.
inline constexpr std::size_t kTrameMax = 999 + 5 + 4;

// Check character of a frame that begins with STX: exclusive-or of everything after it.
std::string CalculerLrc(std::string_view trame);

// STX, message, DLE, ETX and the check character.
std::string EncadrerMessage(std::string_view message);

// The data length L at positions 4 to 6 of a frame, when those three characters are digits.
std::optional<int> LireLongueurTrame(std::string_view trame);

// A frame is kSupplementTrame characters longer than the data length L it announces: STX, its
// two-character code, the three of L, then DLE, ETX and the check character.
inline constexpr int kSupplementTrame = 9;
// A longer answer comes in blocks of at most kTailleBlocMax characters: STX, at most kMaxUnBloc
// characters of the message, then DLE, ETX or ETB, and the check character.
inline constexpr int kTailleBlocMax = 252;
inline constexpr int kMaxUnBloc = kTailleBlocMax - 4;

// A frame of L data characters in two blocks has L - 239 characters in its second block.
inline int TailleSecondBloc(int longueur) { return longueur + kSupplementTrame - kMaxUnBloc; }

// One answer from two blocks: the first without its three closing characters, then the second
// from after its STX.
std::string JoindreBlocs(std::string_view bloc1, std::string_view bloc2);

}  // namespace zef30
