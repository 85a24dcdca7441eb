// The code tables of ITU-T T.4 (Tables 1 to 4, which T.6 also uses), kept as
// the standard prints them, and the lookup tables the decoder walks, built
// from them by code.
#pragma once

#include <cstdint>
#include <span>

// One row of a T.4 table: the run (or mode) it stands for and its code word,
// the first bit sent being the most significant of `bits`.
struct T4Code {
  std::uint16_t run;
  std::uint8_t bits;
  std::uint16_t code;
};

enum class T4Table {
  WhiteTerminating,
  BlackTerminating,
  WhiteMakeUp,
  BlackMakeUp,
  ExtendedMakeUp,
  Modes
};
std::span<const T4Code> T4Rows(T4Table table);

// The two-dimensional modes of Table 4, in the `run` field of its rows.
enum class T4Mode : std::uint8_t {
  Pass,
  Horizontal,
  V0,
  VR1,
  VR2,
  VR3,
  VL1,
  VL2,
  VL3,
  Zeros,   // seven or more zero bits: an EOL or nothing valid
  Invalid, // includes the extension codes (uncompressed mode)
};

enum class RunKind : std::uint8_t { Invalid, Terminating, MakeUp, Zeros };

// Lookup entry for the next kRunLookupBits bits of a run code.
struct RunEntry {
  std::uint16_t run;
  std::uint8_t bits;
  RunKind kind;
};
inline constexpr int kRunLookupBits = 13; // the longest run code (black make-up)
inline constexpr int kModeLookupBits = 7; // the longest mode code
inline constexpr int kEolZeros = 11;      // an EOL is at least this many zeros and a one

struct ModeEntry {
  T4Mode mode;
  std::uint8_t bits;
};

// 2^kRunLookupBits entries, indexed by the next bits (first bit most significant).
const RunEntry* RunLookup(bool black);
// 2^kModeLookupBits entries.
const ModeEntry* ModeLookup();

// True when no code word of the set is a prefix of another: what a lookup
// table needs to be unambiguous. The lookup tables check their own sets.
bool CodesArePrefixFree(std::span<const T4Code> codes);
bool LookupTablesAreConsistent();
