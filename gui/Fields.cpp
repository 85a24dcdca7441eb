#include "gui/Fields.h"

#include "platform/MessageBox.h"

#include <QCheckBox>
#include <QLineEdit>

std::optional<int> ReadNumber(QLineEdit& field) {
  bool valid = false;
  const int number = field.text().trimmed().toInt(&valid, 10);
  if (valid)
    return number;
  Refuse(field);
  return std::nullopt;
}

void Refuse(QLineEdit& field) {
  platform::Beep();
  field.setFocus();
}

int Ticked(const QCheckBox& box) { return box.isChecked() ? 1 : 0; }
