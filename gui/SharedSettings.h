// The process's conversion settings as the window shares them: the Settings
// page applies new values on the main thread while a run reads them on the
// worker's, each file starting from a consistent copy.
#pragma once

#include "faxengine/ConversionSettings.h"

#include <functional>
#include <mutex>

class SharedSettings {
public:
  explicit SharedSettings(const ConversionSettings& initial) : settings_(initial) {}

  ConversionSettings Snapshot() const {
    std::lock_guard lock(mutex_);
    return settings_;
  }

  void Update(const std::function<void(ConversionSettings&)>& change) {
    std::lock_guard lock(mutex_);
    change(settings_);
  }

private:
  mutable std::mutex mutex_;
  ConversionSettings settings_;
};
