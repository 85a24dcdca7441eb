#include "gui/FolderPage.h"

#include "batch/FileSelection.h"
#include "batch/FolderConversion.h"
#include "gui/ConversionWorker.h"
#include "gui/Fields.h"
#include "gui/Look.h"
#include "platform/FileSystem.h"
#include "platform/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <climits>

namespace {

QPushButton* MakeButton(const QString& text, const char* name) {
  auto* button = Named(new QPushButton(text), name);
  button->setAutoDefault(false);
  if (text == "...")
    button->setMaximumWidth(button->fontMetrics().horizontalAdvance("  ...  ") + 12);
  return button;
}

// The paths dropped onto the page, when all of them are local files.
QStringList LocalPaths(const QMimeData& data) {
  QStringList paths;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile())
      return {};
    paths << url.toLocalFile();
  }
  return paths;
}

} // namespace

FolderPage::FolderPage(const WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context), filterField_(Named(new QLineEdit, "filter")),
      sourceField_(Named(new QLineEdit, "source")),
      destinationField_(Named(new QLineEdit, "destination")),
      backupField_(Named(new QLineEdit, "backup")),
      sourceBrowse_(MakeButton("...", "sourceBrowse")),
      destinationBrowse_(MakeButton("...", "destinationBrowse")),
      backupBrowse_(MakeButton("...", "backupBrowse")), go_(MakeButton("&Go", "go")),
      cancel_(MakeButton("&Cancel", "cancel")), results_(Named(new QTableWidget(0, 3), "results")),
      progress_(Named(new QProgressBar, "progress")), status_(Named(new QLabel, "status")) {
  BuildLayout();
  Paint(*this, look::kPageBackground, look::kConvertEdits);
  setAcceptDrops(true);

  const MainSection folders = LoadMain(context_.configurationPath);
  filterField_->setText("*.*");
  sourceField_->setText(FromLocal(folders.FaxDir));
  destinationField_->setText(FromLocal(folders.SaveDir));
  backupField_->setText(FromLocal(folders.BakDir));
  SetStatus("It's a GOOD idea to backup your fax files, and NEVER delete them");
  SetRunning(false);
  ReadFields();

  connect(sourceBrowse_, &QPushButton::clicked, this, [this] { Browse(*sourceField_, true); });
  connect(destinationBrowse_, &QPushButton::clicked, this,
          [this] { Browse(*destinationField_, false); });
  connect(backupBrowse_, &QPushButton::clicked, this, [this] { Browse(*backupField_, false); });
  connect(go_, &QPushButton::clicked, this, [this] { Start(Trigger::User); });
  connect(cancel_, &QPushButton::clicked, this, &FolderPage::Stop);
  connect(&timer_, &QTimer::timeout, this, [this] { Start(Trigger::Timer); });
}

FolderPage::~FolderPage() { StopAndWait(); }

void FolderPage::BuildLayout() {
  auto* fields = new QGridLayout;
  auto* filterLabel = new QLabel("File &filter");
  filterLabel->setBuddy(filterField_);
  fields->addWidget(filterLabel, 0, 0);
  fields->addWidget(filterField_, 0, 1);
  const std::pair<const char*, std::pair<QLineEdit*, QPushButton*>> rows[] = {
      {"Source", {sourceField_, sourceBrowse_}},
      {"Destniation", {destinationField_, destinationBrowse_}},
      {"Move to", {backupField_, backupBrowse_}}};
  int row = 1;
  for (const auto& [label, controls] : rows) {
    fields->addWidget(new QLabel(label), row, 0);
    fields->addWidget(controls.first, row, 1);
    fields->addWidget(controls.second, row++, 2);
  }
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(go_);
  buttons->addWidget(cancel_);
  fields->addLayout(buttons, row, 0, 1, 3);

  results_->setHorizontalHeaderLabels({"Source Fax Files", "Destination PDF Files", "Results"});
  // The paths share the width, the results column fits its texts.
  results_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  results_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  // One line per file; long paths lose their middle, not their file name.
  results_->setWordWrap(false);
  results_->setTextElideMode(Qt::ElideMiddle);
  results_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  results_->verticalHeader()->hide();
  results_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  results_->setSelectionBehavior(QAbstractItemView::SelectRows);
  auto* copy = new QAction("&Copy", results_);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  connect(copy, &QAction::triggered, this, &FolderPage::CopyRows);
  results_->addAction(copy);
  results_->setContextMenuPolicy(Qt::ActionsContextMenu);

  auto* group = new QGroupBox("Convert Fax to PDF");
  auto* inside = new QVBoxLayout(group);
  inside->addLayout(fields);
  inside->addWidget(results_, 1);
  inside->addWidget(progress_);
  inside->addWidget(status_);
  auto* page = new QVBoxLayout(this);
  page->addWidget(group);
}

