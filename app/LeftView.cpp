#include "app/LeftView.h"

#include "framework/BaseView.h"
#include "app/MainFrame.h"
#include "document/Doc.h"
#include "resources/Ids.h"
#include "gui/Strings.h"
#include "platform/CodePage.h"
#include "resources/Icons.h"
#include "results/ResView.h"

#include <QHeaderView>
#include <QTreeWidget>

using namespace ids;

namespace {
// The closed and open pictures of category i.
const int kImages[] = {IDI_SYSTEM_CLOSED, IDI_SYSTEM_OPEN, IDI_DATA_CLOSED,    IDI_DATA_OPEN,
                       IDI_GRAPH_CLOSED,  IDI_GRAPH_OPEN,  IDI_RESULTS_CLOSED, IDI_RESULTS_OPEN};

QIcon CategoryIcon(int category) {
  QIcon icon;
  if (category < 0 || category > 3) return icon;
  icon.addPixmap(CategoryPixmap(kImages[2 * category]), QIcon::Normal, QIcon::Off);
  icon.addPixmap(CategoryPixmap(kImages[2 * category + 1]), QIcon::Selected, QIcon::Off);
  icon.addPixmap(CategoryPixmap(kImages[2 * category + 1]), QIcon::Active, QIcon::Off);
  return icon;
}
} // namespace

CLeftView::CLeftView(QWidget* parent) : CView(parent), tree_(new QTreeWidget(this)) {
  setFocusPolicy(Qt::NoFocus);
  tree_->setObjectName(QStringLiteral("categoryTree"));
  tree_->setHeaderHidden(true);
  tree_->setRootIsDecorated(true); // buttons and lines at the root
  tree_->setIconSize(QSize(16, 16));
  tree_->setDragEnabled(false);
  tree_->setSelectionMode(QAbstractItemView::SingleSelection);
  // The selection stays visible when the tree loses the focus.
  QPalette pal = tree_->palette();
  pal.setColor(QPalette::Inactive, QPalette::Highlight,
               pal.color(QPalette::Active, QPalette::Highlight));
  pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
               pal.color(QPalette::Active, QPalette::HighlightedText));
  tree_->setPalette(pal);
  QObject::connect(tree_, &QTreeWidget::currentItemChanged, tree_,
                   [this](QTreeWidgetItem*, QTreeWidgetItem*) { OnSelectionChanged(); });
}

void CLeftView::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  tree_->setGeometry(rect());
}

QTreeWidgetItem* CLeftView::Root() const {
  return tree_->topLevelItemCount() ? tree_->topLevelItem(0) : nullptr;
}

static QString SystemTitle(const CDocument* doc) {
  if (const auto* d = dynamic_cast<const CDoc*>(doc))
    return QString::fromStdString(vexa::platform::AnsiToUtf8(d->System().Title()));
  return doc ? doc->GetTitle() : QString();
}

void CLeftView::FillTree() {
  auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame());
  filling_ = true;
  tree_->clear();
  QTreeWidgetItem* root = nullptr;
  for (int i = 0; i < CMainFrame::kViewSlots; ++i) {
    QString text;
    if (i == 0) {
      text = SystemTitle(GetDocument());
    } else {
      CView* v = frame ? frame->View(i) : nullptr;
      if (!v) break;
      if (auto* base = dynamic_cast<CBaseView*>(v))
        text = LoadStr(base->GetCategoryNameId());
      else if (dynamic_cast<CResView*>(v))
        text = LoadStr(IDS_CATEGORY_RESULTS);
    }
    auto* item = i == 0 ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(root);
    item->setText(0, text);
    item->setIcon(0, CategoryIcon(i));
    item->setData(0, Qt::UserRole, i);
    if (i == 0) root = item;
  }
  if (root) root->setExpanded(true);
  filling_ = false;
}

void CLeftView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  FillTree();
  if (QTreeWidgetItem* root = Root()) {
    root->setExpanded(true);
    tree_->setCurrentItem(root);
    root->setSelected(true);
  }
  if (auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame())) frame->SwitchView(0);
}

void CLeftView::OnSelectionChanged() {
  if (filling_) return;
  QTreeWidgetItem* item = tree_->currentItem();
  if (!item) return;
  auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame());
  if (!frame || frame->SwitchView(item->data(0, Qt::UserRole).toInt())) return;
  // The view in sight keeps an edit it could not store: the tree goes back to its item.
  for (int i = 0; i < CMainFrame::kViewSlots; ++i) {
    if (frame->View(i) != frame->RightPaneView()) continue;
    QTreeWidgetItem* root = Root();
    QTreeWidgetItem* back = i == 0 || !root ? root : root->child(i - 1);
    if (!back) return;
    filling_ = true;
    tree_->setCurrentItem(back);
    filling_ = false;
    return;
  }
}

void CLeftView::OnUpdate(CView* sender, long hint) {
  if (hint == kHintTitle) UpdateRootTitle();
  CView::OnUpdate(sender, hint);
}

void CLeftView::UpdateRootTitle() {
  if (QTreeWidgetItem* root = Root()) root->setText(0, SystemTitle(GetDocument()));
  auto* frame = dynamic_cast<CMainFrame*>(GetParentFrame());
  if (frame && frame->View(0)) frame->View(0)->repaint();
}
