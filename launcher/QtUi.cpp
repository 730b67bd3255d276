#include "launcher/QtUi.h"

#include <QMessageBox>

namespace vexa::launcher {

bool QtLauncherUi::Confirm() {
  QMessageBox box(QMessageBox::Question, QString::fromLatin1(kCaption),
                  QString::fromLatin1(kQuestion), QMessageBox::Yes | QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void QtLauncherUi::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kCaption),
                  QString::fromStdString(text), QMessageBox::Ok);
  box.exec();
}

} // namespace vexa::launcher
