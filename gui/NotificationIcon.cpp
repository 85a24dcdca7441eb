#include "gui/NotificationIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

NotificationIcon::NotificationIcon(QWidget& window) : QObject(&window), menu_(new QMenu) {
  QAction* open = menu_->addAction("&Open...", this, &NotificationIcon::OpenChosen);
  menu_->addAction("&About...", this, &NotificationIcon::AboutChosen);
  menu_->addAction("E&xit", this, &NotificationIcon::ExitChosen);
  menu_->setDefaultAction(open);
  if (!QSystemTrayIcon::isSystemTrayAvailable())
    return;
  icon_ = new QSystemTrayIcon(window.windowIcon(), this);
  icon_->setToolTip("Tarvelo\nConvert ALL fax documents to pdf");
  icon_->setContextMenu(menu_);
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
    if (why == QSystemTrayIcon::DoubleClick)
      emit OpenChosen();
  });
  icon_->show();
}

NotificationIcon::~NotificationIcon() { delete menu_; }

bool NotificationIcon::Shown() const { return icon_ && icon_->isVisible(); }
