#include "app/MainFrame.h"

#include "app/LeftView.h"
#include "framework/BaseView.h"
#include "docview/Doc.h"
#include "resources/Ids.h"
#include "gui/Strings.h"
#include "graph/GraphView.h"
#include "resources/Icons.h"
#include "resources/Menus.h"
#include "results/HelpView.h"
#include "results/ResView.h"
#include "table/PointsView.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QTreeWidget>
#include <QCloseEvent>

#include <cstdint>
#include <vector>

using namespace ids;

namespace {

// The right column: every view in it takes the whole area, so a view switched in keeps the
// place and size of the one it replaces.
class PaneHost : public QWidget {
public:
  using QWidget::QWidget;

protected:
  void resizeEvent(QResizeEvent* event) override {
    QWidget::resizeEvent(event);
    for (QObject* o : children())
      if (auto* w = qobject_cast<QWidget*>(o)) w->setGeometry(rect());
  }
};

constexpr int kLineComboWidth = 50;

} // namespace

CMainFrame::CMainFrame(CDocument* doc, const ViewContext& context) {
  setObjectName(QStringLiteral("CMainFrame"));
  SetDocument(doc);
  setWindowIcon(AppWindowIcon());
  setMinimumSize(kMinWidth, kMinHeight);
  resize(800, 600);

  OnCommand(ID_HELP, [this] { SwitchView(0); });
  OnCommand(ID_HELP_FINDER, [this] { SwitchView(0); });
  OnCommand(ID_DEFAULT_HELP, [this] { SwitchView(0); });
  OnCommand(ID_CONTEXT_HELP, [this] { SwitchView(0); });
  OnCommand(ID_NEXT_PANE, [this] { NextPane(true); });
  OnCommand(ID_PREV_PANE, [this] { NextPane(false); });
  OnCommand(ID_VIEW_TOOLBAR, [this] { toolbar_->setVisible(!toolbar_->isVisible()); });
  OnUpdateCommand(ID_VIEW_TOOLBAR, [this](CCmdUI& ui) { ui.SetCheck(toolbar_->isVisible()); });
  OnCommand(ID_VIEW_STATUS_BAR, [this] { statusBar()->setVisible(!statusBar()->isVisible()); });
  OnUpdateCommand(ID_VIEW_STATUS_BAR,
                  [this](CCmdUI& ui) { ui.SetCheck(statusBar()->isVisible()); });
  // The columns go back to their ideal widths.
  OnCommand(ID_WINDOW_SPLIT, [this] { splitter_->setSizes({200, 440}); });

  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  CreateClient(doc, context);

  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    for (QWidget* w = now; w; w = w->parentWidget()) {
      if (auto* v = dynamic_cast<CView*>(w)) {
        if (v->GetParentFrame() == this) CFrameWnd::SetActiveView(v);
        return;
      }
    }
  });
  qApp->installEventFilter(this);
  OnUpdateFrameTitle();
}

CMainFrame::~CMainFrame() {
  if (qApp) qApp->removeEventFilter(this);
}

// ---------------------------------------------------------------- creation

static void BuildMenu(CMainFrame* frame, QMenu* menu, const std::vector<MenuItem>& items,
                      QAction** recentAnchor) {
  for (const MenuItem& item : items) {
    if (!item.children.empty()) {
      QMenu* sub = menu->addMenu(QString::fromUtf8(item.text));
      BuildMenu(frame, sub, item.children, recentAnchor);
    } else if (item.id == 0) {
      menu->addSeparator();
    } else {
      QAction* a = frame->CommandAction(item.id, QString::fromUtf8(item.text));
      menu->addAction(a);
      if (item.id == ID_FILE_MRU_FILE1) *recentAnchor = a;
    }
  }
}

