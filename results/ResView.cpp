#include "results/ResView.h"

#include "document/Doc.h"
#include "document/Printing.h"
#include "resources/Ids.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "platform/AtomicFile.h"
#include "results/ResultsLog.h"
#include "results/WebBrowser.h"

#include <QDir>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QShowEvent>
#include <QUrl>

using namespace ids;

namespace {
struct FontCommand {
  int id;
  int percent;
};
const FontCommand kFontCommands[] = {
    {ID_FONT_MINUS3, 25}, {ID_FONT_MINUS2, 50}, {ID_FONT_MINUS1, 75}, {ID_FONT_NORMAL, 100},
    {ID_FONT_PLUS1, 150}, {ID_FONT_PLUS2, 200}, {ID_FONT_PLUS3, 300}};
const char kLogName[] = "log.html";
} // namespace

QString LogCacheFolder() {
  QString base = QString::fromLocal8Bit(qgetenv("XDG_CACHE_HOME"));
  if (base.isEmpty() || !QDir::isAbsolutePath(base))
    base = QDir::homePath() + QStringLiteral("/.cache");
  return base + QStringLiteral("/vexa/");
}

CResView::CResView(const ViewContext& context, QWidget* parent)
    : CView(context, parent), browser_(new CWebBrowser(this)) {
  setFocusProxy(browser_);
  browser_->setContextMenuPolicy(Qt::NoContextMenu);
  browser_->viewport()->installEventFilter(this);
  browser_->installEventFilter(this);
  for (const FontCommand& f : kFontCommands) {
    const int percent = f.percent;
    OnCommand(f.id, [this, percent] {
      fontPercent_ = percent;
      WriteLogAndShow();
    });
    OnUpdateCommand(f.id, [this, percent](CCmdUI& ui) {
      ui.Enable(true);
      ui.SetCheck(fontPercent_ == percent);
    });
  }
  OnCommand(ID_SAVE_LOG, [this] { OnSaveLog(); });
  EnablePrinting();
  OnUpdateCommand(ID_SAVE_LOG, [](CCmdUI& ui) { ui.Enable(true); });
}

void CResView::OnInitialUpdate() {
  CView::OnInitialUpdate();
  popup_ = Context().OperationMenu(kPopupIndex);
}

void CResView::showEvent(QShowEvent* event) {
  CView::showEvent(event);
  // The window coming back from its icon shows its children again; that is no showing of this
  // view, and the page keeps its place.
  if (event->spontaneous()) return;
  WriteLogAndShow();
}

void CResView::resizeEvent(QResizeEvent* event) {
  CView::resizeEvent(event);
  browser_->setGeometry(rect());
}

void CResView::OnUpdate(CView* sender, long hint) {
  CView::OnUpdate(sender, hint);
  if (isVisible()) WriteLogAndShow(true);
}

void CResView::WriteLogAndShow(bool keepPlace) {
  auto* doc = dynamic_cast<CDoc*>(GetDocument());
  if (!doc) return;
  // After Find lines the page ends with its checks.
  const std::string page =
      vexa::WriteResultsLog(doc->System(), fontPercent_, doc->FoundChecks().get());
  // The program folder first; when it cannot be written (an installation for all users), the
  // user's cache folder.
  QString path = Context().ProgramFolder() + QLatin1String(kLogName);
  if (!vexa::platform::WriteFileAtomically(path.toStdString(), page)) {
    const QString cache = LogCacheFolder();
    QDir().mkpath(cache);
    path = cache + QLatin1String(kLogName);
    if (!vexa::platform::WriteFileAtomically(path.toStdString(), page)) return;
  }
  logPath_ = path;
  const int place = browser_->verticalScrollBar()->value();
  browser_->Navigate(QUrl::fromLocalFile(path).toString());
  if (keepPlace) browser_->verticalScrollBar()->setValue(place);
}

int CResView::OnPrintPages(QPagedPaintDevice& device, QString* error) {
  const auto* doc = dynamic_cast<const CDoc*>(GetDocument());
  if (!doc) return 0;
  return PaintSystem(device, *doc, ReportParts::Results(), 0, error);
}

QString CResView::PdfName() const {
  const CDocument* doc = GetDocument();
  return (doc ? doc->GetTitle() : QString()) + QStringLiteral("-results.pdf");
}

void CResView::OnSaveLog() {
  CDocument* doc = GetDocument();
  FileDialogRequest req;
  req.open = false;
  req.title = QStringLiteral("Save As");
  req.fileName = BesideDocument(doc ? doc->GetPathName() : QString(),
                                (doc ? doc->GetTitle() : QString()) + QStringLiteral("_log.html"));
  req.defaultExtension = QStringLiteral("html");
  req.filter = QStringLiteral("HTML files (*.html)|*.html||");
  req.overwritePrompt = true;
  CFrameWnd* frame = GetParentFrame();
  const QString target = PromptFileName(frame, req);
  if (target.isEmpty()) return;
  const QString source = logPath_.isEmpty() ? Context().ProgramFolder() + QLatin1String(kLogName) : logPath_;
  const auto bytes = vexa::platform::ReadWholeFile(source.toStdString());
  if (!bytes || !vexa::platform::WriteFileAtomically(target.toStdString(), *bytes))
    AfxMessageBox(IDS_DONT_SAVE_LOG, MB_OK | MB_ICONERROR);
}

bool CResView::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonPress) {
    auto* me = static_cast<QMouseEvent*>(event);
    if (me->button() == Qt::RightButton) {
      if (popup_) popup_->popup(me->globalPosition().toPoint());
      return true;
    }
  } else if (event->type() == QEvent::MouseButtonRelease) {
    if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) return true;
  }
  return CView::eventFilter(watched, event);
}
