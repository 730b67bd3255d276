#include "graph/GraphView.h"

#include "analysis/AutoPlacement.h"
#include "analysis/RobustLines.h"
#include "framework/Background.h"
#include "docview/Changes.h"
#include "docview/Doc.h"
#include "docview/Printing.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "plot/GraphExport.h"
#include "platform/AtomicFile.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using namespace ids;
using vexa::TitrationSystem;

namespace {

constexpr const char* kSaveGraphText = "Save graph...";

bool Ask(int stringId) {
  return AfxMessageBox(stringId, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

} // namespace

CRView7::CRView7(const ViewContext& context, QWidget* parent) : CBaseView(context, 2, parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);

  auto linearisedOnly = [this](CCmdUI& ui) { ui.Enable(plot.linearised); };
  OnCommand(ID_VIEW_CLASSIC, [this] { OnViewClassic(); });
  OnUpdateCommand(ID_VIEW_CLASSIC, [this](CCmdUI& ui) { ui.SetCheck(!plot.linearised); });
  OnCommand(ID_VIEW_VEXA, [this] { OnViewVexa(); });
  OnUpdateCommand(ID_VIEW_VEXA, [this](CCmdUI& ui) { ui.SetCheck(plot.linearised); });
  OnCommand(ID_SET_AUTO_LINES, [this] { OnSetAutoLines(); });
  OnUpdateCommand(ID_SET_AUTO_LINES, linearisedOnly);
  OnCommand(ID_FIND_LINES, [this] { OnFindLines(); });
  OnUpdateCommand(ID_FIND_LINES, linearisedOnly);
  OnCommand(ID_ADD_LINE, [this] { OnAddLine(); });
  OnUpdateCommand(ID_ADD_LINE, [this](CCmdUI& ui) {
    const TitrationSystem* sys = System();
    ui.Enable(plot.linearised && sys && sys->lineCount < TitrationSystem::kMaxLines);
  });
  OnCommandRange(ID_SELECT_LINE1, ID_SELECT_LINE10, [this](int id) { OnSelectLine(id); });
  OnUpdateCommandRange(ID_SELECT_LINE1, ID_SELECT_LINE10, [this](CCmdUI& ui) {
    const TitrationSystem* sys = System();
    const int index = ui.m_nID - ID_SELECT_LINE1;
    ui.Enable(plot.linearised && sys && index < sys->lineCount);
    ui.SetCheck(index == plot.currentLine);
  });
  OnCommand(ID_DELETE_LINE, [this] { OnDeleteLine(); });
  OnUpdateCommand(ID_DELETE_LINE, [this](CCmdUI& ui) {
    const TitrationSystem* sys = System();
    ui.Enable(plot.linearised && sys && sys->lineCount > 1);
  });
  OnCommand(ID_SAVE_GRAPH, [this] { OnSaveGraph(); });
  OnUpdateCommand(ID_SAVE_GRAPH, [this](CCmdUI& ui) { ui.Enable(System() != nullptr); });

}

CRView7::~CRView7() = default;

// ------------------------------------------------------------------ access

CDoc* CRView7::Doc() const {
  return dynamic_cast<CDoc*>(GetDocument());
}

TitrationSystem* CRView7::System() const {
  CDoc* doc = Doc();
  return doc ? &doc->System() : nullptr;
}

const DrawSettings& CRView7::Settings() const {
  if (const DrawSettings* settings = Context().drawSettings) return *settings;
  static const DrawSettings defaults = DrawSettings::Defaults();
  return defaults;
}

int CRView7::LineIndex() const {
  const TitrationSystem* sys = System();
  const int lines = sys ? std::clamp(sys->lineCount, 1, TitrationSystem::kMaxLines) : 1;
  return std::clamp(plot.currentLine, 0, lines - 1);
}

void CRView7::EnableLineList(bool enable) {
  if (const auto& enableList = Context().lineSelector.enable) enableList(enable);
}

void CRView7::FillLineList(int selection) {
  const TitrationSystem* sys = System();
  const auto& fill = Context().lineSelector.fill;
  if (sys && fill) fill(std::clamp(sys->lineCount, 0, TitrationSystem::kMaxLines), selection);
}

void CRView7::SelectLineInList(int selection) {
  if (const auto& select = Context().lineSelector.select) select(selection);
}

void CRView7::SayInStatusBar(const QString& text) {
  if (CFrameWnd* frame = GetParentFrame()) frame->SetMessageText(text);
}

// ------------------------------------------------------------------ life cycle

void CRView7::OnInitialUpdate() {
  CBaseView::OnInitialUpdate();
  plot.currentLine = 0;
  // "Save graph..." joins the Graphics commands, in the menu and on the context menu.
  if (CFrameWnd* frame = GetParentFrame(); frame && contextMenu) {
    QAction* save = frame->CommandAction(ID_SAVE_GRAPH, QString::fromLatin1(kSaveGraphText));
    if (!contextMenu->actions().contains(save)) {
      contextMenu->addSeparator();
      contextMenu->addAction(save);
    }
  }
}

void CRView7::ComputeRanges() {
  if (TitrationSystem* sys = System()) plot.ComputeRanges(*sys);
}

void CRView7::BringUpToDate() {
  TitrationSystem* sys = System();
  if (!sys) return;
  plot.ComputeRanges(*sys);
  plot.ComputeLayout(width(), height());
  sys->RefitAllLines();
  plot.hoverPoint = -1;
}

void CRView7::setVisible(bool visible) {
  // A show asked for this view itself, not one that comes with its window opening.
  explicitShow_ = visible;
  CBaseView::setVisible(visible);
  explicitShow_ = false;
}

void CRView7::showEvent(QShowEvent* event) {
  CBaseView::showEvent(event);
  if (!System()) return;
  BringUpToDate();
  EnableLineList(plot.linearised && explicitShow_);
  screen_ = QImage();
}

void CRView7::hideEvent(QHideEvent* event) {
  CBaseView::hideEvent(event);
  plot.DeleteCache();
  screen_ = QImage();
  EnableLineList(false);
}

void CRView7::OnUpdate(CView* sender, long hint) {
  (void)sender;
  if (!System()) return;
  BringUpToDate();
  // What the graph said of an automatic placement holds only for the lines it placed.
  if (hint != kHintTitle) plot.notice.clear();
  if (hint == kHintLines) {
    // The line count may be new (a step undone or done again): the current line stays one that
    // exists, and the line list follows.
    plot.currentLine = LineIndex();
    FillLineList(plot.currentLine);
  }
  // The box belongs to the graph only while the graph is in view.
  EnableLineList(plot.linearised && isVisible());
  screen_ = QImage();
  if (isVisible()) OnDraw(nullptr);
}

void CRView7::resizeEvent(QResizeEvent* event) {
  CBaseView::resizeEvent(event);
  plot.ComputeLayout(width(), height());
  plot.CreateGraphFont(width(), height());
  plot.DeleteCache();
  screen_ = QImage();
}

// ------------------------------------------------------------------ drawing

void CRView7::OnDraw(CDC* pDC) {
  const TitrationSystem* sys = System();
  if (!sys) return;
  if (pDC) {
    plot.Paint(pDC, *sys, Settings(), ClientSize());
    return;
  }
  // The window's own context: what it draws stays on the window until the next drawing.
  if (width() <= 0 || height() <= 0) return;
  if (screen_.size() != size()) screen_ = QImage(size(), QImage::Format_RGB32);
  if (screen_.isNull()) return;
  {
    QPainter painter(&screen_);
    CPainterDC dc(&painter);
    plot.Paint(&dc, *sys, Settings(), ClientSize());
  }
  // A point still hovered keeps its ring, so the next mouse move takes away a ring that is
  // there rather than drawing a stray one.
  if (plot.linearised && plot.hoverPoint != -1) XorRing(plot.hoverPoint);
  if (!painting_) update();
}

void CRView7::paintEvent(QPaintEvent* event) {
  (void)event;
  if (screen_.size() != size()) {
    if (System()) {
      painting_ = true; // already painting: no further update asked for
      OnDraw(nullptr);
      painting_ = false;
    } else {
      screen_ = QImage(size(), QImage::Format_RGB32);
      screen_.fill(Qt::white);
    }
  }
  QPainter painter(this);
  painter.drawImage(0, 0, screen_);
}

void CRView7::XorRing(int point) {
  const TitrationSystem* sys = System();
  if (!sys || point < 0 || screen_.size() != size()) return;
  const int i = GraphPlot::ClampPoint(*sys, point);
  const int x = plot.Column(sys->volume[i]);
  const int y = plot.Row(plot.linearised ? sys->g[i] : sys->pH[i]);
  const int r = MarkerExtent(Settings().markerSize);
  {
    QPainter painter(&screen_);
    CPainterDC dc(&painter);
    const int old = dc.SetROP2(R2_XORPEN);
    dc.Ellipse(x - r, y - r, x + r, y + r);
    dc.SetROP2(old);
  }
  if (!painting_) update();
}

int CRView7::OnPrintPages(QPagedPaintDevice& device, QString* error) {
  const CDoc* doc = Doc();
  if (!doc) return 0;
  return doc->Print(device, ReportParts::Graph(plot.linearised), LineIndex(), error);
}

QString CRView7::PdfName() const {
  const CDocument* doc = GetDocument();
  return (doc ? doc->GetTitle() : QString()) +
         (plot.linearised ? QStringLiteral("-vexa-graph.pdf") : QStringLiteral("-graph.pdf"));
}

// ------------------------------------------------------------------ commands

void CRView7::SetMode(bool linearised) {
  plot.linearised = linearised;
  ComputeRanges();
  plot.ComputeLayout(width(), height());
  EnableLineList(plot.linearised);
  OnDraw(nullptr);
}

void CRView7::OnSetAutoLines() {
  TitrationSystem* sys = System();
  if (!sys || !Ask(IDS_ASK_AUTO_LINES)) return;
  // The placement runs on a copy, off the window's thread; the record takes its lines only
  // when it has completed.
  auto work = std::make_shared<TitrationSystem>();
  work->CopyFrom(*sys);
  auto outcome = std::make_shared<vexa::AutoLinesOutcome>();
  if (!RunInBackground(this, QStringLiteral("Placing the lines..."),
                       [work, outcome](const WorkControl&) { *outcome = work->SetAutoLines(); }))
    return;
  const LineTable before = LineTable::Of(*sys);
  LineTable::Of(*work).PutInto(*sys);
  plot.currentLine = 0;
  FillLineList(0);
  LinesChanged(before, QStringLiteral("automatic lines"));
  // No line below the limit: the record keeps the empty line, and the graph says why.
  plot.notice = QString::fromStdString(vexa::AutoLinesMessage(*outcome));
  if (!plot.notice.isEmpty()) SayInStatusBar(plot.notice);
  OnDraw(nullptr);
}

void CRView7::OnFindLines() {
  TitrationSystem* sys = System();
  if (!sys || !Ask(IDS_ASK_AUTO_LINES)) return;
  auto work = std::make_shared<TitrationSystem>();
  work->CopyFrom(*sys);
  auto analysis = std::make_shared<vexa::RobustAnalysis>();
  if (!RunInBackground(this, QStringLiteral("Finding the lines..."),
                       [work, analysis](const WorkControl&) { *analysis = vexa::FindLines(*work); }))
    return;
  const LineTable before = LineTable::Of(*sys);
  LineTable::Of(*work).PutInto(*sys);
  std::shared_ptr<const vexa::RobustAnalysis> found = analysis;
  plot.currentLine = 0;
  FillLineList(0);
  // Its verdict and warnings stand under the graph until the lines change.
  plot.notice = QString::fromStdString(vexa::RobustSummary(*found));
  SayInStatusBar(plot.notice);
  LinesChanged(before, QStringLiteral("Find lines"), -1, std::move(found));
  OnDraw(nullptr);
}

void CRView7::AddLineNow() {
  TitrationSystem* sys = System();
  sys->AddLine();
  plot.currentLine = sys->lineCount - 1;
  FillLineList(plot.currentLine);
}

void CRView7::OnAddLine() {
  TitrationSystem* sys = System();
  if (!sys || sys->lineCount >= TitrationSystem::kMaxLines) return;
  const LineTable before = LineTable::Of(*sys);
  AddLineNow();
  LinesChanged(before, QStringLiteral("addition of line %1").arg(sys->lineCount));
  OnDraw(nullptr);
}

void CRView7::LinesChanged(const LineTable& before, const QString& what, int moveOfLine,
                           std::shared_ptr<const vexa::RobustAnalysis> found) {
  TitrationSystem* sys = System();
  CDoc* doc = Doc();
  if (!sys || !doc) return;
  const LineTable after = LineTable::Of(*sys);
  if (after == before && !found) {
    // A refit that changed nothing is no step of the history; the document counts as changed
    // all the same, as a refit always did.
    doc->SetModifiedFlag();
    return;
  }
  // Lines placed by any other means than Find lines take its checks away, and its notice.
  if (!found) plot.notice.clear();
  CDoc::Checks checksBefore = doc->FoundChecks();
  doc->SetFoundChecks(std::move(found));
  doc->PushChange(new CLinesChange(*doc, what, before, after, moveOfLine, std::move(checksBefore)));
}

void CRView7::OnSelectLine(int id) {
  plot.currentLine = id - ID_SELECT_LINE1;
  SelectLineInList(plot.currentLine);
  OnDraw(nullptr);
}

bool CRView7::DeleteCurrentLine() {
  TitrationSystem* sys = System();
  if (!sys || sys->lineCount <= 1 || !Ask(IDS_ASK_DELETE_LINE)) return false;
  // The line before the deleted one becomes current (line 0 stays 0).
  const int deleted = LineIndex();
  sys->DeleteLine(deleted);
  plot.currentLine = std::max(deleted - 1, 0);
  FillLineList(plot.currentLine);
  return true;
}

void CRView7::OnDeleteLine() {
  TitrationSystem* sys = System();
  if (!sys) return;
  const LineTable before = LineTable::Of(*sys);
  const int deleted = LineIndex() + 1;
  if (!DeleteCurrentLine()) return;
  LinesChanged(before, QStringLiteral("deletion of line %1").arg(deleted));
  OnDraw(nullptr);
}

void CRView7::OnSaveGraph() {
  const TitrationSystem* sys = System();
  if (!sys) return;
  FileDialogRequest request;
  request.open = false;
  request.title = QStringLiteral("Save graph");
  request.fileName =
      BesideDocument(Doc()->GetPathName(), plot.linearised ? QStringLiteral("vexa-graph.png")
                                                           : QStringLiteral("titration-graph.png"));
  request.defaultExtension = QStringLiteral("png");
  request.filter = QStringLiteral("PNG pictures (*.png)|*.png|SVG pictures (*.svg)|*.svg||");
  request.overwritePrompt = true;
  const QString path = PromptFileName(this, request);
  if (path.isEmpty()) return;
  const auto format = GraphFormatForPath(path);
  if (!format) {
    AfxMessageBox(QStringLiteral("%1: choose a name ending in .png or .svg.")
                      .arg(QFileInfo(path).fileName()));
    return;
  }
  const QByteArray bytes = RenderGraph(plot, *sys, Settings(), ClientSize(), *format);
  vexa::platform::FileError error;
  if (bytes.isEmpty() ||
      !vexa::platform::WriteFileAtomically(
          path.toStdString(),
          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &error))
    AfxMessageBox(QStringLiteral("The graph could not be saved to %1.\n%2")
                      .arg(path, QString::fromStdString(error.message)));
}

// ------------------------------------------------------------------ mouse and keys

void CRView7::mouseMoveEvent(QMouseEvent* event) {
  const TitrationSystem* sys = System();
  if (!plot.linearised || !sys) {
    CBaseView::mouseMoveEvent(event);
    return;
  }
  const QPoint pos = event->position().toPoint();
  const int hit = plot.HitTest(*sys, Settings().markerSize, pos.x(), pos.y());
  if (plot.hoverPoint != -1) {
    XorRing(plot.hoverPoint); // takes the earlier ring away
    plot.hoverPoint = -1;
    SayInStatusBar();
  }
  if (hit != -1) {
    XorRing(hit);
    plot.hoverPoint = hit;
    SayInStatusBar(QStringLiteral("Point %1").arg(hit));
  }
}

void CRView7::mousePressEvent(QMouseEvent* event) {
  TitrationSystem* sys = System();
  if (event->button() != Qt::LeftButton || plot.hoverPoint == -1 || !sys) {
    CBaseView::mousePressEvent(event);
    return;
  }
  const LineTable before = LineTable::Of(*sys);
  if (plot.linearised) {
    vexa::ApproxLine& line = sys->lines[static_cast<std::size_t>(LineIndex())];
    const int point = GraphPlot::ClampPoint(*sys, plot.hoverPoint);
    // Only a Ctrl key held down with the click counts.
    if (event->modifiers() & Qt::ControlModifier)
      line.firstPoint = point;
    else
      line.endPoint = point;
  }
  plot.hoverPoint = -1;
  RefitCurrentLine(before, QStringLiteral("move of line %1").arg(LineIndex() + 1), -1);
}

void CRView7::RefitCurrentLine(const LineTable& before, const QString& what, int moveOfLine) {
  TitrationSystem* sys = System();
  if (!sys) return;
  const int j = LineIndex();
  sys->lines[static_cast<std::size_t>(j)].status = sys->FitLine(j);
  LinesChanged(before, what, moveOfLine);
  OnDraw(nullptr);
}

namespace {

// The index a Ctrl+digit key selects (the key 0 selects line 10), or −1 for other keys.
int CtrlDigitLine(const QKeyEvent* event) {
  if (!(event->modifiers() & Qt::ControlModifier)) return -1;
  const int key = event->key();
  if (key < Qt::Key_0 || key > Qt::Key_9) return -1;
  return key == Qt::Key_0 ? 9 : key - Qt::Key_1;
}

} // namespace

bool CRView7::event(QEvent* e) {
  // Tab does nothing here: the keyboard stays with the graph.
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return true;
  }
  // Ctrl+digit is this view's own key, ahead of the menu's shortcuts.
  if (e->type() == QEvent::ShortcutOverride && CtrlDigitLine(static_cast<QKeyEvent*>(e)) >= 0) {
    e->accept();
    return true;
  }
  return CBaseView::event(e);
}

