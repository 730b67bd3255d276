#pragma once
// Modal dialogs with data exchange and validation. A dialog moves its values into its fields
// when it opens and back, checked, when OK is pressed; a field that is not a number or is out
// of range shows the framework's standard message, gets the focus back and keeps the dialog
// open. Fields are checked in the order DoDataExchange names them.
#include <QDialog>
#include <QString>

#include <string>

class QLineEdit;

class CDataExchange {
public:
  CDataExchange(QDialog* dialog, bool saveAndValidate)
      : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
  // Marks the field the next checks are about.
  void PrepareEditCtrl(QLineEdit* edit) { m_pLastEdit = edit; }
  // Gives the focus back to the last field, selects its text and aborts the exchange.
  [[noreturn]] void Fail();

  QDialog* m_pDlgWnd;
  bool m_bSaveAndValidate;
  QLineEdit* m_pLastEdit = nullptr;
};

// Thrown by CDataExchange::Fail; UpdateData catches it.
struct CUserException {};

void DDX_Text(CDataExchange* pDX, QLineEdit* edit, double& value);
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, int& value);
// Text in the documents' code page (Windows-1251 bytes). A character the code page cannot hold
// is refused with a message naming it.
void DDX_TextAnsi(CDataExchange* pDX, QLineEdit* edit, std::string& ansi);
void DDX_Text(CDataExchange* pDX, QLineEdit* edit, QString& value);
void DDV_MinMaxDouble(CDataExchange* pDX, double value, double min, double max);
void DDV_MinMaxInt(CDataExchange* pDX, int value, int min, int max);
// Limits the field to maxChars characters and checks the length when saving; an ANSI text is
// counted in bytes of the code page.
void DDV_MaxChars(CDataExchange* pDX, const QString& value, int maxChars);
void DDV_MaxChars(CDataExchange* pDX, const std::string& ansi, int maxChars);

// Parses a number as the data exchange does: leading and trailing blanks allowed, nothing
// else after the number; infinities and NaN are not numbers.
bool ParseDouble(const QString& text, double* out);
bool ParseInt(const QString& text, int* out);
// A double as the data exchange writes it into a field ("%.15g").
QString FormatDouble(double v);

class CDialog : public QDialog {
public:
  explicit CDialog(QWidget* parent = nullptr);
  // Fills the fields, runs the dialog through the seam; IDOK or IDCANCEL.
  int DoModal();
  // Moves the data: into the fields (false) or out of them, checked (true). False when a field
  // failed.
  bool UpdateData(bool saveAndValidate = true);
  virtual void OnOK();
  virtual void OnCancel();
  virtual bool OnInitDialog();
  // The OK and Cancel buttons call OnOK and OnCancel.
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }

protected:
  virtual void DoDataExchange(CDataExchange* pDX) { (void)pDX; }
};
