#include "table/TableDialogs.h"

#include "framework/UiSeam.h"
#include "table/Numbers.h"
#include "resources/Ids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace ids;

namespace {

QString ControlName(int id) {
  return QStringLiteral("IDC_%1").arg(id);
}

QLineEdit* Field(QWidget* parent, int id) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(ControlName(id));
  return edit;
}

QPushButton* Button(QWidget* parent, const QString& text, const QString& name) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

void DDX_Check(CDataExchange* pDX, QCheckBox* box, bool& value) {
  if (pDX->m_bSaveAndValidate)
    value = box->isChecked();
  else
    box->setChecked(value);
}

} // namespace

// ================================================================ CFillDlg

CFillDlg::CFillDlg(QWidget* parent)
    : CDialog(parent), value1_(Field(this, IDC_FILL_VALUE1)), value2_(Field(this, IDC_FILL_VALUE2)),
      fromCurrent_(new QCheckBox(QStringLiteral("Fill starting with current row(column)"), this)),
      byStep_(Button(this, QStringLiteral("Fill by step"), ControlName(IDC_FILL_BY_STEP))),
      evenly_(Button(this, QStringLiteral("Fill evenly"), ControlName(IDC_FILL_EVENLY))),
      cancel_(Button(this, QStringLiteral("Cancel"), QStringLiteral("IDCANCEL"))) {
  setWindowTitle(QStringLiteral("Filling column(row) parameters"));
  setObjectName(QStringLiteral("IDD_%1").arg(IDD_FILL));
  fromCurrent_->setObjectName(ControlName(IDC_FILL_FROM_CURRENT));
  byStep_->setDefault(true);

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("Value 1"), this), 0, 0);
  grid->addWidget(value1_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("Value 2"), this), 1, 0);
  grid->addWidget(value2_, 1, 1);
  grid->addWidget(fromCurrent_, 2, 0, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Note:"), this), 0, 2);
  grid->addWidget(byStep_, 1, 2);
  grid->addWidget(
      new QLabel(
          QStringLiteral("Value 1 is the start column(row) value\nValue 2 is step of increment"),
          this),
      1, 3);
  grid->addWidget(evenly_, 2, 2);
  grid->addWidget(new QLabel(QStringLiteral("Value 1 is the start column(row) value\nValue 2 "
                                            "is the end column(row) value"),
                             this),
                  2, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(byStep_, &QPushButton::clicked, this, [this] { OnFillButton(IDC_FILL_BY_STEP); });
  connect(evenly_, &QPushButton::clicked, this, [this] { OnFillButton(IDC_FILL_EVENLY); });
  connect(cancel_, &QPushButton::clicked, this, [this] { OnCancel(); });
  setTabOrder(value1_, value2_);
}

int CFillDlg::DoModal() {
  choice_ = IDCANCEL;
  return CDialog::DoModal() == IDOK ? choice_ : IDCANCEL;
}

void CFillDlg::OnOK() {
  OnFillButton(IDC_FILL_BY_STEP);
}

void CFillDlg::OnFillButton(int id) {
  if (!UpdateData(true)) return; // a field that is not a number keeps the dialog open
  choice_ = id;
  done(QDialog::Accepted);
}

void CFillDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, value1_, m_value1);
  DDX_Text(pDX, value2_, m_value2);
  DDX_Check(pDX, fromCurrent_, m_fromCurrent);
}

// ================================================================ CNumberFormatDlg

const QStringList& CNumberFormatDlg::Formats() {
  static const QStringList formats = {
      QStringLiteral("%g"),   QStringLiteral("%G"),   QStringLiteral("%f"),
      QStringLiteral("%.2f"), QStringLiteral("%.3f"), QStringLiteral("%12.8f"),
      QStringLiteral("%e"),   QStringLiteral("%.2e"), QStringLiteral("%.3e")};
  return formats;
}