void FolderPage::ReadFields() {
  filterText_ = filterField_->text();
  sourceText_ = sourceField_->text();
  destination_ = destinationField_->text();
  backupFolder_ = backupField_->text();
}

MainSection FolderPage::Folders() const {
  return {Local(sourceField_->text()), Local(destinationField_->text()),
          Local(backupField_->text())};
}

void FolderPage::Browse(QLineEdit& field, bool forSource) {
  if (forSource && options_.DirFile == 1) {
    // "*.*" names every file, as it does in the folder walk.
    const QString filter = filterField_->text() == "*.*" ? "*" : filterField_->text();
    const QStringList chosen = QFileDialog::getOpenFileNames(this, "Fax files", {}, filter);
    std::vector<std::string> paths;
    for (const QString& path : chosen)
      paths.push_back(Local(path));
    if (!paths.empty())
      field.setText(FromLocal(FileSelectionText(paths)));
    return;
  }
  const QString folder = QFileDialog::getExistingDirectory(this, {}, field.text());
  if (!folder.isEmpty())
    field.setText(folder);
}

void FolderPage::dragEnterEvent(QDragEnterEvent* event) {
  if (!Running() && !LocalPaths(*event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

// One folder becomes the source folder; files become a file selection.
void FolderPage::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalPaths(*event->mimeData());
  if (paths.size() == 1 && QFileInfo(paths.front()).isDir()) {
    sourceField_->setText(paths.front());
    emit SourceDropped(0);
    return event->acceptProposedAction();
  }
  std::vector<std::string> files;
  for (const QString& path : paths) {
    if (!QFileInfo(path).isFile())
      return;
    files.push_back(Local(path));
  }
  sourceField_->setText(FromLocal(FileSelectionText(files)));
  emit SourceDropped(1);
  event->acceptProposedAction();
}

bool FolderPage::BuildFileList() {
  ReadFields();
  job_.fileList.clear();
  job_.unreadableFolders.clear();
  job_.filter = Local(filterText_);
  job_.includeSubfolders = options_.Subdir == 1;
  if (options_.DirFile == 1) {
    FileSelection selection = ParseFileSelection(Local(sourceText_));
    job_.source = selection.folder;
    job_.fileList = std::move(selection.names);
  } else {
    job_.source = Local(sourceText_);
    if (!job_.source.empty())
      CollectSourceFolder(job_);
  }
  progress_->setRange(0, std::max<int>(1, static_cast<int>(job_.fileList.size())));
  progress_->setValue(0);
  return !job_.source.empty();
}

void FolderPage::Warn(Trigger trigger, const char* text, const char* caption,
                      platform::MessageKind kind) {
  // A hidden window converting on its timer must not pile up boxes.
  if (trigger == Trigger::Timer)
    return SetStatus(QString(caption) + ": " + QString(text).replace('\n', ' '));
  platform::ShowMessageBox(text, caption, kind);
}

void FolderPage::Start(Trigger trigger) {
  if (Running()) {
    if (trigger == Trigger::Timer)
      return SetStatus("Automatic conversion skipped: the previous run is still going");
    return Warn(trigger, "Please wait while running conversion stops", "Warning");
  }
  const bool hasSource = BuildFileList();
  if (trigger == Trigger::Timer && (!hasSource || destination_.isEmpty()))
    return;
  if (!hasSource)
    return Warn(trigger, "Select Source Dir,\nwhere your fax files to be converted should be",
                "Warning");
  if (destination_.isEmpty())
    return Warn(trigger, "Select Save Dir,\nwhere your converted pdf files should be", "Warning");
  job_.skipExisting = trigger == Trigger::Timer;
  CreateFolders(trigger);
  StartWorker();
}

// A folder that cannot be made is reported and the run goes on: each file
// then fails with its own result.
void FolderPage::CreateFolders(Trigger trigger) {
  using platform::MessageKind;
  if (!platform::CreateFolderTree(Local(destination_)))
    Warn(trigger, "Error Save Dir", "Error", MessageKind::Error);
  if (!backupFolder_.isEmpty() && !platform::CreateFolderTree(Local(backupFolder_)))
    Warn(trigger, "Error Backup Dir", "Error", MessageKind::Error);
}

void FolderPage::StartWorker() {
  job_.keepDate = options_.KeepDate == 1;
  job_.keepExtension = options_.KeepExt == 1;
  job_.keepHierarchy = options_.Hiberarchy == 1;
  job_.destination = Local(destination_);
  job_.backupFolder = Local(backupFolder_);
  job_.pdfsWritten = job_.faxFailures = 0;
  job_.resultText = "Tarvelo in GUI mode : convert folder\r\nSource Folder: " + job_.source +
                    "\r\nDestination Folder: " + job_.destination + "\r\n";
  for (const std::string& folder : job_.unreadableFolders)
    job_.resultText += "Failed to read folder : " + folder + "\r\n";
  results_->setRowCount(0);

  thread_ = new QThread(this);
  worker_ = new ConversionWorker(context_, job_);
  worker_->moveToThread(thread_);
  connect(thread_, &QThread::started, worker_, &ConversionWorker::Run);
  connect(worker_, &ConversionWorker::RowStarted, this, [this](int row, const QString& source) {
    results_->insertRow(row);
    results_->setItem(row, 0, new QTableWidgetItem(source));
  });
  connect(worker_, &ConversionWorker::RowFinished, this,
          [this](int row, const QString& pdf, const QString& result) {
            results_->setItem(row, 1, new QTableWidgetItem(pdf));
            results_->setItem(row, 2, new QTableWidgetItem(result));
            progress_->setValue(progress_->value() + 1);
          });
  connect(worker_, &ConversionWorker::StatusChanged, this, &FolderPage::SetStatus);
  // Direct: the window's thread may be waiting for this thread to end.
  connect(worker_, &ConversionWorker::Finished, thread_, &QThread::quit, Qt::DirectConnection);
  connect(thread_, &QThread::finished, this, &FolderPage::OnWorkerEnded);
  SetRunning(true);
  thread_->start();
}

void FolderPage::Stop() {
  if (!Running())
    return;
  worker_->RequestStop();
  cancel_->setEnabled(false);
  SetStatus("Stopping after the current file...");
}

void FolderPage::StopAndWait() {
  if (!Running())
    return;
  worker_->RequestStop();
  thread_->wait();
  OnWorkerEnded();
}

// Runs once per worker, whether its end is waited for or signalled.
void FolderPage::OnWorkerEnded() {
  if (!Running())
    return;
  thread_->wait();
  delete worker_;
  worker_ = nullptr;
  thread_->deleteLater();
  thread_ = nullptr;
  SetRunning(false);
}

void FolderPage::SetRunning(bool running) {
  for (QWidget* control :
       std::initializer_list<QWidget*>{go_, sourceBrowse_, destinationBrowse_, backupBrowse_,
                                       sourceField_, destinationField_, backupField_})
    control->setEnabled(!running);
  cancel_->setEnabled(running);
  if (running)
    setCursor(Qt::BusyCursor);
  else
    unsetCursor();
}

void FolderPage::SetAutomaticConversion(unsigned minutes, bool enabled) {
  if (!enabled)
    return timer_.stop();
  timer_.start(static_cast<int>(std::min<unsigned>(minutes, INT_MAX / 60000) * 60000));
}

void FolderPage::CopyRows() const {
  QString text;
  for (int row = 0; row < results_->rowCount(); ++row) {
    if (!results_->selectionModel()->selectedRows().isEmpty() &&
        !results_->selectionModel()->isRowSelected(row))
      continue;
    QStringList cells;
    for (int column = 0; column < results_->columnCount(); ++column) {
      const QTableWidgetItem* item = results_->item(row, column);
      cells << (item ? item->text() : QString());
    }
    text += cells.join('\t') + '\n';
  }
  QApplication::clipboard()->setText(text);
}

void FolderPage::SetStatus(const QString& text) { status_->setText(text); }
