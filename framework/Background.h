#pragma once
// Long work off the window's thread. The work runs on a thread of its own, on data of its
// own; the window keeps repainting, and after about 100 ms a progress dialog with Cancel
// appears. The document is changed only when the work has completed, by the caller, on the
// window's thread.
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QWidget;

// What the work may ask and tell while it runs.
class WorkControl {
public:
  // True once the user pressed Cancel: the work may stop early (its result is dropped anyway).
  bool Cancelled() const { return cancelled_->load(); }
  // How far the work is, 0 ... 1 (for the progress bar).
  void Progress(double fraction) const;

private:
  friend bool RunInBackground(QWidget*, const QString&, std::function<void(const WorkControl&)>);
  std::shared_ptr<std::atomic<bool>> cancelled_;
  std::shared_ptr<std::atomic<int>> permille_;
};

// Runs `work` on a thread of its own and waits for it, the window responsive meanwhile.
// Returns true when the work completed, false when the user cancelled: the call then returns at
// once and the work finishes unseen (it must own what it works on, for it may outlive the
// call).
bool RunInBackground(QWidget* parent, const QString& label,
                     std::function<void(const WorkControl&)> work);

// How long the work may take before the progress dialog shows, in milliseconds.
inline constexpr int kProgressDelayMs = 100;
