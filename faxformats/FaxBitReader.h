// Reads the bits of coded fax data held in memory, first bit of each byte
// first. The fill order is applied once, when a byte is loaded: with
// bit order 2 (TIFF FillOrder 2) every byte is bit-reversed before use.
#pragma once

#include <cstdint>

// Bit orders as TIFF FillOrder names them.
inline constexpr std::uint8_t kMsbFirst = 1; // first pixel in the most significant bit
inline constexpr std::uint8_t kLsbFirst = 2; // first pixel in the least significant bit

// Negative results of the reader.
inline constexpr int kBitsNoData = -1;      // no buffer was given
inline constexpr int kBitsBeforeStart = -2; // position below 0
inline constexpr int kBitsAtEnd = -3;       // position at or beyond the end

// The 256-entry bit reversal table.
const std::uint8_t* BitReversalTable();
// The map a bit order asks for: identity for kMsbFirst, reversal otherwise.
const std::uint8_t* ByteMapFor(std::uint8_t bitOrder);

class FaxBitReader {
public:
  // Position 0, bit offset 0, first byte fetched; the bit order is kept.
  void Initialise(const std::uint8_t* data, std::uint32_t size);
  // As above with a bit order, and the mark cleared.
  void Initialise(const std::uint8_t* data, std::uint32_t size, std::uint8_t bitOrder);

  // The current byte (after bit-order correction), first stepping to the next
  // byte when advance is true; a negative status outside the data.
  int Fetch(bool advance);
  // The next n bits (1..8), the first one most significant; negative at the end.
  int ReadBits(int n);
  // Steps back n bits, into earlier bytes when needed (never before the start).
  void UnreadBits(int n);
  // Moves to the next byte when bits of this one were consumed; with
  // toWord also to an even position (16-bit words from the buffer start).
  void Align(bool toWord);
  // Aligns to a byte and reads a little-endian 16-bit word; negative at the end.
  int ReadWord();
  // Finds an EOL (eleven or more zero bits and a one) and stands behind it.
  // Mode 0 searches from the buffer start, mode 2 from the current position
  // (remembering it), any other mode from the remembered position.
  // 0 when found, else a negative status.
  int FindEol(int mode);

  const std::uint8_t* Data() const { return data_; }
  std::uint32_t Size() const { return size_; }
  std::int32_t Position() const { return position_; }
  // Bits of the current byte already consumed, 0..8.
  std::uint8_t BitOffset() const { return bitOffset_; }
  // position * 8 + bit offset: the index of the next bit to read.
  std::int64_t BitPosition() const { return std::int64_t(position_) * 8 + bitOffset_; }
  // Moves to a bit index (0..size*8) and fetches that byte.
  void SeekBit(std::int64_t bitPosition);
  // As SeekBit, but a position at a byte boundary is kept as the previous
  // byte fully consumed (bit offset 8), the way reading code by code leaves it.
  void StoreBitPosition(std::int64_t bitPosition);
  int Current() const { return current_; }
  std::uint8_t BitOrder() const { return bitOrder_; }
  void SetBitOrder(std::uint8_t bitOrder);
  // True when every bit of the data has been consumed.
  bool AtEnd() const { return BitPosition() >= std::int64_t(size_) * 8; }

  // Byte index where the last Group 4 start search found its marker run.
  std::uint32_t Mark() const { return mark_; }
  void SetMark(std::uint32_t mark) { mark_ = mark; }
  // Byte index that searches in "remembered" mode start from.
  std::uint32_t Remembered() const { return remembered_; }
  void SetRemembered(std::uint32_t position) { remembered_ = position; }

  bool SkipStartSearch() const { return skipStartSearch_ != 0; }
  void SetSkipStartSearch(bool skip) { skipStartSearch_ = skip ? 1 : 0; }

  // Identity or bit-reversal map applied to every loaded byte.
  const std::uint8_t* ByteMap() const { return reverse_; }

protected:
  // The byte at index (bit-order corrected); the caller checks the index.
  std::uint8_t ByteAt(std::uint32_t index) const { return reverse_[data_[index]]; }
  void MoveTo(std::int32_t position);

private:
  const std::uint8_t* data_ = nullptr;
  std::uint32_t size_ = 0;
  std::int32_t position_ = 0;
  std::uint32_t mark_ = 0;
  std::uint32_t remembered_ = 0;
  int current_ = kBitsNoData;
  std::uint8_t bitOrder_ = kMsbFirst;
  std::uint8_t bitOffset_ = 0;
  std::uint8_t skipStartSearch_ = 0;
  const std::uint8_t* reverse_ = nullptr; // identity or reversal table
};
