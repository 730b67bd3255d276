#include "preferences/PreferencesDlg.h"

#include "framework/DocView.h"
#include "framework/UiSeam.h"
#include "plot/GraphPlot.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>
#include <QToolButton>

#include <algorithm>

using namespace ids;

namespace {

ColorChooser g_chooser;

bool SystemColorDialog(QWidget* parent, COLORREF& color) {
  const QColor chosen = QColorDialog::getColor(ToQColor(color), parent, QStringLiteral("Color"));
  if (!chosen.isValid()) return false;
  color = FromQColor(chosen);
  return true;
}

// Dialog units of the template's font (8-point MS Sans Serif: 6 × 13 base units) in pixels.
QRect Dlu(int x, int y, int w, int h) {
  auto px = [](int v) { return v * 6 / 4; };
  auto py = [](int v) { return v * 13 / 8; };
  return QRect(px(x), py(y), px(w), py(h));
}

CFont FontOf(const QWidget* w) {
  CFont f;
  f.face = w->font().family();
  f.height = -QFontInfo(w->font()).pixelSize();
  return f;
}

class MarkerDelegate : public QStyledItemDelegate {
public:
  MarkerDelegate(const CMarkerCombo* combo)
      : QStyledItemDelegate(const_cast<CMarkerCombo*>(combo)), combo_(combo) {}
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    painter->save();
    CPainterDC dc(painter);
    const QRect r = option.rect;
    DrawMarkerItem(&dc, CRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                   index.data(Qt::UserRole).toInt(), *combo_->fill, *combo_->outline,
                   option.state & QStyle::State_Selected, option.state & QStyle::State_HasFocus,
                   FromQColor(option.palette.color(QPalette::Base)),
                   FromQColor(option.palette.color(QPalette::Highlight)));
    painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return QSize(option.rect.width(), CMarkerCombo::kItemHeight);
  }

private:
  const CMarkerCombo* combo_;
};

} // namespace

void SetColorChooser(ColorChooser chooser) {
  g_chooser = std::move(chooser);
}

COLORREF ButtonTextColor(COLORREF color) {
  // In thousandths, so that a grey of 128 is exactly 128 and gets white text.
  const int brightness = 299 * GetRValue(color) + 587 * GetGValue(color) + 114 * GetBValue(color);
  return brightness > 128 * 1000 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

void DrawColorButton(CDC* dc, const CRect& rect, COLORREF color, const QString& text, bool pressed,
                     bool focused, COLORREF highlight, COLORREF shadow) {
  const COLORREF textColor = ButtonTextColor(color);
  dc->Draw3dRect(rect, pressed ? shadow : highlight, shadow);
  CRect inner = rect;
  inner.DeflateRect(2, 2);
  dc->FillSolidRect(inner, color);
  const int oldBk = dc->SetBkMode(TRANSPARENT);
  const COLORREF oldText = dc->SetTextColor(textColor);
  CRect box = rect;
  dc->DrawText(text, box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  dc->SetTextColor(oldText);
  dc->SetBkMode(oldBk);
  if (focused) {
    CRect f = rect;
    f.DeflateRect(3, 3);
    dc->DrawFocusRect(f);
  }
}

void DrawMarkerItem(CDC* dc, const CRect& rect, int type, COLORREF fill, COLORREF outline,
                    bool selected, bool focused, COLORREF window, COLORREF highlight) {
  dc->FillSolidRect(rect, selected ? highlight : window);
  DrawMarker(dc, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2 - 1, rect.Height() - 6,
             fill, outline, type);
  if (focused) dc->DrawFocusRect(rect);
}

// ------------------------------------------------------------------ the controls

CColorButton::CColorButton(int id, const QString& label, COLORREF* color, QWidget* parent)
    : QAbstractButton(parent), color_(color) {
  setObjectName(QStringLiteral("IDC_%1").arg(id));
  setText(label);
  setFocusPolicy(Qt::StrongFocus);
}

void CColorButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  CPainterDC dc(&painter);
  dc.SelectObject(FontOf(this));
  DrawColorButton(&dc, CRect{0, 0, width(), height()}, *color_, text(), isDown(), hasFocus(),
                  FromQColor(palette().color(QPalette::Light)),
                  FromQColor(palette().color(QPalette::Dark)));
}

CSpinButtonCtrl::CSpinButtonCtrl(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CSpinButtonCtrl::SetBuddy(QLineEdit* buddy) {
  buddy_ = buddy;
  buddy_->installEventFilter(this);
  // Attached at the buddy's right edge, inside its place.
  const QRect r = buddy_->geometry();
  const int w = std::max(r.height() * 2 / 3, 12);
  buddy_->setGeometry(r.adjusted(0, 0, -w, 0));
  setGeometry(r.right() - w + 1, r.top(), w, r.height());
  up_->setGeometry(0, 0, w, r.height() / 2);
  down_->setGeometry(0, r.height() / 2, w, r.height() - r.height() / 2);
}

void CSpinButtonCtrl::SetRange(int lower, int upper) {
  lower_ = lower;
  upper_ = upper;
  pos_ = std::clamp(pos_, std::min(lower, upper), std::max(lower, upper));
}

int CSpinButtonCtrl::GetPos() const {
  int v = 0;
  if (buddy_ && ParseInt(buddy_->text(), &v)) return v;
  return pos_;
}

void CSpinButtonCtrl::Step(int delta) {
  const long v = static_cast<long>(GetPos()) + delta;
  pos_ = static_cast<int>(std::clamp<long>(v, std::min(lower_, upper_), std::max(lower_, upper_)));
  if (buddy_) buddy_->setText(QString::number(pos_));
}

bool CSpinButtonCtrl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == buddy_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? +1 : -1);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

CMarkerCombo::CMarkerCombo(const COLORREF* fillColor, const COLORREF* outlineColor, QWidget* parent)
    : QComboBox(parent), fill(fillColor), outline(outlineColor) {
  setItemDelegate(new MarkerDelegate(this));
}

void CMarkerCombo::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText.clear();
  option.currentIcon = QIcon();
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect r =
      style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  if (currentIndex() < 0) return;
  CPainterDC dc(&painter);
  DrawMarkerItem(&dc, CRect{r.left(), r.top(), r.right() + 1, r.bottom() + 1},
                 currentData(Qt::UserRole).toInt(), *fill, *outline, hasFocus(), hasFocus(),
                 FromQColor(palette().color(QPalette::Base)),
                 FromQColor(palette().color(QPalette::Highlight)));
}

