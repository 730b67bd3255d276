#include "framework/Background.h"

#include <QApplication>
#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>

#include <thread>

void WorkControl::Progress(double fraction) const {
  const double f = fraction < 0 ? 0 : fraction > 1 ? 1 : fraction;
  permille_->store(static_cast<int>(f * 1000));
}

namespace {

// While the work runs, the keys and the mouse reach only the progress dialog: nothing else
// may change the document under the work's feet.
class InputOnlyFor : public QObject {
public:
  explicit InputOnlyFor(QWidget* allowed) : allowed_(allowed) { qApp->installEventFilter(this); }
  ~InputOnlyFor() override { qApp->removeEventFilter(this); }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel: {
      auto* w = qobject_cast<QWidget*>(watched);
      return !(w && (w == allowed_ || allowed_->isAncestorOf(w)));
    }
    default: return false;
    }
  }

private:
  QWidget* allowed_;
};

} // namespace

bool RunInBackground(QWidget* parent, const QString& label,
                     std::function<void(const WorkControl&)> work) {
  WorkControl control;
  control.cancelled_ = std::make_shared<std::atomic<bool>>(false);
  control.permille_ = std::make_shared<std::atomic<int>>(0);
  auto done = std::make_shared<std::atomic<bool>>(false);
  // The thread keeps what it uses alive: it may run on after a Cancel.
  std::thread worker([work = std::move(work), control, done] {
    work(control);
    done->store(true);
  });

  QProgressDialog progress(label, QStringLiteral("Cancel"), 0, 1000, parent);
  progress.setObjectName(QStringLiteral("backgroundProgress"));
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(kProgressDelayMs);
  progress.setAutoClose(false);
  progress.setAutoReset(false);
  progress.setValue(0);
  QEventLoop loop;
  QTimer poll;
  poll.setInterval(20);
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (done->load() || progress.wasCanceled()) {
      loop.quit();
      return;
    }
    progress.setValue(control.permille_->load());
  });
  poll.start();
  if (!done->load()) {
    InputOnlyFor onlyProgress(&progress);
    loop.exec();
  }
  poll.stop();
  if (done->load()) {
    worker.join();
    return true;
  }
  control.cancelled_->store(true);
  worker.detach(); // it finishes unseen, on data of its own
  return false;
}
