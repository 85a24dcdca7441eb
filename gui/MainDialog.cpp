#include "gui/MainDialog.h"

#include "gui/Fields.h"
#include "gui/FolderPage.h"
#include "gui/Look.h"
#include "gui/NotificationIcon.h"
#include "gui/OptionsPage.h"
#include "gui/SettingsPage.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <QDesktopServices>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

std::string HelpDocumentPath(const std::string& executablePath) {
  const std::string folder = platform::FolderOf(executablePath);
  for (const std::string& candidate : {executablePath + ".html", folder + "/README.md",
                                       folder + "/../share/doc/tarvelo/README.md"})
    if (platform::IsRegularFile(candidate))
      return candidate;
  return {};
}

MainDialog::MainDialog(const WindowContext& context)
    : context_(context), tabs_(new QTabWidget), folder_(new FolderPage(context)),
      options_(new OptionsPage(context.configurationPath)),
      settings_(new SettingsPage(context.configurationPath, context.settings)) {
  setWindowTitle("Tarvelo");
  setWindowIcon(QIcon(":/tarvelo.png"));
  Paint(*this, look::kDialogBackground, look::kDialogEdits);
  BuildLayout();
  ApplyPages();
  icon_ = new NotificationIcon(*this);

  connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
    if (tab == 0)
      ApplyPages();
  });
  connect(options_, &OptionsPage::AutomaticConversionChanged, folder_,
          &FolderPage::SetAutomaticConversion);
  // A drop chooses the kind of source, and the Convert page reads its source
  // that way from the next Go on, not only after a visit to the Options tab.
  connect(folder_, &FolderPage::SourceDropped, this, [this](int dirFile) {
    options_->ChooseSource(dirFile);
    folder_->SetOptions(options_->Values());
  });
  connect(icon_, &NotificationIcon::OpenChosen, this, &MainDialog::Open);
  connect(icon_, &NotificationIcon::AboutChosen, this, &MainDialog::ShowAbout);
  connect(icon_, &NotificationIcon::ExitChosen, this, [this] { CloseWith(kClosedWithOk); });
}

void MainDialog::BuildLayout() {
  tabs_->addTab(folder_, "Convert");
  tabs_->addTab(options_, "Options");
  tabs_->addTab(settings_, "Settings");
  auto* help = new QPushButton("&Help");
  auto* about = new QPushButton("&About");
  auto* buttons = new QVBoxLayout;
  for (QPushButton* button : {help, about}) {
    button->setAutoDefault(false);
    buttons->addWidget(button);
  }
  help->setObjectName("help");
  buttons->addStretch();
  connect(help, &QPushButton::clicked, this, &MainDialog::OpenHelp);
  connect(about, &QPushButton::clicked, this, &MainDialog::ShowAbout);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(tabs_, 1);
  layout->addLayout(buttons);
  resize(640, 480);
}

// On start-up and every return to the Convert tab: the Options values shape
// the next run and the Settings values reach the conversions.
void MainDialog::ApplyPages() {
  options_->ReadControls();
  folder_->SetOptions(options_->Values());
  settings_->Apply();
  folder_->ReadFields();
}

void MainDialog::CloseWith(int exitCode) {
  if (closed_)
    return;
  closed_ = true;
  folder_->StopAndWait();
  SaveMain(context_.configurationPath, folder_->Folders());
  options_->Save();
  settings_->Save();
  hide();
  emit Closed(exitCode);
}

void MainDialog::Open() {
  showNormal();
  raise();
  activateWindow();
}

// Enter on a button presses it; anywhere else it closes the window as OK.
void MainDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
    return QDialog::keyPressEvent(event);
  if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
    return button->click();
  accept();
}

// Minimising hides the window into the notification icon, when there is
// one to bring it back from.
void MainDialog::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && isMinimized() && icon_->Shown())
    QTimer::singleShot(0, this, &QWidget::hide);
}

void MainDialog::OpenHelp() {
  const std::string document = HelpDocumentPath(context_.executablePath);
  if (!document.empty())
    QDesktopServices::openUrl(QUrl::fromLocalFile(FromLocal(document)));
}

void MainDialog::ShowAbout() {
  QMessageBox::about(this, "About Tarvelo",
                     "Tarvelo " TARVELO_VERSION "\n\nConverts fax documents into PDF files: TIFF "
                     "fax files, bare Group 3 and Group 4 streams, fax-program containers, CALS, "
                     "DCX and one-bit BMP images.");
}
