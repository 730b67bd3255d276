#pragma once
// The category tree of the left column: the system title as the root, "Data", "Graphics" and
// "Results" below it. Choosing an item shows its view in the right column.
#include "framework/DocView.h"

#include <functional>

class QTreeWidget;
class QTreeWidgetItem;

// What the tree shows and does, as the main window gives it: the names of the categories below
// the root (their number is the number of views less one), showing a category (false when the
// view in sight keeps an edit it cannot store), and which category is in sight.
struct CategoryHost {
  std::function<QStringList()> names;
  std::function<bool(int)> show;
  std::function<int()> inSight;
};

class CLeftView : public CView {
public:
  explicit CLeftView(QWidget* parent = nullptr);
  void SetHost(CategoryHost host) { host_ = std::move(host); }
  const char* GetRuntimeClassName() const override { return "CLeftView"; }

  void OnInitialUpdate() override;
  // A new title reaches the root at once.
  void OnUpdate(CView* sender, long hint) override;
  // Rebuilds the tree from the frame's views.
  void FillTree();
  // The root shows the document's title.
  void UpdateRootTitle();

  QTreeWidget* Tree() const { return tree_; }
  QTreeWidgetItem* Root() const;

protected:
  void resizeEvent(QResizeEvent* event) override;

private:
  void OnSelectionChanged();
  bool Show(int category) { return host_.show ? host_.show(category) : true; }
  CategoryHost host_;
  QTreeWidget* tree_;
  bool filling_ = false;
};
