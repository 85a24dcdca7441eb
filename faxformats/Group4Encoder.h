// Codes the rows of a bilevel page as ITU-T T.6 (Group 4) data. Each row is
// coded against the one above it in the pass, vertical and horizontal modes
// of T.4 4.2.1.3, chosen by the standard's coding procedure alone, so the
// bytes are those any conforming encoder gives for the same rows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Which bit value of a packed row is a white pixel.
enum class WhiteBits : std::uint8_t { Zero, One };
// Whether the coded page ends with EOFB (T.6 2.4) before its byte fill.
enum class EndOfBlock : std::uint8_t { Omit, Append };

class Group4Encoder {
public:
  // Starts a page of rows of this width (at least 1); the reference line
  // above the first row is white.
  void Start(std::uint32_t width, WhiteBits white);
  // Codes one packed row: the first pixel in the most significant bit, the
  // width's pixels in (width + 7) / 8 bytes; bits past the width are ignored.
  void EncodeRow(const std::uint8_t* row);
  // Codes one row given by its changing elements: the positions where the
  // colour changes, the first from white to black. A position repeated
  // cancels itself (a run of length zero); positions that go back or lie
  // at or past the width are ignored.
  void EncodeChanges(std::span<const std::uint32_t> changes);
  // Ends the page (with EOFB when asked), fills to a byte boundary with
  // zero bits and hands over the coded bytes; Start begins the next page.
  std::vector<std::uint8_t> Finish(EndOfBlock end);

private:
  void FindChanges(const std::uint8_t* row);
  void AddChange(std::uint32_t position);
  void CodeCurrentLine();
  void PutRun(std::uint32_t run, bool black);
  void Put(std::uint32_t code, unsigned bits) {
    bits_ = (bits_ << bits) | code;
    used_ += bits;
    if (used_ >= 32)
      Flush32();
  }
  void Flush32();

  std::uint32_t width_ = 0;
  std::uint64_t flip_ = 0; // XORed into loaded words so that black reads as 1
  // Changing elements of the reference and the current line, each followed
  // by sentinels at the width (the standard's imaginary elements there).
  std::vector<std::uint32_t> reference_, current_;
  std::uint32_t currentCount_ = 0;
  std::uint64_t bits_ = 0; // pending code bits, the newest lowest
  unsigned used_ = 0;
  std::vector<std::uint8_t> out_;
};

// A whole page of packed rows, (width + 7) / 8 bytes each, one after the
// other; rows.size() must hold height of them.
std::vector<std::uint8_t> EncodeGroup4Page(std::span<const std::uint8_t> rows, std::uint32_t width,
                                           std::uint32_t height, WhiteBits white, EndOfBlock end);
