// The Settings tab: the parameters with which files of no known format are
// analysed as raw fax streams. Its values reach the process's settings only
// when applied (start-up, every return to the Convert tab, OK).
#pragma once

#include "app/Configuration.h"
#include "gui/SharedSettings.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

class SettingsPage : public QWidget {
  Q_OBJECT
public:
  SettingsPage(const std::string& configurationPath, SharedSettings& settings,
               QWidget* parent = nullptr);

  // Reads the controls and stores them into the shared settings.
  void Apply();
  void Save();

private:
  void BuildLayout();
  void ShowValues();
  void ReadControls();

  std::string configurationPath_;
  SharedSettings& settings_;
  SettingsSection values_;
  QButtonGroup* bitOrder_;
  QComboBox* resolution_;
  QLineEdit* threshold_;
  QLineEdit* flagNum_;
  QCheckBox* rawFlag_;
  QCheckBox* recalculate_;
  QCheckBox* nonStandardWidth_;
  QLineEdit* minWidth_;
};

// The resolution list's entry for a vertical resolution (0 automatic).
int ResolutionIndex(unsigned verticalResolution);
