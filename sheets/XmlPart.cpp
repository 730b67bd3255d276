#include "sheets/XmlPart.h"

#include "sheets/SheetBuilder.h"
#include "sheets/Spreadsheet.h"

#include <quazip.h>
#include <quazipfile.h>
#include <quazipfileinfo.h>

namespace vexa::sheets {

std::string ToUtf8(QStringView text) {
  return text.toUtf8().toStdString();
}

QString FromUtf8(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

namespace {

constexpr qint64 kPiece = 64 * 1024;

std::string Megabytes(qint64 bytes) {
  return std::to_string(bytes >> 20) + " MB";
}

// An entry of the archive being read; the archive has one entry open at a time.
class ZipEntrySource : public ByteSource {
public:
  ZipEntrySource(QuaZip& zip, QString name, qint64 limit)
      : file_(&zip), name_(std::move(name)), limit_(limit) {}

  bool open() { return file_.open(QIODevice::ReadOnly); }

  QByteArray Next() override {
    if (done_) return {};
    QByteArray piece(static_cast<qsizetype>(kPiece), Qt::Uninitialized);
    const qint64 got = file_.read(piece.data(), kPiece);
    if (got < 0 || file_.getZipError() != UNZ_OK)
      throw Damaged(ToUtf8(name_) + " cannot be unpacked");
    if (got == 0) {
      done_ = true;
      file_.close();
      if (file_.getZipError() == UNZ_CRCERROR) throw Damaged(ToUtf8(name_) + " fails its checksum");
      if (file_.getZipError() != UNZ_OK) throw Damaged(ToUtf8(name_) + " cannot be unpacked");
      return {};
    }
    read_ += got;
    if (read_ > limit_)
      throw FileTooLarge(ToUtf8(name_) + " unpacks to more than " + Megabytes(limit_));
    piece.truncate(static_cast<qsizetype>(got));
    return piece;
  }

private:
  QuaZipFile file_;
  QString name_;
  qint64 limit_;
  qint64 read_ = 0;
  bool done_ = false;
};

} // namespace

QByteArray MemorySource::Next() {
  const qsizetype n = std::min(piece_, bytes_.size() - at_);
  QByteArray piece = bytes_.mid(at_, n);
  at_ += n;
  return piece;
}

ZipPackage::ZipPackage(const std::string& path) : zip_(std::make_unique<QuaZip>(FromUtf8(path))) {
  if (!zip_->open(QuaZip::mdUnzip)) throw Damaged("the zip archive cannot be opened");
}

ZipPackage::~ZipPackage() = default;

bool ZipPackage::Has(const QString& name) {
  return zip_->setCurrentFile(name, QuaZip::csInsensitive);
}

std::unique_ptr<ByteSource> ZipPackage::Open(const QString& name, qint64 limit) {
  if (!zip_->setCurrentFile(name, QuaZip::csInsensitive)) return nullptr;
  QuaZipFileInfo64 info;
  if (!zip_->getCurrentFileInfo(&info)) throw Damaged(ToUtf8(name) + " cannot be read");
  if (info.flags & 1) throw Encrypted();
  // The size the archive gives is checked again while reading: the unpacking stops there.
  if (static_cast<qint64>(info.uncompressedSize) > limit)
    throw FileTooLarge(ToUtf8(name) + " unpacks to more than " + Megabytes(limit));
  auto source = std::make_unique<ZipEntrySource>(*zip_, name, limit);
  if (!source->open()) throw Damaged(ToUtf8(name) + " cannot be unpacked");
  return source;
}

QByteArray ZipPackage::ReadAll(const QString& name, qint64 limit) {
  auto source = Open(name, limit);
  if (!source) return {};
  QByteArray all;
  for (QByteArray piece = source->Next(); !piece.isEmpty(); piece = source->Next())
    all += piece;
  return all;
}

XmlPart::XmlPart(std::unique_ptr<ByteSource> source, QString name)
    : source_(std::move(source)), name_(std::move(name)) {}

void XmlPart::Fail(const QString& detail) const {
  throw Damaged(ToUtf8(name_) + ": " + ToUtf8(detail));
}

QXmlStreamReader::TokenType XmlPart::Next() {
  for (;;) {
    const auto token = xml_.readNext();
    if (token == QXmlStreamReader::DTD) Fail(QStringLiteral("it has a document type declaration"));
    if (token == QXmlStreamReader::EndDocument) {
      // Read the rest (normally nothing) so that the archive checks the entry's checksum.
      while (!sourceDone_)
        sourceDone_ = source_->Next().isEmpty();
      return token;
    }
    if (!xml_.hasError()) return token;
    if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError && !sourceDone_) {
      QByteArray piece = source_->Next();
      if (piece.isEmpty())
        sourceDone_ = true;
      else
        xml_.addData(piece);
      continue;
    }
    if (xml_.error() == QXmlStreamReader::PrematureEndOfDocumentError)
      Fail(QStringLiteral("it ends early"));
    Fail(QStringLiteral("not well-formed XML at line %1: %2")
             .arg(xml_.lineNumber())
             .arg(xml_.errorString()));
  }
}

void XmlPart::SkipElement() {
  int depth = 1;
  while (depth > 0) {
    const auto token = Next();
    if (token == QXmlStreamReader::StartElement)
      ++depth;
    else if (token == QXmlStreamReader::EndElement)
      --depth;
    else if (token == QXmlStreamReader::EndDocument)
      Fail(QStringLiteral("it ends early"));
  }
}

std::string XmlPart::ElementText() {
  QString text;
  int depth = 1;
  while (depth > 0) {
    const auto token = Next();
    if (token == QXmlStreamReader::StartElement)
      ++depth;
    else if (token == QXmlStreamReader::EndElement)
      --depth;
    else if (token == QXmlStreamReader::Characters) {
      text += xml_.text();
      // A bound on what is held while reading; the builder checks the exact size in bytes.
      if (text.size() > kMaxCellBytes) CellTooLong();
    } else if (token == QXmlStreamReader::EndDocument) {
      Fail(QStringLiteral("it ends early"));
    }
  }
  return ToUtf8(text);
}

} // namespace vexa::sheets
