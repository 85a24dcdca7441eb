// What the pages read from and write to their controls: numbers (refused
// with a beep and the focus, so the user sees which field), tick marks as
// the stored 0 or 1, and the program's 8-bit text.
#pragma once

#include <QString>

#include <optional>
#include <string>

class QCheckBox;
class QLineEdit;

std::optional<int> ReadNumber(QLineEdit& field);

// Beeps and puts the focus into a field whose text cannot be taken.
void Refuse(QLineEdit& field);

int Ticked(const QCheckBox& box);

// The widget with the name tests and screenshots find it by.
template <typename Widget> Widget* Named(Widget* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

inline std::string Local(const QString& text) { return text.toLocal8Bit().toStdString(); }
inline QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text); }
