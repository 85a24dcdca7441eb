// The window: a tab control with the Convert, Options and Settings pages,
// Help and About buttons, and the notification icon. It hands the Options
// and Settings values to where they take effect whenever the Convert tab is
// selected, and saves the configuration whenever it closes.
#pragma once

#include "gui/WindowContext.h"

#include <QDialog>

class FolderPage;
class NotificationIcon;
class OptionsPage;
class QTabWidget;
class SettingsPage;

// Exit codes of the window.
inline constexpr int kClosedWithOk = 1;     // Enter, or Exit from the icon's menu
inline constexpr int kClosedWithCancel = 2; // Escape, or the close box

class MainDialog : public QDialog {
  Q_OBJECT
public:
  explicit MainDialog(const WindowContext& context);

  FolderPage& Folder() const { return *folder_; }
  OptionsPage& Options() const { return *options_; }
  SettingsPage& Settings() const { return *settings_; }
  QTabWidget& Tabs() const { return *tabs_; }

  // Lets a run finish the file it is on, saves the configuration, hides the
  // window and reports the exit code (once).
  void CloseWith(int exitCode);

  // Shows the window again from the notification icon.
  void Open();

signals:
  void Closed(int exitCode);

protected:
  void accept() override { CloseWith(kClosedWithOk); }
  void reject() override { CloseWith(kClosedWithCancel); }
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  void BuildLayout();
  void ApplyPages();
  void OpenHelp();
  void ShowAbout();

  const WindowContext& context_;
  QTabWidget* tabs_;
  FolderPage* folder_;
  OptionsPage* options_;
  SettingsPage* settings_;
  NotificationIcon* icon_;
  bool closed_ = false;
};

// The help document the Help button opens: a page beside the executable, or
// the README where the program is built or installed; "" when none exists.
std::string HelpDocumentPath(const std::string& executablePath);
