#pragma once
// The dialogs of the System parameters and System title commands.
#include "framework/Dialog.h"

#include <string>

class QLineEdit;

class CSystemParamsDlg : public CDialog {
public:
  explicit CSystemParamsDlg(QWidget* parent = nullptr);
  // The values, in this order of checking.
  double m_pKw = 14.0;
  double m_cTit = 0.01;
  double m_initialVolume = 50.0;

  QLineEdit* InitialVolumeEdit() const { return initialVolume_; }
  QLineEdit* PKwEdit() const { return pKw_; }
  QLineEdit* CTitEdit() const { return cTit_; }

protected:
  void DoDataExchange(CDataExchange* pDX) override;

private:
  QLineEdit* initialVolume_;
  QLineEdit* pKw_;
  QLineEdit* cTit_;
};

class CSystemTitleDlg : public CDialog {
public:
  static constexpr int kMaxTitle = 199;
  explicit CSystemTitleDlg(QWidget* parent = nullptr);
  // The title in the documents' code page.
  std::string m_title;
  QLineEdit* TitleEdit() const { return title_; }

protected:
  void DoDataExchange(CDataExchange* pDX) override;

private:
  QLineEdit* title_;
};
