// A C stdio file that closes itself, and the few positioned reads and writes
// the raw-stream work files need. Offsets are 64-bit so that work files past
// 2 GiB are still addressed correctly.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>

struct StdioCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

inline StdioFile OpenStdioFile(const std::string& path, const char* mode) {
  return StdioFile(std::fopen(path.c_str(), mode));
}

// True when all bytes were read (or written) at the given offset.
bool ReadAt(std::FILE* file, std::uint64_t offset, std::span<std::uint8_t> bytes);
bool WriteAt(std::FILE* file, std::uint64_t offset, std::span<const std::uint8_t> bytes);
// Size of an open file, or 0 when it cannot be told.
std::uint64_t StdioFileSize(std::FILE* file);
