#include "results/WebBrowser.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QRegularExpression>
#include <QUrl>

CWebBrowser::CWebBrowser(QWidget* parent) : QTextBrowser(parent) {
  setObjectName(QStringLiteral("IDC_1081"));
  setOpenLinks(true);
  setOpenExternalLinks(true);
  setFrameShape(QFrame::NoFrame);
}

void CWebBrowser::Navigate(const QString& url) {
  const QUrl target(url);
  if (source() == target)
    reload();
  else
    setSource(target);
}

QString CWebBrowser::TranslatePercentFontSizes(const QString& html, double basePoints) {
  static const QRegularExpression re(QStringLiteral("font-size\\s*:\\s*(\\d+(?:\\.\\d+)?)\\s*%"),
                                     QRegularExpression::CaseInsensitiveOption);
  QString out;
  qsizetype last = 0;
  auto it = re.globalMatch(html);
  while (it.hasNext()) {
    const auto m = it.next();
    out += QStringView(html).mid(last, m.capturedStart() - last);
    const double pt = basePoints * m.captured(1).toDouble() / 100.0;
    out += QStringLiteral("font-size: %1pt").arg(pt, 0, 'f', 1);
    last = m.capturedEnd();
  }
  out += QStringView(html).mid(last);
  return out;
}

QVariant CWebBrowser::loadResource(int type, const QUrl& name) {
  if (type != QTextDocument::HtmlResource || !name.isLocalFile())
    return QTextBrowser::loadResource(type, name);
  QFile file(name.toLocalFile());
  if (!file.open(QIODevice::ReadOnly)) {
    loaded_ =
        QStringLiteral("<html><body><h3>The page cannot be displayed</h3><p>%1</p></body></html>")
            .arg(name.toLocalFile().toHtmlEscaped());
    return loaded_;
  }
  const QByteArray bytes = file.readAll();
  QString html;
  const QByteArray head = bytes.left(1024).toLower();
  if (head.contains("charset=windows-1251"))
    html = QString::fromStdString(vexa::platform::AnsiToUtf8(bytes.toStdString()));
  else
    html = QString::fromUtf8(bytes);
  double base = font().pointSizeF();
  if (base <= 0) base = 10.0;
  loaded_ = TranslatePercentFontSizes(html, base);
  return loaded_;
}
