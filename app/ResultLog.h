// The result log: every batch's result text, appended with a time stamp and
// a separator line. Nothing in the program reads it back.
#pragma once

#include <ctime>
#include <string>

// One log entry: "YYYY-MM-DD HH:MM:SS", the text, a line of 50 hyphens; every
// line ends in CR LF (a line that already does keeps a single CR LF).
std::string FormatLogEntry(const std::tm& localTime, const std::string& text);

// Appends an entry stamped with the current local time. Creates the log's
// folder when missing (one level only); every failure is silent.
void AppendLog(const std::string& logPath, const std::string& text);
