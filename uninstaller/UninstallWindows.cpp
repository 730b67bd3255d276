#include "uninstaller/UninstallWindows.h"

#include "platform/CodePage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringDecoder>
#include <QVBoxLayout>

namespace vexa::uninstaller {

namespace {

void CentreOnScreen(QWidget* w) {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    w->move(area.center() - w->rect().center());
  }
}

} // namespace

QString TextOfLogBytes(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
  if (!utf8.hasError()) return text;
  return QString::fromStdString(platform::AnsiToUtf8(bytes));
}

// ---- progress window ----

CProgressWnd::CProgressWnd(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
  setWindowTitle(QStringLiteral("Deleteing process"));
  setModal(false);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Deleting object"), this));
  entry_ = new QLabel(this);
  entry_->setObjectName(QString::fromLatin1(kEntryControl));
  entry_->setFixedWidth(420);
  entry_->setTextFormat(Qt::PlainText);
  layout->addWidget(entry_);
}

void CProgressWnd::SetEntry(const QString& entry) {
  fullEntry_ = entry;
  entry_->setText(entry_->fontMetrics().elidedText(entry, Qt::ElideMiddle, entry_->width()));
  entry_->setToolTip(entry);
  repaint();
}

QString CProgressWnd::Entry() const {
  return fullEntry_;
}

void CProgressWnd::closeEvent(QCloseEvent* event) {
  event->ignore();
}

// ---- Remove Shared Files ----

CRemoveSharedDlg::CRemoveSharedDlg(const QString& path, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Remove Shared Files"));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  auto addText = [&](const char* text) {
    auto* label = new QLabel(QString::fromLatin1(text), this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    layout->addWidget(label);
  };
  addText("The system indicates that the following shared file is no longer used by any "
          "programs.  If any programs are still using this file and it is removed, those "
          "programs may not function.  Are you sure you want to remove the shared file?");
  addText("Leaving this file will not harm your system.  If you are not sure what to do, it "
          "is suggested that you choose to not remove this shared component.");
  auto* nameRow = new QHBoxLayout;
  nameRow->addWidget(new QLabel(QStringLiteral("File name:"), this));
  auto* name = new QLineEdit(path, this);
  name->setObjectName(QString::fromLatin1(kFileNameControl));
  name->setReadOnly(true);
  name->setMinimumWidth(360);
  nameRow->addWidget(name, 1);
  layout->addLayout(nameRow);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  const std::pair<const char*, int> kButtons[] = {
      {"&Yes", IDYES}, {"Yes To &All", IDYESTOALL}, {"&No", IDNO}, {"N&o To All", IDNOTOALL}};
  for (const auto& [text, id] : kButtons) {
    auto* button = new QPushButton(QString::fromLatin1(text), this);
    button->setObjectName(QString::number(id));
    button->setAutoDefault(id == IDYES);
    button->setDefault(id == IDYES);
    const int answer = id;
    connect(button, &QPushButton::clicked, this, [this, answer] { done(answer); });
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
}

void CRemoveSharedDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
}

// ---- the user interface of a run ----

QtUninstallUi::QtUninstallUi(platform::Shell& shell) : shell_(shell) {}

QtUninstallUi::~QtUninstallUi() = default;

void QtUninstallUi::ShowProgress() {
  progress_ = std::make_unique<CProgressWnd>();
  progress_->adjustSize();
  CentreOnScreen(progress_.get());
  progress_->show();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUninstallUi::ShowEntry(const std::string& entry) {
  if (!progress_) return;
  progress_->SetEntry(TextOfLogBytes(entry));
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtUninstallUi::CloseProgress() {
  progress_.reset();
}

SharedAnswer QtUninstallUi::AskRemoveSharedFile(const std::string& path) {
  CRemoveSharedDlg dialog(TextOfLogBytes(path));
  dialog.adjustSize();
  CentreOnScreen(&dialog);
  switch (dialog.exec()) {
  case IDYES: return SharedAnswer::Yes;
  case IDYESTOALL: return SharedAnswer::YesToAll;
  case IDNOTOALL: return SharedAnswer::NoToAll;
  // IDNO, or the dialog ended some other way (the session closing): keep the file, which
  // harms nothing.
  default: return SharedAnswer::No;
  }
}

void QtUninstallUi::ShowMessage(const std::string& text, MessageIcon icon) {
  QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Information,
                  QString::fromLatin1(kCaption), TextOfLogBytes(text), QMessageBox::Ok);
  box.exec();
}

void QtUninstallUi::OpenReport(const std::string& path) {
  shell_.Open(path);
}

} // namespace vexa::uninstaller
