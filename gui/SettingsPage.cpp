#include "gui/SettingsPage.h"

#include "gui/Fields.h"
#include "gui/Look.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

int ResolutionIndex(unsigned verticalResolution) {
  if (verticalResolution == 0)
    return 0;
  if (verticalResolution < 200)
    return 1;
  if (verticalResolution < 300)
    return 2;
  return verticalResolution < 400 ? 3 : 4;
}

SettingsPage::SettingsPage(const std::string& configurationPath, SharedSettings& settings,
                           QWidget* parent)
    : QWidget(parent), configurationPath_(configurationPath), settings_(settings),
      bitOrder_(new QButtonGroup(this)), resolution_(Named(new QComboBox, "resolution")),
      threshold_(Named(new QLineEdit, "threshold")), flagNum_(Named(new QLineEdit, "flagNum")),
      rawFlag_(Named(new QCheckBox("Raw Fax File"), "rawFlag")),
      recalculate_(Named(new QCheckBox("Re-caculate Scan Lines"), "recalculate")),
      nonStandardWidth_(Named(new QCheckBox("Support none-standard width "), "nonStandardWidth")),
      minWidth_(Named(new QLineEdit, "minWidth")) {
  BuildLayout();
  Paint(*this, look::kPageBackground, look::kWhite);
  const ConversionSettings current = settings_.Snapshot();
  resolution_->setCurrentIndex(ResolutionIndex(current.verticalResolution));
  values_ = LoadSettings(configurationPath_, SettingsSectionFrom(current));
  ShowValues();
  connect(nonStandardWidth_, &QCheckBox::toggled, minWidth_, &QLineEdit::setEnabled);
}

void SettingsPage::BuildLayout() {
  int id = 0;
  auto* bitOrder = new QGroupBox("Set Bit Order");
  auto* bitOrderLayout = new QVBoxLayout(bitOrder);
  for (const char* name : {"Auto bit order", "Highest bit first", "Least bit first"}) {
    auto* button = new QRadioButton(name);
    bitOrder_->addButton(button, id++);
    bitOrderLayout->addWidget(button);
  }
  resolution_->addItems({"Auto detect", "Standard (3.85lines/mm)", "Fine (7.7lines/mm)",
                         "SFine (11.55lines/mm)", "High (15.4lines/mm)"});
  auto* resolution = new QGroupBox("Set Resolution");
  auto* resolutionLayout = new QFormLayout(resolution);
  resolutionLayout->addRow("Vertical", resolution_);

  auto* advanced = new QGroupBox("Advanced");
  auto* advancedLayout = new QFormLayout(advanced);
  advancedLayout->addRow("Threshold", threshold_);
  advancedLayout->addRow("Flag Num", flagNum_);
  advancedLayout->addRow(rawFlag_);
  advancedLayout->addRow(recalculate_);
  advancedLayout->addRow(nonStandardWidth_);
  advancedLayout->addRow("Min Width", minWidth_);

  auto* groups = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(bitOrder);
  left->addWidget(resolution);
  left->addStretch();
  groups->addLayout(left);
  groups->addWidget(advanced);
  auto* page = new QVBoxLayout(this);
  page->addLayout(groups);
  page->addWidget(new QLabel(
      "These settings are useful to unknown fax convertion\nsuch as .g3,.g32d,.g4,.f01,..."));
  page->addStretch();
}

void SettingsPage::ShowValues() {
  if (QAbstractButton* chosen = bitOrder_->button(values_.AutoBit))
    chosen->setChecked(true);
  threshold_->setText(QString::number(values_.Threshold));
  flagNum_->setText(QString::number(values_.FlagNum));
  minWidth_->setText(QString::number(values_.MinWidth));
  rawFlag_->setChecked(values_.RawFlag == 1);
  recalculate_->setChecked(values_.Recaculate == 1);
  nonStandardWidth_->setChecked(values_.NStdWidth == 1);
  minWidth_->setEnabled(nonStandardWidth_->isChecked());
}

// In reading order; a field that holds no number is taken as 0 and the
// values after it keep what they were, so the user can mend that one field.
void SettingsPage::ReadControls() {
  for (auto [field, value] :
       {std::pair{threshold_, &values_.Threshold}, std::pair{flagNum_, &values_.FlagNum},
        std::pair{minWidth_, &values_.MinWidth}}) {
    const std::optional<int> number = ReadNumber(*field);
    *value = number.value_or(0);
    if (!number)
      return;
  }
  if (bitOrder_->checkedId() >= 0)
    values_.AutoBit = bitOrder_->checkedId();
  values_.NStdWidth = Ticked(*nonStandardWidth_);
  values_.RawFlag = Ticked(*rawFlag_);
  values_.Recaculate = Ticked(*recalculate_);
}

void SettingsPage::Apply() {
  ReadControls();
  const int resolutionIndex = resolution_->currentIndex();
  settings_.Update(
      [&](ConversionSettings& settings) { ApplySettings(values_, resolutionIndex, settings); });
}

void SettingsPage::Save() {
  ReadControls();
  SaveSettings(configurationPath_, values_);
}
