#pragma once
// Inside the spreadsheet reader: the zip package of an .xlsx or .ods file, and the XML parts
// in it, fed to the stream reader piece by piece within a byte limit.
#include <QByteArray>
#include <QString>
#include <QXmlStreamReader>

#include <memory>
#include <string>

class QuaZip;

namespace vexa::sheets {

// Where an XML part's bytes come from.
class ByteSource {
public:
  virtual ~ByteSource() = default;
  // The next piece; empty at the end. Throws SheetError when the bytes cannot be read.
  virtual QByteArray Next() = 0;
};

// A part held in memory (tests, the fuzz target).
class MemorySource : public ByteSource {
public:
  explicit MemorySource(QByteArray bytes, qsizetype piece = 64 * 1024)
      : bytes_(std::move(bytes)), piece_(piece) {}
  QByteArray Next() override;

private:
  QByteArray bytes_;
  qsizetype piece_;
  qsizetype at_ = 0;
};

// A zip archive opened for reading. Opening throws: "the file is damaged (...)" when the
// archive cannot be read.
class ZipPackage {
public:
  explicit ZipPackage(const std::string& path);
  ~ZipPackage();
  ZipPackage(const ZipPackage&) = delete;
  ZipPackage& operator=(const ZipPackage&) = delete;

  bool Has(const QString& name);
  // The entry's bytes as a source, read through at most `limit` unpacked bytes; nullptr when
  // there is no such entry. Throws when the entry is encrypted or cannot be opened, and
  // (from the source) when it is damaged or larger than the limit.
  std::unique_ptr<ByteSource> Open(const QString& name, qint64 limit);
  // A small entry read whole (the "mimetype" entry); empty when there is no such entry.
  QByteArray ReadAll(const QString& name, qint64 limit);

private:
  std::unique_ptr<QuaZip> zip_;
};

// One XML part read token by token. Next() throws "the file is damaged (<part> is not
// well-formed XML: ...)" for bad XML, for a document type declaration (no part of these
// formats has one, and refusing it keeps entity expansion out), and for a part that ends early.
class XmlPart {
public:
  XmlPart(std::unique_ptr<ByteSource> source, QString name);

  QXmlStreamReader::TokenType Next();
  QXmlStreamReader& xml() { return xml_; }
  const QString& name() const { return name_; }

  // Skips the rest of the current element (the reader stands on its start tag).
  void SkipElement();
  // The text directly and indirectly inside the current element, up to its end tag; throws
  // TooLarge past kMaxCellBytes.
  std::string ElementText();

  // A failure inside this part: "the file is damaged (<part>: detail)".
  [[noreturn]] void Fail(const QString& detail) const;

private:
  std::unique_ptr<ByteSource> source_;
  QString name_;
  QXmlStreamReader xml_;
  bool sourceDone_ = false;
};

std::string ToUtf8(QStringView text);
QString FromUtf8(const std::string& text);

} // namespace vexa::sheets