QString CNumberFormatDlg::Sample(const QString& format) {
  return FormatNumber(format, 2.302585092994) + QStringLiteral("; ") +
         FormatNumber(format, 0.0000001) + QStringLiteral("; ") +
         FormatNumber(format, 5092994.0000001);
}

CNumberFormatDlg::CNumberFormatDlg(QWidget* parent)
    : CDialog(parent), list_(new QComboBox(this)), sample_(Field(this, IDC_FORMAT_SAMPLE)) {
  setWindowTitle(QStringLiteral("Number format"));
  setObjectName(QStringLiteral("IDD_%1").arg(IDD_NUMBER_FORMAT));
  list_->setObjectName(ControlName(IDC_FORMAT_LIST));
  list_->addItems(Formats());
  sample_->setReadOnly(true);
  sample_->setMinimumWidth(300);

  auto* ok = Button(this, QStringLiteral("OK"), QStringLiteral("IDOK"));
  auto* cancel = Button(this, QStringLiteral("Cancel"), QStringLiteral("IDCANCEL"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });

  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("Format"), this));
  top->addWidget(list_, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(new QLabel(
      QStringLiteral("The sample:\n\n2.302585092994;  0.0000001; 5092994.0000001"), this));
  layout->addWidget(sample_);
  layout->addLayout(buttons);

  connect(list_, &QComboBox::currentIndexChanged, this,
          [this](int index) { OnSelectionChanged(index); });
}

bool CNumberFormatDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // The entry equal to the chosen format (exactly, case included), else the first one.
  int index = 0;
  for (int i = 0; i < list_->count(); ++i) {
    if (list_->itemText(i) == m_format) {
      index = i;
      break;
    }
  }
  list_->setCurrentIndex(index);
  OnSelectionChanged(index);
  return true;
}

void CNumberFormatDlg::OnSelectionChanged(int index) {
  if (index < 0) return;
  m_format = list_->itemText(index);
  sample_->setText(Sample(m_format));
}

// ================================================================ CAddPointsDlg

CAddPointsDlg::CAddPointsDlg(QWidget* parent)
    : CDialog(parent), count_(Field(this, IDC_POINT_COUNT)), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  setWindowTitle(QStringLiteral("Add several points"));
  setObjectName(QStringLiteral("IDD_%1").arg(IDD_ADD_POINTS));
  up_->setObjectName(ControlName(IDC_POINT_SPIN) + QStringLiteral("_up"));
  down_->setObjectName(ControlName(IDC_POINT_SPIN) + QStringLiteral("_down"));
  up_->setArrowType(Qt::UpArrow);
  down_->setArrowType(Qt::DownArrow);
  for (QToolButton* b : {up_, down_}) {
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setFixedSize(16, 11);
  }
  connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
  connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
  count_->installEventFilter(this);

  auto* arrows = new QVBoxLayout;
  arrows->setSpacing(0);
  arrows->addWidget(up_);
  arrows->addWidget(down_);
  auto* field = new QHBoxLayout;
  field->setSpacing(0);
  field->addWidget(count_);
  field->addLayout(arrows);

  auto* ok = Button(this, QStringLiteral("OK"), QStringLiteral("IDOK"));
  auto* cancel = Button(this, QStringLiteral("Cancel"), QStringLiteral("IDCANCEL"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("Number of points"), this));
  row->addLayout(field);
  layout->addLayout(row);
  layout->addLayout(buttons);
}

void CAddPointsDlg::Step(int delta) {
  int n = kMinPoints;
  if (!ParseInt(count_->text(), &n)) n = kMinPoints - delta; // an unreadable field starts over
  n = std::clamp(n + delta, kMinPoints, kMaxPoints);
  count_->setText(QString::number(n));
  count_->selectAll();
}

bool CAddPointsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == count_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Step(key == Qt::Key_Up ? 1 : -1);
      return true;
    }
  }
  return CDialog::eventFilter(watched, event);
}

void CAddPointsDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, count_, m_count);
  DDV_MinMaxInt(pDX, m_count, kMinPoints, kMaxPoints);
}
