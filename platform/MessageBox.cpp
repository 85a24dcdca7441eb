#include "platform/MessageBox.h"

#include <cstdio>

namespace platform {

namespace {

void PrintToConsole(const std::string& text, const std::string& caption, MessageKind kind) {
  const bool problem = kind != MessageKind::Information;
  std::FILE* stream = problem ? stderr : stdout;
  std::string shown = ToTerminalLineEnds(text);
  if (problem)
    shown = caption + ": " + shown;
  if (shown.empty() || shown.back() != '\n')
    shown += '\n';
  std::fwrite(shown.data(), 1, shown.size(), stream);
  std::fflush(stream);
}

MessagePresenter& Presenter() {
  static MessagePresenter presenter = PrintToConsole;
  return presenter;
}

void ConsoleBeep() { std::fputc('\a', stderr); }

std::function<void()>& Beeper() {
  static std::function<void()> beeper = ConsoleBeep;
  return beeper;
}

} // namespace

void Beep() { Beeper()(); }

void SetBeeper(std::function<void()> beeper) {
  Beeper() = beeper ? std::move(beeper) : std::function<void()>(ConsoleBeep);
}

void ShowMessageBox(const std::string& text, const std::string& caption, MessageKind kind) {
  Presenter()(text, caption, kind);
}

void SetMessagePresenter(MessagePresenter presenter) {
  Presenter() = presenter ? std::move(presenter) : MessagePresenter(PrintToConsole);
}

std::string ToTerminalLineEnds(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
      continue;
    out += text[i];
  }
  return out;
}

} // namespace platform
