#include "app/AboutDlg.h"

#include "resources/Ids.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

// The pictures embedded in the program (kept in a static library, so registered by hand).
static void InitAppResourcesOnce() {
  Q_INIT_RESOURCE(orlith);
}
void InitAppResources() {
  static const bool done = (InitAppResourcesOnce(), true);
  (void)done;
}

// ---------------------------------------------------------------- CPictureWnd

CPictureWnd::CPictureWnd(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

bool CPictureWnd::LoadFromResource(int id) {
  QFile res(QStringLiteral(":/vexa/JPG/%1").arg(id));
  if (!res.open(QIODevice::ReadOnly)) return false;
  QImage image;
  if (!image.loadFromData(res.readAll(), "JPG")) return false;
  image_ = image.convertToFormat(QImage::Format_RGB32);
  return !image_.isNull();
}

void CPictureWnd::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, image_);
}

// ---------------------------------------------------------------- CInternetLink

CInternetLink::CInternetLink(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setCursor(Qt::ArrowCursor);
  if (parent) setFont(parent->font());
}

QColor CInternetLink::Colour() const {
  return hover_ ? QColor(0, 0, 255) : QColor(0, 0, 0);
}

void CInternetLink::Layout() {
  const QFontMetrics fm(font());
  const int w = fm.horizontalAdvance(text_);
  const int h = fm.height();
  const int left = (width() - w) / 2;
  const int top = (height() - h) / 2;
  textRect_ = QRect(QPoint(left, top), QPoint(left + w, height() / 2 + h / 2));
  layoutNeeded_ = false;
}

void CInternetLink::paintEvent(QPaintEvent*) {
  if (layoutNeeded_) Layout();
  QPainter p(this);
  p.setFont(font());
  p.setPen(Colour());
  const QFontMetrics fm(font());
  p.drawText(textRect_.left(), textRect_.top() + fm.ascent(), text_);
  p.drawLine(textRect_.left(), textRect_.bottom(), textRect_.right(), textRect_.bottom());
}

void CInternetLink::SetHover(bool hover) {
  hover_ = hover;
  setCursor(hover ? Qt::PointingHandCursor : Qt::ArrowCursor);
  repaint();
}

void CInternetLink::mouseMoveEvent(QMouseEvent* event) {
  if (layoutNeeded_) Layout();
  const bool inside = textRect_.contains(event->position().toPoint());
  if (inside && !hover_)
    SetHover(true);
  else if (!inside && hover_)
    SetHover(false);
}

void CInternetLink::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  if (hover_) SetHover(false);
}

void CInternetLink::mousePressEvent(QMouseEvent* event) {
  if (layoutNeeded_) Layout();
  if (event->button() == Qt::LeftButton && textRect_.contains(event->position().toPoint()))
    Ui().ShellOpen(text_);
}

// ---------------------------------------------------------------- CAboutDlg

CAboutDlg::CAboutDlg(QWidget* parent)
    : CDialog(parent), ok_(new QPushButton(QStringLiteral("Ok"), this)),
      address_(new QLabel(LoadStr(ids::IDC_WEB_ADDRESS), this)) {
  InitAppResources();
  // A pop-up with a modal frame and no caption.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint);
  setWindowTitle(LoadStr(ids::ID_APP_ABOUT).section(QLatin1Char('\n'), 1));
  QFont font(QStringLiteral("Courier New"));
  font.setStyleHint(QFont::Monospace);
  font.setPointSize(10);
  setFont(font);
  // The layout of the resource: 235 x 158 units.
  resize(470, 316);
  ok_->setObjectName(QStringLiteral("IDOK"));
  ok_->setDefault(true);
  ok_->resize(ok_->sizeHint().width(), 25);
  ok_->move(width() - ok_->width() - 10, height() - ok_->height() - 10);
  address_->setObjectName(QStringLiteral("IDC_1094"));
  address_->move(10, 10);
  address_->adjustSize();
  connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
}

bool CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  picture_ = new CPictureWnd(this);
  if (!picture_->LoadFromResource(kLogoId)) {
    delete picture_;
    picture_ = nullptr;
    return false; // the resource layout stays
  }
  const int w = picture_->PictureWidth();
  const int h = picture_->PictureHeight();
  setFixedSize(w, h);
  link_ = new CInternetLink(this);
  link_->SetText(address_->text());
  const int b = ok_->height();
  ok_->move(w - 5 - ok_->width(), h - 5 - b);
  address_->hide();
  link_->setGeometry(0, h - 3 * b, w, 2 * b);
  link_->show();
  link_->lower();
  picture_->setGeometry(0, 0, w, h);
  picture_->show();
  picture_->lower();
  return true;
}
