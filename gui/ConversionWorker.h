// Converts the Convert page's file list on a thread of its own, through the
// same single-file conversion as the command line, and reports every row,
// the progress and the status by signals (queued to the window's thread: the
// worker never touches a widget).
#pragma once

#include "batch/BatchJob.h"
#include "gui/WindowContext.h"

#include <QObject>
#include <QString>

#include <atomic>

class ConversionWorker : public QObject {
  Q_OBJECT
public:
  // The job comes complete: file list, source folder, destination, naming
  // options and the result text's heading.
  ConversionWorker(const WindowContext& context, BatchJob job);

  // Safe from any thread: the file being converted is finished, no other is
  // started.
  void RequestStop() { stopRequested_ = true; }

public slots:
  void Run();

signals:
  void RowStarted(int row, const QString& source);
  void RowFinished(int row, const QString& pdf, const QString& result);
  void StatusChanged(const QString& status);
  void Finished(int converted);

private:
  // Converts one entry; true when a PDF was written.
  bool ConvertEntry(int row, const std::string& entry);
  void WriteLog();

  const WindowContext& context_;
  BatchJob job_;
  std::atomic<bool> stopRequested_ = false;
};
