// The .xlsx workbook: a zip package whose content types name the workbook part; the workbook
// lists the sheets, its relationships give each sheet's part and the shared strings' part.
#include "sheets/Spreadsheet.h"
#include "sheets/Workbook.h"
#include "sheets/XmlPart.h"

#include <QDir>
#include <QUrl>

#include <map>
#include <optional>

namespace vexa::sheets {

namespace {

using Token = QXmlStreamReader::TokenType;

constexpr qint64 kSmallPartBytes = 16LL << 20; // content types, relationships, the workbook

// Workbook content types this reader reads: workbook, template, and both with macros.
bool IsWorkbookType(QStringView type) {
  static const char* const kTypes[] = {
      "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml",
      "application/vnd.openxmlformats-officedocument.spreadsheetml.template.main+xml",
      "application/vnd.ms-excel.sheet.macroEnabled.main+xml",
      "application/vnd.ms-excel.template.macroEnabled.main+xml"};
  for (const char* known : kTypes)
    if (type.trimmed().compare(QLatin1String(known), Qt::CaseInsensitive) == 0) return true;
  return false;
}

bool IsBinaryWorkbookType(QStringView type) {
  return type.trimmed().compare(
             QLatin1String("application/vnd.ms-excel.sheet.binary.macroEnabled.main"),
             Qt::CaseInsensitive) == 0;
}

// A part name as the package writes it ("/xl/workbook.xml", maybe %-encoded) as an entry name.
QString EntryName(const QString& partName) {
  QString name = QUrl::fromPercentEncoding(partName.toUtf8());
  while (name.startsWith(QLatin1Char('/')))
    name.remove(0, 1);
  return name;
}

std::unique_ptr<XmlPart> OpenPart(ZipPackage& zip, const QString& name, qint64 limit) {
  auto source = zip.Open(name, limit);
  if (!source) return nullptr;
  return std::make_unique<XmlPart>(std::move(source), name);
}

// The workbook's part from the content types; empty when the package holds none.
QString WorkbookPart(ZipPackage& zip) {
  const auto part = OpenPart(zip, QStringLiteral("[Content_Types].xml"), kSmallPartBytes);
  if (!part) return {};
  QString found;
  bool binary = false;
  for (auto token = part->Next(); token != Token::EndDocument; token = part->Next()) {
    if (token != Token::StartElement || part->xml().name() != QLatin1String("Override")) continue;
    const auto attributes = part->xml().attributes();
    const auto type = attributes.value(QLatin1String("ContentType"));
    if (IsWorkbookType(type) && found.isEmpty())
      found = EntryName(attributes.value(QLatin1String("PartName")).toString());
    else if (IsBinaryWorkbookType(type))
      binary = true;
  }
  if (found.isEmpty() && binary)
    throw SheetError("binary workbooks (.xlsb) cannot be read; save the workbook as .xlsx and "
                     "try again");
  return found;
}

struct Relationship {
  QString type;
  QString target; // an entry name
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"
QString RelationshipsPart(const QString& part) {
  const qsizetype slash = part.lastIndexOf(QLatin1Char('/'));
  return part.left(slash + 1) + QStringLiteral("_rels/") + part.mid(slash + 1) +
         QStringLiteral(".rels");
}

std::map<QString, Relationship> ReadRelationships(ZipPackage& zip, const QString& source) {
  std::map<QString, Relationship> relationships;
  const auto part = OpenPart(zip, RelationshipsPart(source), kSmallPartBytes);
  if (!part) return relationships;
  const qsizetype slash = source.lastIndexOf(QLatin1Char('/'));
  const QString base = source.left(slash + 1);
  for (auto token = part->Next(); token != Token::EndDocument; token = part->Next()) {
    if (token != Token::StartElement || part->xml().name() != QLatin1String("Relationship"))
      continue;
    const auto attributes = part->xml().attributes();
    if (attributes.value(QLatin1String("TargetMode")) == QLatin1String("External")) continue;
    const QString target = attributes.value(QLatin1String("Target")).toString();
    QString entry =
        target.startsWith(QLatin1Char('/')) ? EntryName(target) : EntryName(base + target);
    entry = QDir::cleanPath(entry);
    relationships[attributes.value(QLatin1String("Id")).toString()] = {
        attributes.value(QLatin1String("Type")).toString(), entry};
  }
  return relationships;
}

bool TypeIs(const QString& type, const char* last) {
  return type.endsWith(QLatin1Char('/') + QLatin1String(last));
}

// The relationship id of a <sheet>: the "id" attribute in the relationships namespace (which
// differs between the transitional and the strict form of the format).
QString RelationshipId(const QXmlStreamAttributes& attributes) {
  for (const auto& attribute : attributes)
    if (attribute.name() == QLatin1String("id") &&
        attribute.namespaceUri().endsWith(QLatin1String("relationships")))
      return attribute.value().toString();
  return {};
}

class XlsxWorkbook : public Workbook {
public:
  XlsxWorkbook(std::unique_ptr<ZipPackage> zip, const QString& workbookPart)
      : zip_(std::move(zip)) {
    struct Entry {
      QString name;
      QString id;
    };
    std::vector<Entry> listed;
    {
      const auto part = OpenPart(*zip_, workbookPart, kSmallPartBytes);
      if (!part) throw Damaged(ToUtf8(workbookPart) + " is missing");
      QString parent;
      for (auto token = part->Next(); token != Token::EndDocument; token = part->Next()) {
        if (token == Token::StartElement && part->xml().name() == QLatin1String("sheets")) {
          parent = QStringLiteral("sheets");
        } else if (token == Token::EndElement && part->xml().name() == QLatin1String("sheets")) {
          parent.clear();
        } else if (token == Token::StartElement && !parent.isEmpty() &&
                   part->xml().name() == QLatin1String("sheet")) {
          const auto attributes = part->xml().attributes();
          listed.push_back(
              {attributes.value(QLatin1String("name")).toString(), RelationshipId(attributes)});
        }
      }
    }
    const auto relationships = ReadRelationships(*zip_, workbookPart);
    for (const auto& sheet : listed) {
      const auto found = relationships.find(sheet.id);
      if (found == relationships.end())
        throw Damaged(ToUtf8(workbookPart) + " lists sheet \"" + ToUtf8(sheet.name) +
                      "\" without a part");
      // Chart sheets and dialog sheets hold no cells.
      if (!TypeIs(found->second.type, "worksheet")) continue;
      sheets_.push_back({ToUtf8(sheet.name), found->second.target});
    }
    for (const auto& [id, relationship] : relationships)
      if (TypeIs(relationship.type, "sharedStrings")) sharedStringsPart_ = relationship.target;
  }

