// Message boxes. Without a window the text is printed: results to standard
// output, errors to standard error. The window module installs its own
// presenter.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum class MessageKind { Information, Warning, Error };

using MessagePresenter =
    std::function<void(const std::string& text, const std::string& caption, MessageKind kind)>;

// Shows a message with an OK button only.
void ShowMessageBox(const std::string& text, const std::string& caption, MessageKind kind);

// Replaces the presenter (the console one when given an empty function).
void SetMessagePresenter(MessagePresenter presenter);

// The warning sound of a refused input; the window module installs its own.
void Beep();
void SetBeeper(std::function<void()> beeper); // the console's when empty

// Text with CR LF line ends turned into the bare LF a terminal expects.
std::string ToTerminalLineEnds(const std::string& text);

} // namespace platform
