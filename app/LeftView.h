#pragma once
// The category tree of the left column: the system title as the root, "Data", "Graphics" and
// "Results" below it. Choosing an item shows its view in the right column.
#include "framework/DocView.h"

class QTreeWidget;
class QTreeWidgetItem;

class CLeftView : public CView {
public:
  explicit CLeftView(QWidget* parent = nullptr);
  const char* GetRuntimeClassName() const override { return "CLeftView"; }

  void OnInitialUpdate() override;
  // A new title reaches the root at once.
  void OnUpdate(CView* sender, long hint) override;
  // Rebuilds the tree from the frame's views.
  void FillTree();
  // The root shows the document's title; the help page repaints.
  void UpdateRootTitle();

  QTreeWidget* Tree() const { return tree_; }
  QTreeWidgetItem* Root() const;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void OnSelectionChanged();
  QTreeWidget* tree_;
  bool filling_ = false;
};
