#include "framework/Dialog.h"

#include "resources/Ids.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "platform/CodePage.h"

#include <QLineEdit>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>

void CDataExchange::Fail() {
  if (m_pLastEdit) {
    m_pLastEdit->setFocus(Qt::OtherFocusReason);
    m_pLastEdit->selectAll();
  }
  throw CUserException{};
}

bool ParseDouble(const QString& text, double* out) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (end == s.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

bool ParseInt(const QString& text, int* out) {
  const std::string s = text.trimmed().toStdString();
  if (s.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (end == s.c_str() || *end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
    return false;
  *out = static_cast<int>(v);
  return true;
}

QString FormatDouble(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*g", DBL_DIG, v);
  return QString::fromLatin1(buf);
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, double& value) {
  pDX->PrepareEditCtrl(edit);
  if (!pDX->m_bSaveAndValidate) {
    edit->setText(FormatDouble(value));
    return;
  }
  double v = 0;
  if (!ParseDouble(edit->text(), &v)) {
    AfxMessageBox(ids::AFX_IDP_PARSE_REAL, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  value = v;
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value) {
  pDX->PrepareEditCtrl(edit);
  if (!pDX->m_bSaveAndValidate) {
    edit->setText(QString::number(value));
    return;
  }
  int v = 0;
  if (!ParseInt(edit->text(), &v)) {
    AfxMessageBox(ids::AFX_IDP_PARSE_INT, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
  value = v;
}

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, QString& value) {
  pDX->PrepareEditCtrl(edit);
  if (pDX->m_bSaveAndValidate)
    value = edit->text();
  else
    edit->setText(value);
}

void DDX_TextAnsi(CDataExchange* pDX, QLineEdit* edit, std::string& ansi) {
  pDX->PrepareEditCtrl(edit);
  if (pDX->m_bSaveAndValidate) {
    // A character the code page has no byte for would be stored as "?": refuse it instead.
    const std::string utf8 = edit->text().toStdString();
    if (const auto bad = vexa::platform::FirstUnstorableCharacter(utf8)) {
      AfxMessageBox(QStringLiteral("%1 cannot be stored: this text holds only characters of the "
                                   "Windows-1251 code page.")
                        .arg(QString::fromStdString(bad->Describe())),
                    MB_OK | MB_ICONEXCLAMATION);
      pDX->Fail();
    }
    ansi = vexa::platform::Utf8ToAnsi(utf8);
  } else
    edit->setText(QString::fromStdString(vexa::platform::AnsiToUtf8(ansi)));
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double min, double max) {
  if (!pDX->m_bSaveAndValidate) return;
  if (value < min || value > max || std::isnan(value)) {
    AfxMessageBox(
        FormatMessage(ids::AFX_IDP_PARSE_REAL_RANGE, FormatDouble(min), FormatDouble(max)),
        MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int min, int max) {
  if (!pDX->m_bSaveAndValidate) return;
  if (value < min || value > max) {
    AfxMessageBox(
        FormatMessage(ids::AFX_IDP_PARSE_INT_RANGE, QString::number(min), QString::number(max)),
        MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
}

static void MaxChars(CDataExchange* pDX, int length, int maxChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (pDX->m_pLastEdit) pDX->m_pLastEdit->setMaxLength(maxChars);
    return;
  }
  if (length > maxChars) {
    AfxMessageBox(FormatMessage(ids::AFX_IDP_PARSE_STRING_SIZE, QString::number(maxChars)),
                  MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
  }
}

void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars) {
  MaxChars(pDX, static_cast<int>(value.toUcs4().size()), maxChars);
}

void DDV_MaxChars(CDataExchange* pDX, const std::string& ansi, int maxChars) {
  MaxChars(pDX, static_cast<int>(ansi.size()), maxChars);
}

CDialog::CDialog(QWidget* parent) : QDialog(parent) {}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange dx(this, saveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const CUserException&) {
    return false;
  }
  return true;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

int CDialog::DoModal() {
  OnInitDialog();
  return Ui().RunModal(this);
}

void CDialog::OnOK() {
  if (!UpdateData(true)) return; // the dialog stays open
  done(QDialog::Accepted);
}

void CDialog::OnCancel() {
  done(QDialog::Rejected);
}
