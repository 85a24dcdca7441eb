// The decoder's fast view of the coded bits: a 64-bit window refilled a byte
// at a time through the fill-order map. Bits past the end of the data read as
// zero; callers learn that the data ran out from Overran().
#pragma once

#include <bit>
#include <cstdint>

class BitWindow {
public:
  BitWindow(const std::uint8_t* data, std::uint32_t size, const std::uint8_t* byteMap,
            std::uint64_t bitPosition)
      : data_(data), size_(size), map_(byteMap), reversed_(byteMap[1] != 1),
        totalBits_(std::uint64_t(size) * 8) {
    Seek(bitPosition);
  }

  // The next n bits (1..32), first bit most significant, without consuming them.
  std::uint32_t Peek(int n) {
    if (count_ < n)
      Refill();
    return std::uint32_t(acc_ >> (64 - n));
  }
  // Consumes n bits (0..56).
  void Skip(int n) {
    if (count_ < n)
      Refill();
    acc_ <<= n;
    count_ -= n;
    position_ += std::uint64_t(n);
  }
  std::uint64_t BitPosition() const { return position_; }
  std::uint64_t TotalBits() const { return totalBits_; }
  // True when more bits were consumed than the data holds.
  bool Overran() const { return position_ > totalBits_; }
  bool AtEnd() const { return position_ >= totalBits_; }
  std::uint64_t Remaining() const { return AtEnd() ? 0 : totalBits_ - position_; }

  void Seek(std::uint64_t bitPosition) {
    std::uint64_t byte = bitPosition / 8;
    next_ = byte;
    acc_ = 0;
    count_ = 0;
    position_ = byte * 8;
    Skip(int(bitPosition % 8));
  }

  // Consumes zero bits up to the next one bit (or past the end of the data)
  // and returns how many there were.
  std::uint64_t SkipZeros() {
    std::uint64_t zeros = 0;
    for (;;) {
      Refill();
      int run = acc_ ? std::countl_zero(acc_) : 64;
      int take = run < 56 ? run : 56;
      Skip(take);
      zeros += std::uint64_t(take);
      if (take == run || position_ > totalBits_)
        return zeros;
    }
  }

  // Finds eleven or more zero bits followed by a one, starting at a bit, and
  // stands behind the one. False (at the end) when the data ends first.
  bool FindEolFrom(std::uint64_t bitPosition) {
    Seek(bitPosition);
    for (;;) {
      std::uint64_t zeros = SkipZeros();
      if (position_ >= totalBits_) {
        Seek(totalBits_);
        return false;
      }
      Skip(1);
      if (zeros >= 11)
        return true;
    }
  }

  // Start of the byte a search "from the current byte" looks at: the byte of
  // the last consumed bit when a byte was just completed, else this byte.
  std::uint64_t CurrentByteStart() const {
    if (position_ % 8 != 0 || position_ == 0)
      return position_ & ~std::uint64_t(7);
    return position_ - 8;
  }

private:
  void Refill() {
    if (count_ <= 56 && next_ + 8 <= size_) {
      // Eight bytes at once; the bits of the last byte that do not fit yet
      // are loaded again, identically, by the next refill.
      std::uint64_t word = 0;
      for (int i = 0; i < 8; ++i)
        word = (word << 8) | data_[next_ + std::uint64_t(i)];
      if (reversed_)
        word = ReverseBitsInBytes(word);
      acc_ |= word >> count_;
      int bytes = (63 - count_) / 8;
      next_ += std::uint64_t(bytes);
      count_ += bytes * 8;
      return;
    }
    while (count_ <= 56) {
      std::uint8_t byte = next_ < size_ ? map_[data_[next_]] : 0;
      acc_ |= std::uint64_t(byte) << (56 - count_);
      count_ += 8;
      ++next_;
    }
  }

  static std::uint64_t ReverseBitsInBytes(std::uint64_t v) {
    v = ((v >> 1) & 0x5555555555555555ull) | ((v & 0x5555555555555555ull) << 1);
    v = ((v >> 2) & 0x3333333333333333ull) | ((v & 0x3333333333333333ull) << 2);
    return ((v >> 4) & 0x0F0F0F0F0F0F0F0Full) | ((v & 0x0F0F0F0F0F0F0F0Full) << 4);
  }

  const std::uint8_t* data_;
  std::uint64_t size_;
  const std::uint8_t* map_;
  bool reversed_; // the map reverses the bits of each byte
  std::uint64_t totalBits_;
  std::uint64_t acc_ = 0;  // bits from position_ on, first bit in the top bit
  int count_ = 0;          // valid bits in acc_
  std::uint64_t next_ = 0; // next byte to load
  std::uint64_t position_ = 0;
};