void CMainFrame::CreateMenus() {
  for (const MenuItem& top : MainMenu()) {
    QMenu* menu = menuBar()->addMenu(QString::fromUtf8(top.text));
    BuildMenu(this, menu, top.children, &recentAnchor_);
    if (top.id == 0 && QString::fromUtf8(top.text) == QLatin1String("&File")) {
      fileMenu_ = menu;
      connect(menu, &QMenu::aboutToShow, this, [this] { RebuildRecentFiles(); });
    }
    if (QString::fromUtf8(top.text) == QLatin1String("Operation")) operationMenu_ = menu;
    ConnectMenu(menu);
  }
  for (const Accelerator& acc : Accelerators()) {
    QAction* a = CommandAction(acc.id);
    QList<QKeySequence> keys = a->shortcuts();
    keys << QKeySequence(QString::fromLatin1(acc.keys));
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    addAction(a);
  }
}

void CMainFrame::RebuildRecentFiles() {
  if (!fileMenu_ || !recentAnchor_) return;
  // Take out the entries of the last time, keeping the first as the anchor.
  for (int i = 1; i < ID_FILE_MRU_COUNT; ++i)
    if (QAction* a = FindAction(ID_FILE_MRU_FILE1 + i)) fileMenu_->removeAction(a);
  const QStringList files = AfxGetApp() ? AfxGetApp()->RecentFiles() : QStringList();
  if (files.isEmpty()) {
    recentAnchor_->setText(LoadStr(AFX_IDS_RECENT_FILE));
    return;
  }
  const QString home = QDir::homePath();
  QAction* before = nullptr;
  const auto all = fileMenu_->actions();
  const int anchorIndex = static_cast<int>(all.indexOf(recentAnchor_));
  if (anchorIndex + 1 < all.size()) before = all[anchorIndex + 1];
  for (int i = 0; i < files.size() && i < ID_FILE_MRU_COUNT; ++i) {
    QString shown = QDir::toNativeSeparators(files[i]);
    if (shown.startsWith(home + QLatin1Char('/')))
      shown = QLatin1Char('~') + shown.mid(home.size());
    if (shown.size() > 48) shown = QStringLiteral("...") + shown.right(45);
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    const QString text = QStringLiteral("&%1 %2").arg(i + 1).arg(shown);
    QAction* a = CommandAction(ID_FILE_MRU_FILE1 + i, text);
    if (i > 0) fileMenu_->insertAction(before, a);
  }
}

void CMainFrame::CreateToolBar() {
  toolbar_ = addToolBar(QStringLiteral("Standard"));
  toolbar_->setObjectName(QStringLiteral("toolbar"));
  toolbar_->setIconSize(QSize(16, 16));
  toolbar_->setMovable(true);
  for (int id : ToolbarButtons()) {
    if (id == 0) {
      toolbar_->addSeparator();
    } else if (id == ID_LINE_COMBO) {
      combo_ = new QComboBox(toolbar_);
      combo_->setObjectName(QStringLiteral("lineCombo"));
      combo_->setEditable(false);
      combo_->setFixedWidth(kLineComboWidth);
      combo_->setMaxVisibleItems(6); // a drop-down list 100 pixels high
      combo_->setToolTip(CommandTip(ID_LINE_COMBO));
      combo_->setStatusTip(CommandPrompt(ID_LINE_COMBO));
      QFont font(QStringLiteral("MS Sans Serif"));
      font.setStyleHint(QFont::SansSerif);
      font.setPixelSize(12);
      combo_->setFont(font);
      combo_->addItem(QStringLiteral("#1"));
      combo_->setCurrentIndex(0);
      connect(combo_, &QComboBox::activated, this,
              [this](int index) { SendCommand(ID_SELECT_LINE1 + index); });
      toolbar_->addWidget(combo_);
    } else {
      QAction* a = CommandAction(id);
      a->setIcon(ToolbarIcon(id));
      toolbar_->addAction(a);
    }
  }
}

void CMainFrame::CreateStatusBar() {
  QStatusBar* bar = statusBar();
  const int ids[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
  for (int i = 0; i < 3; ++i) {
    auto* label = new QLabel(bar);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(LoadStr(ids[i])) + 12);
    bar->addPermanentWidget(label);
    indicators_[static_cast<std::size_t>(i)] = label;
  }
  ShowStatusText();
}

