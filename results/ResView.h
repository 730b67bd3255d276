#pragma once
// The results view: writes the results log "log.html" each time it is shown and after each
// font-size command, and shows it. "Save log..." copies the log to a file the user names.
#include "framework/DocView.h"

#include <QString>

class CWebBrowser;
class QMenu;

class CResView : public CView {
public:
  explicit CResView(const ViewContext& context, QWidget* parent = nullptr);
  const char* GetRuntimeClassName() const override { return "CResView"; }

  void OnInitialUpdate() override;
  // A change of the document rewrites the page in sight at once, at the place the user had
  // scrolled to: a stale number must never be read off it.
  void OnUpdate(CView* sender, long hint) override;
  // Writes the log and navigates to it (what showing the view does); keepPlace keeps the
  // page's scroll position.
  void WriteLogAndShow(bool keepPlace = false);
  void OnSaveLog();
  // Prints the results: the parameters and every line's results.
  int OnPrintPages(QPagedPaintDevice& device, QString* error) override;
  QString PdfName() const override;

  int FontPercent() const { return fontPercent_; }
  CWebBrowser* Browser() const { return browser_; }
  QMenu* PopupMenu() const { return popup_; }
  // Where the log was last written; empty before the first write.
  const QString& LogPath() const { return logPath_; }

  static constexpr int kPopupIndex = 3;

protected:
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  CWebBrowser* browser_;
  QMenu* popup_ = nullptr;
  int fontPercent_ = 100;
  QString logPath_;
};

// The folder the log goes to when the program folder cannot be written:
// $XDG_CACHE_HOME/vexa (else ~/.cache/vexa), with a trailing slash.
QString LogCacheFolder();
