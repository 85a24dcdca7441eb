#include "faxformats/FaxBitReader.h"

#include "faxformats/FaxBitWindow.h"

#include <algorithm>
#include <array>
#include <bit>
#include <climits>

namespace {

struct ByteMaps {
  std::array<std::uint8_t, 256> identity{};
  std::array<std::uint8_t, 256> reversed{};
  ByteMaps() {
    for (int i = 0; i < 256; ++i) {
      identity[i] = std::uint8_t(i);
      std::uint8_t r = 0;
      for (int bit = 0; bit < 8; ++bit)
        if (i & (1 << bit))
          r |= std::uint8_t(0x80 >> bit);
      reversed[i] = r;
    }
  }
};

const ByteMaps& Maps() {
  static const ByteMaps maps;
  return maps;
}

} // namespace

const std::uint8_t* BitReversalTable() { return Maps().reversed.data(); }

const std::uint8_t* ByteMapFor(std::uint8_t bitOrder) {
  return bitOrder == kMsbFirst ? Maps().identity.data() : Maps().reversed.data();
}

void FaxBitReader::Initialise(const std::uint8_t* data, std::uint32_t size) {
  data_ = data;
  // Byte positions are signed 32-bit: larger buffers are read up to 2 GiB.
  size_ = data ? std::min<std::uint32_t>(size, INT32_MAX) : 0;
  SetBitOrder(bitOrder_);
  MoveTo(0);
}

void FaxBitReader::Initialise(const std::uint8_t* data, std::uint32_t size, std::uint8_t bitOrder) {
  bitOrder_ = bitOrder;
  mark_ = 0;
  remembered_ = 0;
  Initialise(data, size);
}

void FaxBitReader::SetBitOrder(std::uint8_t bitOrder) {
  bitOrder_ = bitOrder;
  reverse_ = ByteMapFor(bitOrder);
  if (data_)
    MoveTo(position_);
}

void FaxBitReader::MoveTo(std::int32_t position) {
  position_ = position;
  bitOffset_ = 0;
  Fetch(false);
}

int FaxBitReader::Fetch(bool advance) {
  if (advance) {
    ++position_;
    bitOffset_ = 0;
  }
  if (!data_)
    current_ = kBitsNoData;
  else if (position_ < 0)
    current_ = kBitsBeforeStart;
  else if (std::uint32_t(position_) >= size_)
    current_ = kBitsAtEnd;
  else
    current_ = ByteAt(std::uint32_t(position_));
  return current_;
}

int FaxBitReader::ReadBits(int n) {
  if (n < 1 || n > 8)
    return kBitsNoData;
  if (bitOffset_ >= 8)
    Fetch(true);
  if (current_ < 0)
    return current_;
  int available = 8 - bitOffset_;
  if (n <= available) {
    bitOffset_ = std::uint8_t(bitOffset_ + n);
    return (current_ >> (available - n)) & ((1 << n) - 1);
  }
  int high = current_ & ((1 << available) - 1);
  int rest = n - available;
  if (Fetch(true) < 0)
    return current_;
  bitOffset_ = std::uint8_t(rest);
  return (high << rest) | (current_ >> (8 - rest));
}

void FaxBitReader::UnreadBits(int n) {
  std::int64_t target = BitPosition() - n;
  SeekBit(target < 0 ? 0 : target);
}

void FaxBitReader::SeekBit(std::int64_t bitPosition) {
  std::int64_t total = std::int64_t(size_) * 8;
  if (bitPosition < 0)
    bitPosition = 0;
  if (bitPosition > total)
    bitPosition = total;
  position_ = std::int32_t(bitPosition / 8);
  bitOffset_ = std::uint8_t(bitPosition % 8);
  Fetch(false);
}

void FaxBitReader::StoreBitPosition(std::int64_t bitPosition) {
  // A just completed byte stays the current one (bit offset 8), as when the
  // bits were read one code at a time.
  if (bitPosition > 0 && bitPosition % 8 == 0 && bitPosition <= std::int64_t(size_) * 8) {
    position_ = std::int32_t(bitPosition / 8 - 1);
    bitOffset_ = 8;
    Fetch(false);
    return;
  }
  SeekBit(bitPosition);
}

void FaxBitReader::Align(bool toWord) {
  if (bitOffset_ > 0)
    MoveTo(position_ + 1);
  if (toWord && position_ % 2 != 0)
    MoveTo(position_ + 1);
}

int FaxBitReader::ReadWord() {
  Align(false);
  if (!data_)
    return kBitsNoData;
  if (position_ < 0 || std::uint32_t(position_) >= size_ || size_ - std::uint32_t(position_) < 2) {
    MoveTo(std::int32_t(size_));
    return kBitsAtEnd;
  }
  int word = data_[position_] | (data_[position_ + 1] << 8);
  MoveTo(position_ + 2);
  return word;
}

int FaxBitReader::FindEol(int mode) {
  if (!data_)
    return kBitsNoData;
  std::uint32_t startByte = remembered_;
  if (mode == 0) {
    startByte = 0;
  } else if (mode == 2) {
    startByte = position_ < 0 ? 0 : std::uint32_t(position_);
    remembered_ = startByte;
  }
  if (startByte >= size_) {
    SeekBit(std::int64_t(size_) * 8);
    return kBitsAtEnd;
  }
  BitWindow window(data_, size_, reverse_, std::uint64_t(startByte) * 8);
  bool found = window.FindEolFrom(std::uint64_t(startByte) * 8);
  StoreBitPosition(std::int64_t(window.BitPosition()));
  return found ? 0 : kBitsAtEnd;
}