void CRView7::keyPressEvent(QKeyEvent* event) {
  TitrationSystem* sys = System();
  if (!sys) {
    CBaseView::keyPressEvent(event);
    return;
  }
  const int n = sys->pointCount;
  const LineTable before = LineTable::Of(*sys);
  vexa::ApproxLine& line = sys->lines[static_cast<std::size_t>(LineIndex())];
  const int digitLine = CtrlDigitLine(event);
  if (digitLine >= 0) {
    if (digitLine >= sys->lineCount) {
      CBaseView::keyPressEvent(event);
      return;
    }
    plot.currentLine = digitLine;
    SelectLineInList(digitLine);
    RefitCurrentLine(before, QStringLiteral("refit of line %1").arg(digitLine + 1), -1);
    return;
  }
  // Arrow keys move the current line's ends; a run of them is one step of the history.
  QString what = QStringLiteral("move of line %1").arg(LineIndex() + 1);
  int moveOf = LineIndex();
  switch (event->key()) {
  case Qt::Key_Left:
    if (--line.firstPoint < 0) {
      line.firstPoint = 0;
      return;
    }
    break;
  case Qt::Key_Right:
    if (++line.firstPoint >= n) {
      line.firstPoint = std::max(n - 1, 0);
      return;
    }
    break;
  case Qt::Key_Up:
    if (++line.endPoint >= n) {
      line.endPoint = std::max(n - 1, 0);
      return;
    }
    break;
  case Qt::Key_Down:
    if (--line.endPoint < 0) {
      line.endPoint = 0;
      return;
    }
    break;
  case Qt::Key_Insert:
    moveOf = -1;
    if (plot.linearised && sys->lineCount < TitrationSystem::kMaxLines && Ask(IDS_ASK_ADD_LINE)) {
      AddLineNow();
      what = QStringLiteral("addition of line %1").arg(sys->lineCount);
    }
    break;
  case Qt::Key_Delete:
    moveOf = -1;
    if (plot.linearised && sys->lineCount > 1) {
      const int deleted = LineIndex() + 1;
      if (DeleteCurrentLine()) what = QStringLiteral("deletion of line %1").arg(deleted);
    }
    break;
  default: CBaseView::keyPressEvent(event); return;
  }
  RefitCurrentLine(before, what, moveOf);
}
