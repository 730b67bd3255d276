#pragma once
// The help page view: shows "how_use.html" from the program folder.
#include "framework/DocView.h"

class CWebBrowser;

class CRView_1 : public CView {
public:
  explicit CRView_1(const ViewContext& context, QWidget* parent = nullptr);
  const char* GetRuntimeClassName() const override { return "CRView_1"; }
  void OnInitialUpdate() override;
  CWebBrowser* Browser() const { return browser_; }

protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  CWebBrowser* browser_;
};
