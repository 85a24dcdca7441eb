// The window's icon in the notification area, with its menu: "&Open...",
// "&About...", "E&xit". Only shown where the desktop has a notification area.
#pragma once

#include <QObject>

class QMenu;
class QSystemTrayIcon;
class QWidget;

class NotificationIcon : public QObject {
  Q_OBJECT
public:
  explicit NotificationIcon(QWidget& window);
  ~NotificationIcon() override;

  // Whether the icon is shown: the window hides into it only then.
  bool Shown() const;

signals:
  void OpenChosen();
  void AboutChosen();
  void ExitChosen();

private:
  QMenu* menu_;
  QSystemTrayIcon* icon_ = nullptr;
};
