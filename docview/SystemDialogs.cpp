#include "docview/SystemDialogs.h"

#include "resources/Ids.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
QDialogButtonBox* OkCancel(CDialog* dlg) {
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dlg);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("IDOK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Cancel"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("IDCANCEL"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, [dlg] { dlg->OnOK(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, dlg, [dlg] { dlg->OnCancel(); });
  return buttons;
}

QLineEdit* Field(CDialog* dlg, int id) {
  auto* edit = new QLineEdit(dlg);
  edit->setObjectName(QStringLiteral("IDC_%1").arg(id));
  return edit;
}
} // namespace

CSystemParamsDlg::CSystemParamsDlg(QWidget* parent)
    : CDialog(parent), initialVolume_(Field(this, ids::IDC_INITIAL_VOLUME)),
      pKw_(Field(this, ids::IDC_PKW)), cTit_(Field(this, ids::IDC_CTIT)) {
  setWindowTitle(QStringLiteral("System parameters"));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("Initial volume, ml"), initialVolume_);
  form->addRow(QStringLiteral("System pKw"), pKw_);
  form->addRow(QStringLiteral("Titrant concentration, M"), cTit_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(OkCancel(this));
  setTabOrder(initialVolume_, pKw_);
  setTabOrder(pKw_, cTit_);
}

void CSystemParamsDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Text(pDX, pKw_, m_pKw);
  DDV_MinMaxDouble(pDX, m_pKw, 12., 16.);
  DDX_Text(pDX, cTit_, m_cTit);
  DDV_MinMaxDouble(pDX, m_cTit, 0., 10.);
  DDX_Text(pDX, initialVolume_, m_initialVolume);
  DDV_MinMaxDouble(pDX, m_initialVolume, 0., 3000.);
}

CSystemTitleDlg::CSystemTitleDlg(QWidget* parent)
    : CDialog(parent), title_(Field(this, ids::IDC_SYSTEM_TITLE)) {
  setWindowTitle(QStringLiteral("Set system title"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("System title"), this));
  layout->addWidget(title_);
  layout->addWidget(OkCancel(this));
  title_->setMinimumWidth(320);
}

void CSystemTitleDlg::DoDataExchange(CDataExchange* pDX) {
  DDX_TextAnsi(pDX, title_, m_title);
  DDV_MaxChars(pDX, m_title, kMaxTitle);
}
