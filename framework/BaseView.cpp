#include "framework/BaseView.h"

#include "gui/DC.h"

#include <QMenu>
#include <QMouseEvent>

CBaseView::CBaseView(const ViewContext& context, int index, QWidget* parent)
    : CView(context, parent), menuIndex(index) {
  EnablePrinting();
}

void CBaseView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  contextMenu = Context().OperationMenu(menuIndex);
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
