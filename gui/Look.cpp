#include "gui/Look.h"

#include <QPalette>
#include <QWidget>

void Paint(QWidget& widget, const QColor& background, const QColor& edits) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Window, background);
  palette.setColor(QPalette::Button, background);
  palette.setColor(QPalette::Base, edits);
  palette.setColor(QPalette::WindowText, look::kText);
  palette.setColor(QPalette::ButtonText, look::kText);
  // Disabled controls must look disabled, whatever the text colour.
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
    palette.setColor(QPalette::Disabled, role, Qt::gray);
  widget.setPalette(palette);
  widget.setAutoFillBackground(true);
}
