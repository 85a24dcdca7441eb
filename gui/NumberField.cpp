#include "gui/NumberField.h"

#include "platform/MessageBox.h"

#include <QLineEdit>

std::optional<int> ReadNumber(QLineEdit& field) {
  bool valid = false;
  const int number = field.text().trimmed().toInt(&valid, 10);
  if (valid)
    return number;
  platform::Beep();
  field.setFocus();
  return std::nullopt;
}