// ------------------------------------------------------------------ the dialog

CPreferencesDlg::CPreferencesDlg(QWidget* parent) : CDialog(parent) {
  setWindowTitle(QStringLiteral("Preferences"));
  setObjectName(QStringLiteral("IDD_%1").arg(IDD_PREFERENCES));
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  setFont(font);
  const QRect whole = Dlu(0, 0, 320, 166);
  setFixedSize(whole.size());

  auto* colors = new QGroupBox(QStringLiteral("Colors"), this);
  colors->setGeometry(Dlu(7, 7, 196, 128));
  auto* marker = new QGroupBox(QStringLiteral("Marker"), this);
  marker->setGeometry(Dlu(210, 7, 103, 128));

  struct ButtonPlace {
    int id;
    const char* text;
    QRect place;
  };
  const ButtonPlace places[] = {
      {IDC_GRID_COLOR, "Grid color", Dlu(15, 22, 86, 24)},
      {IDC_FRAME_COLOR, "Graph frame color", Dlu(109, 22, 86, 24)},
      {IDC_DERIV_COLOR, "Derivative color", Dlu(15, 56, 86, 24)},
      {IDC_PLOT_COLOR, "Plot color", Dlu(109, 56, 86, 24)},
      {IDC_BEGIN_COLOR, "Base point color", Dlu(15, 90, 86, 24)},
      {IDC_END_COLOR, "End point color", Dlu(109, 90, 86, 24)},
      {IDC_FILL_COLOR, "Filling color", Dlu(218, 82, 86, 20)},
      {IDC_OUTLINE_COLOR, "Outline color", Dlu(218, 108, 86, 20)},
  };
  for (std::size_t i = 0; i < std::size(places); ++i) {
    const ButtonPlace& p = places[i];
    auto* b = new CColorButton(p.id, QString::fromLatin1(p.text), Field(p.id), this);
    b->setGeometry(p.place);
    connect(b, &QAbstractButton::clicked, this, [this, id = p.id] { OnColorButton(id); });
    buttons_[i] = b;
  }

  auto* typeLabel = new QLabel(QStringLiteral("Type"), this);
  typeLabel->setGeometry(Dlu(218, 20, 40, 9));
  markerList_ = new CMarkerCombo(&markerFillColor, &markerOutlineColor, this);
  markerList_->setObjectName(QStringLiteral("IDC_%1").arg(IDC_MARKER_TYPE));
  markerList_->setGeometry(Dlu(218, 30, 86, 14));
  connect(markerList_, &QComboBox::currentIndexChanged, this,
          [this](int index) { markerType = index; });

  auto* sizeLabel = new QLabel(QStringLiteral("Size"), this);
  sizeLabel->setGeometry(Dlu(218, 50, 40, 9));
  sizeEdit_ = new QLineEdit(this);
  sizeEdit_->setObjectName(QStringLiteral("IDC_%1").arg(IDC_MARKER_SIZE));
  sizeEdit_->setGeometry(Dlu(218, 60, 40, 14));
  spin_ = new CSpinButtonCtrl(this);
  spin_->setObjectName(QStringLiteral("IDC_%1").arg(IDC_MARKER_SPIN));
  spin_->SetBuddy(sizeEdit_);
  typeLabel->setBuddy(markerList_);
  sizeLabel->setBuddy(sizeEdit_);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("IDOK"));
  ok->setGeometry(Dlu(207, 143, 50, 16));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
  cancel->setObjectName(QStringLiteral("IDCANCEL"));
  cancel->setGeometry(Dlu(263, 143, 50, 16));
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

  for (std::size_t i = 0; i + 1 < 6; ++i)
    setTabOrder(buttons_[i], buttons_[i + 1]);
  setTabOrder(buttons_[5], markerList_);
  setTabOrder(markerList_, sizeEdit_);
  setTabOrder(sizeEdit_, buttons_[6]);
  setTabOrder(buttons_[6], buttons_[7]);
  setTabOrder(buttons_[7], ok);
  setTabOrder(ok, cancel);
}

