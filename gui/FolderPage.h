// The Convert tab: source, destination and backup folders, Go and Cancel,
// the results list, the progress bar and the status line. It builds the
// file list, starts one ConversionWorker at a time and repeats the run on
// the automatic-conversion timer.
#pragma once

#include "app/Configuration.h"
#include "batch/BatchJob.h"
#include "gui/WindowContext.h"
#include "platform/MessageBox.h"

#include <QTimer>
#include <QWidget>

class ConversionWorker;
class QLineEdit;
class QProgressBar;
class QLabel;
class QPushButton;
class QTableWidget;
class QThread;

class FolderPage : public QWidget {
  Q_OBJECT
public:
  FolderPage(const WindowContext& context, QWidget* parent = nullptr);
  ~FolderPage() override;

  // The Options values that shape the next run (refreshed on every return to
  // the Convert tab).
  void SetOptions(const OptionsSection& options) { options_ = options; }
  // Reads the fields into the page's values.
  void ReadFields();
  MainSection Folders() const;
  bool Running() const { return thread_ != nullptr; }

  enum class Trigger { User, Timer };
  // Builds the file list and starts a run; refused (with a message for the
  // user, silently for the timer) while one is going on or a folder is unset.
  void Start(Trigger trigger);
  // Asks a running worker to stop after the file it is on; the controls come
  // back when it has ended.
  void Stop();
  // Stops and waits for the worker to end (the window is closing).
  void StopAndWait();
  // Starts (replacing the running one) or stops the automatic conversion.
  void SetAutomaticConversion(unsigned minutes, bool enabled);
  const QTimer& AutomaticTimer() const { return timer_; }

signals:
  // A folder (0) or files (1) were dropped as the source: the Options page
  // chooses the matching source kind.
  void SourceDropped(int dirFile);

protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

private:
  void BuildLayout();
  void Browse(QLineEdit& field, bool forSource);
  bool BuildFileList();
  void CreateFolders(Trigger trigger);
  void SetRunning(bool running);
  void StartWorker();
  void OnWorkerEnded();
  void CopyRows() const;
  void SetStatus(const QString& text);
  void Warn(Trigger trigger, const char* text, const char* caption,
            platform::MessageKind kind = platform::MessageKind::Warning);

  const WindowContext& context_;
  BatchJob job_;
  OptionsSection options_;
  QString sourceText_, filterText_, destination_, backupFolder_;

  QLineEdit* filterField_;
  QLineEdit* sourceField_;
  QLineEdit* destinationField_;
  QLineEdit* backupField_;
  QPushButton* sourceBrowse_;
  QPushButton* destinationBrowse_;
  QPushButton* backupBrowse_;
  QPushButton* go_;
  QPushButton* cancel_;
  QTableWidget* results_;
  QProgressBar* progress_;
  QLabel* status_;

  QTimer timer_;
  QThread* thread_ = nullptr;
  ConversionWorker* worker_ = nullptr;
};
