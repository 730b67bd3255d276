#include "app/BaseView.h"

#include "app/MainFrame.h"
#include "framework/DC.h"

#include <QMenu>
#include <QMouseEvent>

CBaseView::CBaseView(int index, QWidget* parent) : CView(parent), menuIndex(index) {
  EnablePrinting();
}

void CBaseView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame());
  contextMenu = frame ? frame->OperationSubMenu(menuIndex) : nullptr;
}

void CBaseView::RedrawNow() {
  repaint();
}

void CBaseView::OnDraw(CDC* pDC) {
  pDC->TextOut(0, 0, QString::fromLatin1(GetRuntimeClassName()));
}

void CBaseView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::RightButton) {
    CView::mousePressEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  OnRightButtonHook(event->modifiers(), pos.x(), pos.y());
  if (contextMenu) {
    contextMenu->popup(mapToGlobal(pos));
    event->accept();
  } else {
    CView::mousePressEvent(event);
  }
}