COLORREF* CPreferencesDlg::Field(int id) {
  switch (id) {
  case IDC_GRID_COLOR: return &gridColor;
  case IDC_FRAME_COLOR: return &frameColor;
  case IDC_DERIV_COLOR: return &derivColor;
  case IDC_PLOT_COLOR: return &plotColor;
  case IDC_BEGIN_COLOR: return &basePointColor;
  case IDC_END_COLOR: return &endPointColor;
  case IDC_FILL_COLOR: return &markerFillColor;
  case IDC_OUTLINE_COLOR: return &markerOutlineColor;
  default: return nullptr;
  }
}

CColorButton* CPreferencesDlg::ColorButton(int id) const {
  for (CColorButton* b : buttons_)
    if (b && b->objectName() == QStringLiteral("IDC_%1").arg(id)) return b;
  return nullptr;
}

bool CPreferencesDlg::OnInitDialog() {
  application = AfxGetApp();
  gridColor = start_.gridColor;
  frameColor = start_.borderColor;
  derivColor = start_.derivColor;
  plotColor = start_.plotColor;
  basePointColor = start_.beginColor;
  endPointColor = start_.endColor;
  markerFillColor = start_.markerFillColor;
  markerOutlineColor = start_.markerOutlineColor;
  markerType = start_.markerType;
  markerSize = start_.markerSize;
  CDialog::OnInitDialog();
  {
    const QSignalBlocker quiet(markerList_);
    markerList_->clear();
    for (int type = 0; type < 8; ++type)
      markerList_->addItem(QString(), type);
    markerList_->setCurrentIndex(markerType >= 0 && markerType < 8 ? markerType : -1);
  }
  spin_->SetRange(3, 16);
  return true;
}

void CPreferencesDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, sizeEdit_, markerSize);
  DDV_MinMaxInt(pDX, markerSize, 3, 16);
}

DrawSettings CPreferencesDlg::Settings() const {
  DrawSettings s;
  s.gridColor = gridColor;
  s.borderColor = frameColor;
  s.derivColor = derivColor;
  s.plotColor = plotColor;
  s.beginColor = basePointColor;
  s.endColor = endPointColor;
  s.markerFillColor = markerFillColor;
  s.markerOutlineColor = markerOutlineColor;
  s.markerType = markerType;
  s.markerSize = markerSize;
  return s;
}

void CPreferencesDlg::OnColorButton(int id) {
  COLORREF* field = Field(id);
  if (!field) return;
  COLORREF chosen = *field;
  const bool ok = g_chooser ? g_chooser(this, chosen) : SystemColorDialog(this, chosen);
  if (ok) *field = chosen;
  if (CColorButton* b = ColorButton(id)) b->update();
  if (id == IDC_FILL_COLOR || id == IDC_OUTLINE_COLOR) {
    markerList_->update();
    if (auto* popup = markerList_->view()) popup->viewport()->update();
  }
}

bool RunPreferencesDialog(QWidget* parent, DrawSettings& settings) {
  CPreferencesDlg dlg(parent);
  dlg.SetSettings(settings);
  if (dlg.DoModal() != IDOK) return false;
  settings = dlg.Settings();
  return true;
}
