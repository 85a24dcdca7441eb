#include "gui/OptionsPage.h"

#include "gui/Fields.h"
#include "gui/Look.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QGroupBox* MakeGroup(const char* title, std::initializer_list<QWidget*> widgets,
                     QLayout* last = nullptr) {
  auto* group = new QGroupBox(title);
  auto* layout = new QVBoxLayout(group);
  for (QWidget* widget : widgets)
    layout->addWidget(widget);
  if (last)
    layout->addLayout(last);
  return group;
}

} // namespace

OptionsPage::OptionsPage(const std::string& configurationPath, QWidget* parent)
    : QWidget(parent), configurationPath_(configurationPath), source_(new QButtonGroup(this)),
      subdir_(Named(new QCheckBox("Include subdir"), "subdir")),
      keepDate_(Named(new QCheckBox("Keep File Date and Time"), "keepDate")),
      hierarchy_(Named(new QCheckBox("Keep Hiberarchy"), "hierarchy")),
      keepExtension_(Named(new QCheckBox("Include Source File Extention"), "keepExtension")),
      automatic_(Named(new QCheckBox("Enable Conversion Automatically"), "automatic")),
      minutes_(Named(new QLineEdit, "minutes")) {
  BuildLayout();
  Paint(*this, look::kPageBackground, look::kWhite);
  values_ = LoadOptions(configurationPath_);
  ShowValues();
  connect(source_, &QButtonGroup::idClicked, this, &OptionsPage::OnSourceClicked);
  connect(automatic_, &QCheckBox::clicked, this, &OptionsPage::UpdateAutomaticConversion);
}

void OptionsPage::BuildLayout() {
  auto* directory = Named(new QRadioButton("Convert Directory"), "convertDirectory");
  auto* files = Named(new QRadioButton("Convert File(s)"), "convertFiles");
  source_->addButton(directory, 0);
  source_->addButton(files, 1);
  minutes_->setMaximumWidth(minutes_->fontMetrics().horizontalAdvance("0000000") + 12);
  auto* every = new QHBoxLayout;
  every->addWidget(new QLabel("Convert every"));
  every->addWidget(minutes_);
  every->addWidget(new QLabel("minutes"));
  every->addStretch();

  auto* page = new QVBoxLayout(this);
  page->addWidget(MakeGroup("Source Options", {directory, files, subdir_}));
  page->addWidget(MakeGroup("Destination options", {keepDate_, hierarchy_, keepExtension_}));
  page->addWidget(MakeGroup("Auto File Convertion", {automatic_}, every));
  page->addStretch();
}

// The stored tick of the automatic conversion comes back, but no timer runs
// until the user ticks the box again.
void OptionsPage::ShowValues() {
  if (QAbstractButton* chosen = source_->button(values_.DirFile))
    chosen->setChecked(true);
  subdir_->setChecked(values_.Subdir == 1);
  hierarchy_->setChecked(values_.Hiberarchy == 1);
  keepDate_->setChecked(values_.KeepDate == 1);
  keepExtension_->setChecked(values_.KeepExt == 1);
  automatic_->setChecked(values_.Cyclely == 1);
  minutes_->setText(QString::number(values_.CycleMinutes));
  EnableFolderOptions();
}

void OptionsPage::EnableFolderOptions() {
  const bool folder = source_->checkedId() == 0;
  for (QCheckBox* box : {subdir_, hierarchy_, automatic_})
    box->setEnabled(folder);
}

bool OptionsPage::ReadControls() {
  values_.DirFile = source_->checkedId();
  values_.Subdir = Ticked(*subdir_);
  values_.Hiberarchy = Ticked(*hierarchy_);
  values_.KeepDate = Ticked(*keepDate_);
  values_.KeepExt = Ticked(*keepExtension_);
  values_.Cyclely = Ticked(*automatic_);
  return ReadMinutes();
}

// An interval of 0 would start a run as soon as the last one ends, and a
// timer counts no more than kMaxMinutes: both are refused like bad numbers.
bool OptionsPage::ReadMinutes() {
  const std::optional<int> minutes = ReadNumber(*minutes_);
  if (!minutes)
    return false;
  if (*minutes < 1 || static_cast<unsigned>(*minutes) > kMaxMinutes) {
    Refuse(*minutes_);
    return false;
  }
  values_.CycleMinutes = static_cast<unsigned>(*minutes);
  return true;
}

void OptionsPage::OnSourceClicked() {
  for (QCheckBox* box : {subdir_, hierarchy_, automatic_})
    box->setChecked(false);
  EnableFolderOptions();
  UpdateAutomaticConversion();
}

void OptionsPage::ChooseSource(int dirFile) {
  if (source_->checkedId() == dirFile)
    return;
  source_->button(dirFile)->setChecked(true);
  OnSourceClicked();
}

// No timer starts on a bad interval: the box is unticked again.
void OptionsPage::UpdateAutomaticConversion() {
  if (!ReadControls() && automatic_->isChecked()) {
    automatic_->setChecked(false);
    values_.Cyclely = 0;
  }
  minutes_->setEnabled(!automatic_->isChecked());
  emit AutomaticConversionChanged(values_.CycleMinutes, automatic_->isChecked());
}

void OptionsPage::Save() {
  ReadControls();
  SaveOptions(configurationPath_, values_);
}