  std::vector<std::string> SheetNames() override {
    std::vector<std::string> names;
    for (const auto& sheet : sheets_)
      names.push_back(sheet.name);
    return names;
  }

  std::vector<std::vector<std::string>> ReadRows(std::size_t index) override {
    if (!strings_) {
      strings_.emplace();
      if (!sharedStringsPart_.isEmpty()) {
        if (const auto part = OpenPart(*zip_, sharedStringsPart_, kMaxPartBytes))
          *strings_ = ParseSharedStrings(*part);
      }
    }
    const auto& sheet = sheets_.at(index);
    const auto part = OpenPart(*zip_, sheet.part, kMaxPartBytes);
    if (!part) throw Damaged("the part of sheet \"" + sheet.name + "\" is missing");
    SheetBuilder builder;
    ParseWorksheet(*part, *strings_, builder);
    return builder.Take();
  }

private:
  struct SheetPart {
    std::string name;
    QString part;
  };
  std::unique_ptr<ZipPackage> zip_;
  std::vector<SheetPart> sheets_;
  QString sharedStringsPart_;
  std::optional<SharedStrings> strings_;
};

// The text of an <si> or <is>: its <t> elements, directly or in runs; phonetic readings and
// run properties are no part of it.
std::string RichText(XmlPart& part) {
  std::string text;
  int depth = 1;
  while (depth > 0) {
    const auto token = part.Next();
    if (token == Token::EndElement) {
      --depth;
    } else if (token == Token::StartElement) {
      const auto name = part.xml().name();
      if (name == QLatin1String("t"))
        text += part.ElementText();
      else if (name == QLatin1String("r"))
        ++depth;
      else
        part.SkipElement();
      if (static_cast<std::int64_t>(text.size()) > kMaxCellBytes) CellTooLong();
    } else if (token == Token::EndDocument) {
      part.Fail(QStringLiteral("it ends early"));
    }
  }
  return text;
}

std::optional<std::uint64_t> ParseIndex(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
    ++i;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++digits) {
    if (value > (UINT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
  }
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n'))
    ++i;
  if (digits == 0 || i != text.size()) return std::nullopt;
  return value;
}

std::string ColumnName(std::int64_t col) {
  std::string name;
  for (std::int64_t n = col + 1; n > 0; n = (n - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

std::string CellText(XmlPart& part, const QString& type, const std::string& value,
                     const std::optional<std::string>& inlineText, const SharedStrings& strings,
                     std::int64_t row, std::int64_t col) {
  if (type.isEmpty() || type == QLatin1String("n")) return NumberText(value);
  if (type == QLatin1String("s")) {
    if (value.empty()) return {};
    const auto index = ParseIndex(value);
    if (!index || *index >= strings.size())
      part.Fail(QStringLiteral("cell %1%2 refers to shared string %3, which does not exist")
                    .arg(FromUtf8(ColumnName(col)))
                    .arg(row + 1)
                    .arg(FromUtf8(value)));
    return strings.at(static_cast<std::size_t>(*index));
  }
  if (type == QLatin1String("inlineStr")) return inlineText ? *inlineText : value;
  if (type == QLatin1String("b")) {
    const std::string trimmed = NumberText(value);
    if (trimmed == "1") return "TRUE";
    if (trimmed == "0") return "FALSE";
    return value;
  }
  return value; // "str" (a formula's text), "e" (an error value), "d" (a date as text)
}

void ParseRow(XmlPart& part, std::int64_t row, const SharedStrings& strings,
              SheetBuilder& builder) {
  std::int64_t col = -1;
  for (;;) {
    const auto token = part.Next();
    if (token == Token::EndElement) return;
    if (token == Token::EndDocument) part.Fail(QStringLiteral("it ends early"));
    if (token != Token::StartElement) continue;
    if (part.xml().name() != QLatin1String("c")) {
      part.SkipElement();
      continue;
    }
    const auto attributes = part.xml().attributes();
    const auto reference = attributes.value(QLatin1String("r"));
    if (reference.isEmpty()) {
      ++col;
    } else {
      std::int64_t refRow = 0;
      if (!ParseCellReference(reference, col, refRow))
        part.Fail(QStringLiteral("\"%1\" is not a cell reference").arg(reference.toString()));
    }
    const QString type = attributes.value(QLatin1String("t")).toString();
    std::string value;
    std::optional<std::string> inlineText;
    for (int depth = 1; depth > 0;) {
      const auto inner = part.Next();
      if (inner == Token::EndElement) {
        --depth;
      } else if (inner == Token::StartElement) {
        const auto name = part.xml().name();
        if (name == QLatin1String("v"))
          value = part.ElementText();
        else if (name == QLatin1String("is"))
          inlineText = RichText(part);
        else
          part.SkipElement(); // the formula itself, extensions
      } else if (inner == Token::EndDocument) {
        part.Fail(QStringLiteral("it ends early"));
      }
    }
    builder.SetCell(col, CellText(part, type, value, inlineText, strings, row, col));
  }
}

} // namespace

std::string SharedStrings::at(std::size_t i) const {
  const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
  return texts_.substr(begin, ends_[i] - begin);
}

void SharedStrings::push_back(const std::string& text) {
  if (static_cast<std::int64_t>(texts_.size() + text.size()) > kMaxSheetTextBytes)
    throw TooLarge("the shared strings hold more than " + std::to_string(kMaxSheetTextBytes >> 20) +
                   " MB of text");
  texts_ += text;
  ends_.push_back(texts_.size());
}

bool ParseCellReference(QStringView text, std::int64_t& col, std::int64_t& row) {
  qsizetype i = 0;
  std::int64_t column = 0;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
      column = column * 26 + (c.unicode() - 'A' + 1);
    else if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
      column = column * 26 + (c.unicode() - 'a' + 1);
    else
      break;
    if (column > kMaxSheetColumns)
      throw TooLarge("more than " + std::to_string(kMaxSheetColumns) + " columns");
  }
  if (column == 0) return false;
  std::int64_t number = 0;
  const qsizetype digits = i;
  for (; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
    number = number * 10 + (c.unicode() - '0');
    if (number > kMaxSheetRows)
      throw TooLarge("more than " + std::to_string(kMaxSheetRows) + " rows");
  }
  if (i == digits || number == 0) return false;
  col = column - 1;
  row = number - 1;
  return true;
}

SharedStrings ParseSharedStrings(XmlPart& part) {
  SharedStrings strings;
  for (auto token = part.Next(); token != Token::EndDocument; token = part.Next())
    if (token == Token::StartElement && part.xml().name() == QLatin1String("si"))
      strings.push_back(RichText(part));
  return strings;
}

void ParseWorksheet(XmlPart& part, const SharedStrings& strings, SheetBuilder& builder) {
  bool inData = false;
  std::int64_t row = -1;
  for (auto token = part.Next(); token != Token::EndDocument; token = part.Next()) {
    if (token == Token::EndElement && part.xml().name() == QLatin1String("sheetData")) {
      inData = false;
    } else if (token == Token::StartElement) {
      const auto name = part.xml().name();
      if (name == QLatin1String("sheetData")) {
        inData = true;
      } else if (inData && name == QLatin1String("row")) {
        const auto number = part.xml().attributes().value(QLatin1String("r"));
        if (number.isEmpty()) {
          ++row;
        } else {
          const auto parsed = ParseIndex(number.toString().toStdString());
          if (!parsed || *parsed == 0)
            part.Fail(QStringLiteral("\"%1\" is not a row number").arg(number.toString()));
          if (*parsed > static_cast<std::uint64_t>(kMaxSheetRows))
            throw TooLarge("more than " + std::to_string(kMaxSheetRows) + " rows");
          row = static_cast<std::int64_t>(*parsed) - 1;
        }
        if (row >= kMaxSheetRows)
          throw TooLarge("more than " + std::to_string(kMaxSheetRows) + " rows");
        ParseRow(part, row, strings, builder);
        builder.EndRow(row);
      } else if (inData) {
        part.SkipElement();
      }
    }
  }
}

PackageKind KindOfPackage(ZipPackage& zip) {
  // An OpenDocument package says what it is in its first entry, "mimetype", or else in the
  // manifest's entry for the whole package.
  static const QLatin1String kOds("application/vnd.oasis.opendocument.spreadsheet");
  static const QLatin1String kOts("application/vnd.oasis.opendocument.spreadsheet-template");
  if (zip.Has(QStringLiteral("mimetype"))) {
    const QString type =
        QString::fromLatin1(zip.ReadAll(QStringLiteral("mimetype"), 256)).trimmed();
    if (type == kOds || type == kOts) return PackageKind::Ods;
  } else if (auto source = zip.Open(QStringLiteral("META-INF/manifest.xml"), kSmallPartBytes)) {
    XmlPart part(std::move(source), QStringLiteral("META-INF/manifest.xml"));
    for (auto token = part.Next(); token != Token::EndDocument; token = part.Next()) {
      if (token != Token::StartElement || part.xml().name() != QLatin1String("file-entry"))
        continue;
      const auto attributes = part.xml().attributes();
      bool root = false;
      QString type;
      for (const auto& attribute : attributes) {
        if (attribute.name() == QLatin1String("full-path"))
          root = attribute.value() == QLatin1String("/");
        if (attribute.name() == QLatin1String("media-type")) type = attribute.value().toString();
      }
      if (root) {
        if (type == kOds || type == kOts) return PackageKind::Ods;
        break;
      }
    }
  }
  return WorkbookPart(zip).isEmpty() ? PackageKind::Other : PackageKind::Xlsx;
}

std::unique_ptr<Workbook> OpenXlsx(std::unique_ptr<ZipPackage> zip) {
  const QString part = WorkbookPart(*zip);
  if (part.isEmpty()) throw NotASpreadsheet();
  return std::make_unique<XlsxWorkbook>(std::move(zip), part);
}

} // namespace vexa::sheets
