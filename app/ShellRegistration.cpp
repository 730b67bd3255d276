#include "app/ShellRegistration.h"

#include "platform/AtomicFile.h"
#include "resources/Icons.h"

#include <QBuffer>
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
                        "Icon=vexa-orlith\n"
                        "StartupWMClass=orlith\n"
                        "MimeType=%2;\n"
                        "Terminal=false\n"
                        "Categories=Education;Science;Chemistry;\n"
                        "NoDisplay=false\n")
      .arg(ExecQuoted(programPath), QLatin1String(kVexaMimeType));
}

// Writes the file when its content differs. True when written.
bool RefreshBytes(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (f.open(QIODevice::ReadOnly) && f.readAll() == bytes) return false;
  f.close();
  QDir().mkpath(QFileInfo(path).absolutePath());
  return vexa::platform::WriteFileAtomically(
      path.toStdString(),
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool Refresh(const QString& path, const QString& content) {
  return RefreshBytes(path, content.toUtf8());
}

// The program's icon as the desktop's icon theme keeps it.
QByteArray IconPng() {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  AppWindowIcon().pixmap(48, 48).toImage().save(&buffer, "PNG");
  return png;
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
  RefreshBytes(dataHome + QStringLiteral("/icons/hicolor/48x48/apps/vexa-orlith.png"), IconPng());
  if (runTool) {
    if (mime) runTool({QStringLiteral("update-mime-database"), mimeDir});
    if (desktop) runTool({QStringLiteral("update-desktop-database"), appsDir});
  }
  return mime || desktop;
}
