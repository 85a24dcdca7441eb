#include "faxformats/FaxPageWalker.h"

#include "faxformats/FaxLineDecoders.h"

#include <algorithm>

using namespace faxline;

FaxPageWalker::FaxPageWalker(const FaxDecoder& decoder, std::uint64_t bitPosition,
                             std::int32_t width, std::uint32_t runCapacity)
    : bits_(decoder.Data(), decoder.Size(), decoder.ByteMap(), bitPosition), width_(width),
      runCapacity_(runCapacity) {
  reference_.Reset(runCapacity);
  current_.Reset(runCapacity);
}

bool FaxPageWalker::FindEol() { return bits_.FindEolFrom(bits_.CurrentByteStart()); }

bool FaxPageWalker::FindEolFromByte(std::uint64_t firstByte) {
  return bits_.FindEolFrom(firstByte * 8);
}

bool FaxPageWalker::ReadTag(std::uint32_t& tag) {
  if (bits_.AtEnd())
    return false;
  tag = bits_.Peek(1);
  bits_.Skip(1);
  return true;
}

bool FaxPageWalker::SyncToOneDimensional(T4LineSink* sink) {
  for (;;) {
    std::uint32_t tag = 0;
    if (!ReadTag(tag))
      return false;
    if (tag == 1)
      return true;
    const std::uint64_t skipped = bits_.BitPosition();
    if (!FindEol())
      return false;
    if (sink)
      sink->OnSkippedLine(skipped);
  }
}

std::uint64_t FaxPageWalker::BitPosition() const {
  return std::min(bits_.BitPosition(), bits_.TotalBits());
}

template <bool kKeepRuns>
CodedLine FaxPageWalker::DecodeT4LineKeeping(T4LineSink& sink, LineCoding coding) {
  RunList* runs = kKeepRuns ? &current_ : nullptr;
  const std::uint64_t start = BitPosition();
  RowWriter& row = sink.StartLine();
  current_.Reset(runCapacity_);
  int result = 0;
  switch (coding) {
  case LineCoding::OneDimensionalToEol:
    result = Line1D(bits_, row, runs, width_, LineEnd::AtEol);
    break;
  case LineCoding::OneDimensionalToWidth:
    result = Line1D(bits_, row, runs, width_, LineEnd::AtWidth);
    break;
  case LineCoding::RowToWidth:
    result = RowAtWidth(bits_, row, runs, width_);
    break;
  case LineCoding::TwoDimensional:
    result = Line2D<Coding2D::T4>(bits_, row, reference_, runs, width_).Decode();
    break;
  }
  return CodedLine{result, start, BitPosition(), current_, reference_};
}

CodedLine FaxPageWalker::DecodeT4Line(T4LineSink& sink, LineCoding coding, bool keepRuns) {
  return keepRuns ? DecodeT4LineKeeping<true>(sink, coding)
                  : DecodeT4LineKeeping<false>(sink, coding);
}

void FaxPageWalker::Align(RowAlignment alignment) {
  std::uint64_t byte = (bits_.BitPosition() + 7) / 8;
  if (alignment == RowAlignment::Word && byte % 2 != 0)
    ++byte;
  bits_.Seek(byte * 8);
}

void FaxPageWalker::WalkOneDimensional(T4LineSink& sink, OneDimensionalFraming framing) {
  const bool words = framing == OneDimensionalFraming::LineWords;
  auto skipWord = [this] {
    Align(RowAlignment::Byte);
    bits_.Skip(16);
  };
  if (words)
    skipWord();
  const LineCoding coding =
      words ? LineCoding::OneDimensionalToWidth : LineCoding::OneDimensionalToEol;
  const bool keepRuns = sink.TakesRuns();
  while (!bits_.Overran()) {
    switch (sink.OnLine(DecodeT4Line(sink, coding, keepRuns))) {
    case NextLine::Follow:
      if (words && !bits_.Overran())
        skipWord();
      break;
    case NextLine::FollowSameReference:
    case NextLine::ResyncAtEol:
      break;
    case NextLine::ResyncAtNextEol:
      if (!FindEol())
        return;
      break;
    case NextLine::Stop:
      return;
    }
  }
}

void FaxPageWalker::WalkAlignedRows(T4LineSink& sink, RowAlignment alignment) {
  const bool keepRuns = sink.TakesRuns();
  while (sink.OnLine(DecodeT4Line(sink, LineCoding::RowToWidth, keepRuns)) == NextLine::Follow)
    Align(alignment);
}

void FaxPageWalker::WalkTwoDimensional(T4LineSink& sink) {
  reference_.SetAllWhite(std::uint32_t(std::max(width_, 0)));
  std::uint32_t tag = 1;
  for (;;) {
    const LineCoding coding =
        tag == 1 ? LineCoding::OneDimensionalToEol : LineCoding::TwoDimensional;
    switch (sink.OnLine(DecodeT4Line(sink, coding, true))) {
    case NextLine::Follow:
      reference_.Swap(current_);
      [[fallthrough]];
    case NextLine::FollowSameReference:
      if (!ReadTag(tag))
        return;
      break;
    case NextLine::ResyncAtNextEol:
      if (!FindEol())
        return;
      [[fallthrough]];
    case NextLine::ResyncAtEol:
      if (!SyncToOneDimensional(&sink))
        return;
      tag = 1;
      break;
    case NextLine::Stop:
      return;
    }
  }
}

void FaxPageWalker::WalkGroup4(G4LineSink& sink, PassToLineEnd passToLineEnd) {
  reference_.SetAllWhite(std::uint32_t(std::max(width_, 0)));
  for (;;) {
    const std::uint64_t start = BitPosition();
    RowWriter& row = sink.StartLine();
    current_.Reset(runCapacity_);
    const int result =
        Line2D<Coding2D::T6>(bits_, row, reference_, &current_, width_, passToLineEnd).Decode();
    const G4Step next = sink.OnLine(CodedLine{result, start, BitPosition(), current_, reference_});
    switch (next.kind) {
    case G4Step::Kind::Follow:
      reference_.Swap(current_);
      break;
    case G4Step::Kind::Repeat:
      break;
    case G4Step::Kind::NewPage:
      reference_.SetAllWhite(std::uint32_t(width_));
      break;
    case G4Step::Kind::Stop:
      return;
    }
    if (next.at != bits_.BitPosition())
      bits_.Seek(next.at);
  }
}