void CMainFrame::CreateClient(CDocument* doc, const ViewContext& shared) {
  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  splitter_->setChildrenCollapsible(false);
  leftView_ = new CLeftView(splitter_);
  rightPane_ = new PaneHost(splitter_);
  rightPane_->setObjectName(QStringLiteral("rightPane"));
  splitter_->addWidget(leftView_);
  splitter_->addWidget(rightPane_);
  leftView_->setMinimumWidth(150);
  rightPane_->setMinimumWidth(200);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({200, 440});
  setCentralWidget(splitter_);

  leftView_->SetDocument(doc);
  leftView_->SetHost(CategoryHost{
      [this] {
        QStringList names;
        for (int i = 1; i < kViewSlots && View(i); ++i) {
          if (auto* base = dynamic_cast<CBaseView*>(View(i)))
            names << LoadStr(base->GetCategoryNameId());
          else if (dynamic_cast<CResView*>(View(i)))
            names << LoadStr(IDS_CATEGORY_RESULTS);
          else
            names << QString();
        }
        return names;
      },
      [this](int n) { return SwitchView(n); },
      [this] {
        for (int i = 0; i < kViewSlots; ++i)
          if (View(i) && View(i) == current_) return i;
        return 0;
      }});
  ViewContext context = shared;
  context.lineSelector = LineSelector{[this](int count, int selection) { FillLines(count, selection); },
                                      [this](int index) { SelectLineInCombo(index); },
                                      [this](bool enable) { EnableLineCombo(enable); }};
  context.operationMenu = [this](int index) { return OperationSubMenu(index); };
  views[0] = new CRView_1(context, rightPane_);
  views[1] = new CRView1(context, rightPane_);
  views[2] = new CRView7(context, rightPane_);
  views[3] = new CResView(context, rightPane_);
  for (CView* v : views) {
    if (!v) continue;
    v->SetDocument(doc);
    v->setGeometry(rightPane_->rect());
  }
  for (int i = 1; i < kViewSlots; ++i)
    if (views[static_cast<std::size_t>(i)]) views[static_cast<std::size_t>(i)]->hide();
  current_ = views[0];
}

// ---------------------------------------------------------------- views

bool CMainFrame::SwitchView(int n) {
  CView* target = View(n);
  if (!target || target == current_) return target != nullptr;
  // A value typed into the table is stored before the table goes out of sight.
  if (current_ && !current_->CommitPendingEdit()) return false;
  const QRect place = current_ ? current_->geometry() : rightPane_->rect();
  for (CView* v : views)
    if (v) v->hide();
  target->setGeometry(place);
  target->show();
  current_ = target;
  SetActiveView(target);
  if (isActiveWindow()) target->setFocus(Qt::OtherFocusReason);
  return true;
}

void CMainFrame::SetActiveView(CView* view) {
  CFrameWnd::SetActiveView(view);
}

