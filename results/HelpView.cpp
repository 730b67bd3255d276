#include "results/HelpView.h"

#include "results/WebBrowser.h"

#include <QEvent>
#include <QMouseEvent>
#include <QUrl>

CRView_1::CRView_1(const ViewContext& context, QWidget* parent)
    : CView(context, parent), browser_(new CWebBrowser(this)) {
  setFocusProxy(browser_);
  // No menu at all on a right click, not even the browser's own.
  browser_->setContextMenuPolicy(Qt::NoContextMenu);
  browser_->viewport()->installEventFilter(this);
}

void CRView_1::OnInitialUpdate() {
  CView::OnInitialUpdate();
  browser_->Navigate(
      QUrl::fromLocalFile(Context().ProgramFolder() + QStringLiteral("how_use.html")).toString());
}

void CRView_1::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  browser_->setGeometry(rect());
}

bool CRView_1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton)
    return true;
  return CView::eventFilter(watched, event);
}
