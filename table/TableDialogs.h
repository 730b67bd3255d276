#pragma once
// The dialogs of the grid views: fill a column or row, choose the number format, add several
// points.
#include "framework/Dialog.h"

#include <QString>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// "Filling column(row) parameters". DoModal returns the button that ended it: IDC_FILL_BY_STEP
// (also Enter), IDC_FILL_EVENLY, or IDCANCEL.
class CFillDlg : public CDialog {
public:
  explicit CFillDlg(QWidget* parent = nullptr);
  int DoModal();
  void OnOK() override;

  double m_value1 = 0;
  double m_value2 = 0;
  bool m_fromCurrent = false;

  QLineEdit* Value1Edit() const { return value1_; }
  QLineEdit* Value2Edit() const { return value2_; }
  QCheckBox* FromCurrentCheck() const { return fromCurrent_; }
  QPushButton* ByStepButton() const { return byStep_; }
  QPushButton* EvenlyButton() const { return evenly_; }
  QPushButton* CancelButton() const { return cancel_; }

protected:
  void DoDataExchange(CDataExchange* pDX) override;

private:
  void OnFillButton(int id);
  QLineEdit* value1_;
  QLineEdit* value2_;
  QCheckBox* fromCurrent_;
  QPushButton* byStep_;
  QPushButton* evenly_;
  QPushButton* cancel_;
  int choice_ = 2;
};

// "Number format": the nine formats and a sample line of the chosen one.
class CNumberFormatDlg : public CDialog {
public:
  explicit CNumberFormatDlg(QWidget* parent = nullptr);
  bool OnInitDialog() override;

  // The formats offered, in their order.
  static const QStringList& Formats();
  // The sample line of a format: three numbers, "; " between them.
  static QString Sample(const QString& format);

  QString m_format = QStringLiteral("%g");

  QComboBox* FormatList() const { return list_; }
  QLineEdit* SampleEdit() const { return sample_; }

private:
  void OnSelectionChanged(int index);
  QComboBox* list_;
  QLineEdit* sample_;
};

// "Add several points": N from 1 to 100, with up-down arrows beside the field.
class CAddPointsDlg : public CDialog {
public:
  static constexpr int kMinPoints = 1;
  static constexpr int kMaxPoints = 100;
  explicit CAddPointsDlg(QWidget* parent = nullptr);

  int m_count = 1;

  QLineEdit* CountEdit() const { return count_; }
  QToolButton* UpButton() const { return up_; }
  QToolButton* DownButton() const { return down_; }
  // One step of the arrows: the number in the field, moved by delta within 1 ... 100.
  void Step(int delta);

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QLineEdit* count_;
  QToolButton* up_;
  QToolButton* down_;
};