void CMainFrame::NextPane(bool forward) {
  (void)forward; // two panes: the next and the previous are the same
  CView* target = GetActiveView() == leftView_ ? current_ : static_cast<CView*>(leftView_);
  if (!target) return;
  SetActiveView(target);
  // The tree itself takes the keys, so that the arrows move through the categories.
  if (target == leftView_)
    leftView_->Tree()->setFocus(Qt::OtherFocusReason);
  else
    target->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::InitialUpdateFrame(CDocument* doc, bool makeVisible) {
  if (!GetActiveView()) SetActiveView(leftView_);
  CFrameWnd::InitialUpdateFrame(doc, makeVisible);
}

// ---------------------------------------------------------------- the line-selection box

void CMainFrame::FillLineCombo(int selection) {
  int lines = 0;
  if (auto* doc = dynamic_cast<CDoc*>(GetActiveDocument())) lines = doc->System().lineCount;
  FillLines(lines, selection);
}

void CMainFrame::OnDocumentUpdate(CView* sender, long hint) {
  (void)sender;
  if (hint != kHintLoaded) return;
  FillLineCombo(0);
  EnableLineCombo(false);
}

void CMainFrame::FillLines(int count, int selection) {
  if (!combo_) return;
  const int lines = std::clamp(count, 0, 10);
  combo_->clear();
  for (int i = 1; i <= lines; ++i)
    combo_->addItem(QStringLiteral("# %1").arg(i));
  combo_->setCurrentIndex(selection >= 0 && selection < lines ? selection : -1);
}

void CMainFrame::SelectLineInCombo(int selection) {
  if (combo_) combo_->setCurrentIndex(selection);
}

void CMainFrame::EnableLineCombo(bool enable) {
  if (combo_) combo_->setEnabled(enable);
}

// ---------------------------------------------------------------- status bar

void CMainFrame::ShowStatusText(const QString& text) {
  status_ = text;
  statusBar()->showMessage(text);
}

void CMainFrame::ShowStatusText() {
  ShowStatusText(LoadStr(AFX_IDS_IDLEMESSAGE));
}

QString CMainFrame::StatusText() const {
  return status_;
}

bool CMainFrame::event(QEvent* e) {
  if (e->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(e)->tip();
    if (tip.isEmpty())
      ShowStatusText();
    else
      ShowStatusText(tip);
    return true;
  }
  return CFrameWnd::event(e);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    switch (static_cast<QKeyEvent*>(e)->key()) {
    case Qt::Key_CapsLock: caps_ = !caps_; break;
    case Qt::Key_NumLock: num_ = !num_; break;
    case Qt::Key_ScrollLock: scroll_ = !scroll_; break;
    default: break;
    }
  }
  return CFrameWnd::eventFilter(watched, e);
}

namespace {
constexpr const char* kWindowSection = "Settings\\Window";

std::vector<std::uint8_t> Bytes(const QByteArray& a) {
  return std::vector<std::uint8_t>(a.begin(), a.end());
}
} // namespace

void CMainFrame::RestoreLayout() {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  std::vector<std::uint8_t> stored;
  auto asBytes = [&] {
    return QByteArray(reinterpret_cast<const char*>(stored.data()),
                      static_cast<qsizetype>(stored.size()));
  };
  if (app->Profile().GetProfileBinary(kWindowSection, "Geometry", stored) && !stored.empty())
    restoreGeometry(asBytes());
  if (app->Profile().GetProfileBinary(kWindowSection, "Splitter", stored) && !stored.empty())
    splitter_->restoreState(asBytes());
}

void CMainFrame::SaveLayout() const {
  CWinApp* app = AfxGetApp();
  if (!app) return;
  app->Profile().WriteProfileBinary(kWindowSection, "Geometry", Bytes(saveGeometry()));
  app->Profile().WriteProfileBinary(kWindowSection, "Splitter", Bytes(splitter_->saveState()));
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  CFrameWnd::closeEvent(event);
  if (event->isAccepted()) SaveLayout();
}

void CMainFrame::OnIdle() {
  CFrameWnd::OnIdle();
  const bool on[] = {caps_, num_, scroll_};
  const int ids[] = {ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};
  for (int i = 0; i < 3; ++i) {
    const QString text = on[i] ? LoadStr(ids[i]) : QString();
    if (indicators_[static_cast<std::size_t>(i)]->text() != text)
      indicators_[static_cast<std::size_t>(i)]->setText(text);
  }
}

// ---------------------------------------------------------------- menus

QMenu* CMainFrame::TopMenu(int index) const {
  const auto actions = menuBar()->actions();
  return index >= 0 && index < actions.size() ? actions[index]->menu() : nullptr;
}

QMenu* CMainFrame::OperationSubMenu(int index) const {
  if (!operationMenu_) return nullptr;
  int i = 0;
  for (QAction* a : operationMenu_->actions()) {
    if (!a->menu()) continue;
    if (i++ == index) return a->menu();
  }
  return nullptr;
}
