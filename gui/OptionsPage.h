// The Options tab: what the Convert page converts (a folder or chosen
// files), how PDF names and dates are made, and the automatic conversion.
#pragma once

#include "app/Configuration.h"

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

class OptionsPage : public QWidget {
  Q_OBJECT
public:
  explicit OptionsPage(const std::string& configurationPath, QWidget* parent = nullptr);

  // Reads the controls into the values; a bad minutes number keeps the
  // previous one (false).
  bool ReadControls();
  const OptionsSection& Values() const { return values_; }
  void Save();
  // Chooses "Convert Directory" (0) or "Convert File(s)" (1) as a click would.
  void ChooseSource(int dirFile);

  // The longest interval a timer can count (in minutes).
  static constexpr unsigned kMaxMinutes = 35791;

signals:
  void AutomaticConversionChanged(unsigned minutes, bool enabled);

private:
  void BuildLayout();
  void ShowValues();
  void OnSourceClicked();
  void UpdateAutomaticConversion();
  void EnableFolderOptions();
  bool ReadMinutes();

  std::string configurationPath_;
  OptionsSection values_;
  QButtonGroup* source_;
  QCheckBox* subdir_;
  QCheckBox* keepDate_;
  QCheckBox* hierarchy_;
  QCheckBox* keepExtension_;
  QCheckBox* automatic_;
  QLineEdit* minutes_;
};
