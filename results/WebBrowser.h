#pragma once
// The page view of the results and help categories: a QTextBrowser that navigates to a file
// address. Pages in the Windows-1251 code page (as the results log declares) are read as such,
// and a percentage font size in a style ("font-size: 150%") is honoured.
#include <QTextBrowser>

class CWebBrowser : public QTextBrowser {
public:
  explicit CWebBrowser(QWidget* parent = nullptr);
  // Loads the address ("file:///..."), again when it is the page already shown.
  void Navigate(const QString& url);
  // The page text as last loaded (after decoding and the font-size translation).
  const QString& LoadedHtml() const { return loaded_; }

  // "font-size: N%" becomes a size in points relative to basePoints.
  static QString TranslatePercentFontSizes(const QString& html, double basePoints);

protected:
  QVariant loadResource(int type, const QUrl& name) override;

private:
  QString loaded_;
};
