#include "app/ShellRegistration.h"

#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString MimeXml() {
  return QStringLiteral(
             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
             "  <mime-type type=\"%1\">\n"
             "    <comment>Vexa Document</comment>\n"
             "    <generic-icon name=\"x-office-spreadsheet\"/>\n"
             "    <magic priority=\"50\"><match type=\"string\" offset=\"0\" "
             "value=\"VEXA\"/></magic>\n"
             "    <glob pattern=\"*.vexa\"/>\n"
             "  </mime-type>\n"
             "</mime-info>\n")
      .arg(QLatin1String(kVexaMimeType));
}

// Quotes a path for the Exec key of a desktop entry.
QString ExecQuoted(const QString& path) {
  QString q = path;
  q.replace(QLatin1Char('\\'), QLatin1String("\\\\\\\\"));
  q.replace(QLatin1Char('"'), QLatin1String("\\\\\""));
  q.replace(QLatin1Char('`'), QLatin1String("\\\\`"));
  q.replace(QLatin1Char('$'), QLatin1String("\\\\$"));
  q.replace(QLatin1Char('%'), QLatin1String("%%"));
  return QLatin1Char('"') + q + QLatin1Char('"');
}

QString DesktopEntry(const QString& programPath) {
  return QStringLiteral("[Desktop Entry]\n"
                        "Type=Application\n"
                        "Name=VEXA\n"
                        "Comment=Analysis of potentiometric titrations\n"
                        "Exec=%1 %f\n"
                        "MimeType=%2;\n"
                        "Terminal=false\n"
                        "Categories=Education;Science;Chemistry;\n"
                        "NoDisplay=false\n")
      .arg(ExecQuoted(programPath), QLatin1String(kVexaMimeType));
}

// Writes the file when its content differs. True when written.
bool Refresh(const QString& path, const QString& content) {
  QFile f(path);
  if (f.open(QIODevice::ReadOnly) && f.readAll() == content.toUtf8()) return false;
  f.close();
  QDir().mkpath(QFileInfo(path).absolutePath());
  const QByteArray bytes = content.toUtf8();
  return vexa::platform::WriteFileAtomically(
      path.toStdString(),
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

} // namespace

QString UserDataHome() {
  const QByteArray xdg = qgetenv("XDG_DATA_HOME");
  if (!xdg.isEmpty() && QDir::isAbsolutePath(QString::fromLocal8Bit(xdg)))
    return QString::fromLocal8Bit(xdg);
  return QDir::homePath() + QStringLiteral("/.local/share");
}

bool RegisterDocumentType(const QString& dataHome, const QString& programPath,
                          const std::function<void(const QStringList&)>& runTool) {
  if (dataHome.isEmpty() || programPath.isEmpty()) return false;
  const QString mimeDir = dataHome + QStringLiteral("/mime");
  const QString appsDir = dataHome + QStringLiteral("/applications");
  const bool mime = Refresh(mimeDir + QStringLiteral("/packages/vexa-document.xml"), MimeXml());
  const bool desktop =
      Refresh(appsDir + QStringLiteral("/vexa-orlith.desktop"), DesktopEntry(programPath));
  if (runTool) {
    if (mime) runTool({QStringLiteral("update-mime-database"), mimeDir});
    if (desktop) runTool({QStringLiteral("update-desktop-database"), appsDir});
  }
  return mime || desktop;
}
