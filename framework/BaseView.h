#pragma once
// The base of the drawing views (the points table and the graph): the right-click menu taken
// from the main menu's "Operation" menu, immediate redrawing and the category name.
#include "framework/DocView.h"

class QMenu;

class CBaseView : public CView {
public:
  // menuIndex: the position of the context menu inside the "Operation" menu (1 "Data",
  // 2 "Graphics").
  explicit CBaseView(const ViewContext& context, int menuIndex = 1, QWidget* parent = nullptr);
  const char* GetRuntimeClassName() const override { return "CBaseView"; }

  void OnInitialUpdate() override;
  // Draws at once, without waiting for a repaint.
  virtual void RedrawNow();
  // The string-table ID of the view's name in the category tree (0: none).
  virtual int GetCategoryNameId() const { return 0; }
  // Called on a right click before the context menu opens.
  virtual void OnRightButtonHook(Qt::KeyboardModifiers flags, int x, int y) {
    (void)flags, (void)x, (void)y;
  }
  // The class name at (0, 0).
  void OnDraw(CDC* pDC) override;

  QMenu* ContextMenu() const { return contextMenu; }
  int MenuIndex() const { return menuIndex; }

protected:
  void mousePressEvent(QMouseEvent* event) override;

  QMenu* contextMenu = nullptr;
  int menuIndex;
};
