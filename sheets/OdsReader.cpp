// The OpenDocument spreadsheet: a zip package whose content.xml holds every table. Rows and
// cells may stand for several (number-rows-repeated, number-columns-repeated): repeated empty
// ones only move the position on, so a sheet "repeated 1048576 times" costs nothing.
#include "sheets/Spreadsheet.h"
#include "sheets/Workbook.h"
#include "sheets/XmlPart.h"

#include <algorithm>
#include <limits>

namespace vexa::sheets {

namespace {

using Token = QXmlStreamReader::TokenType;

const QLatin1String kOfficeNs("urn:oasis:names:tc:opendocument:xmlns:office:1.0");
const QLatin1String kTableNs("urn:oasis:names:tc:opendocument:xmlns:table:1.0");
const QLatin1String kTextNs("urn:oasis:names:tc:opendocument:xmlns:text:1.0");
const QLatin1String kManifestNs("urn:oasis:names:tc:opendocument:xmlns:manifest:1.0");

constexpr std::int64_t kMaxRepeat = std::int64_t{1} << 40; // far beyond any sheet, no overflow

bool Is(XmlPart& part, QLatin1String ns, const char* name) {
  return part.xml().namespaceUri() == ns && part.xml().name() == QLatin1String(name);
}

std::int64_t Repeat(const QXmlStreamAttributes& attributes, const char* name) {
  const auto text = attributes.value(kTableNs, QLatin1String(name));
  if (text.isEmpty()) return 1;
  bool ok = false;
  const qulonglong value = text.toULongLong(&ok);
  if (!ok || value == 0) return 1;
  return static_cast<std::int64_t>(std::min<qulonglong>(value, kMaxRepeat));
}

// The text of a paragraph. Runs of white space in the XML count as one space, as the format
// says; <text:s/>, <text:tab/> and <text:line-break/> give their characters literally. Notes
// and annotations are no part of the text.
QString ParagraphText(XmlPart& part) {
  QString text;
  bool collapsed = false; // the text ends with a space that stands for a run of white space
  for (int depth = 1; depth > 0;) {
    const auto token = part.Next();
    if (token == Token::EndElement) {
      --depth;
    } else if (token == Token::Characters) {
      for (const QChar c : part.xml().text()) {
        if (c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
            c == QLatin1Char('\r')) {
          if (!text.isEmpty() && !collapsed) {
            text += QLatin1Char(' ');
            collapsed = true;
          }
        } else {
          text += c;
          collapsed = false;
        }
      }
    } else if (token == Token::StartElement) {
      if (Is(part, kTextNs, "s")) {
        bool ok = false;
        const auto count =
            part.xml().attributes().value(kTextNs, QLatin1String("c")).toLongLong(&ok);
        const std::int64_t spaces = ok && count > 0 ? count : 1;
        if (spaces > kMaxCellBytes || text.size() + spaces > kMaxCellBytes) CellTooLong();
        text += QString(static_cast<qsizetype>(spaces), QLatin1Char(' '));
        collapsed = false;
        part.SkipElement();
      } else if (Is(part, kTextNs, "tab")) {
        text += QLatin1Char('\t');
        collapsed = false;
        part.SkipElement();
      } else if (Is(part, kTextNs, "line-break")) {
        text += QLatin1Char('\n');
        collapsed = false;
        part.SkipElement();
      } else if (part.xml().namespaceUri() == kTextNs && !Is(part, kTextNs, "note")) {
        ++depth; // spans, links and other runs of text
      } else {
        part.SkipElement();
      }
    } else if (token == Token::EndDocument) {
      part.Fail(QStringLiteral("it ends early"));
    }
    if (text.size() > kMaxCellBytes) CellTooLong();
  }
  if (collapsed) text.chop(1);
  return text;
}

// The text of a cell, which the reader stands on: the value the attributes give for numbers,
// dates, times and booleans (a formula's cell holds the value computed last), else the
// paragraphs joined by line feeds.
std::string CellText(XmlPart& part) {
  const auto attributes = part.xml().attributes();
  const QString type = attributes.value(kOfficeNs, QLatin1String("value-type")).toString();
  QString paragraphs;
  bool first = true;
  for (int depth = 1; depth > 0;) {
    const auto token = part.Next();
    if (token == Token::EndElement) {
      --depth;
    } else if (token == Token::StartElement) {
      if (Is(part, kTextNs, "p") || Is(part, kTextNs, "h")) {
        if (!first) paragraphs += QLatin1Char('\n');
        paragraphs += ParagraphText(part);
        first = false;
        if (paragraphs.size() > kMaxCellBytes) CellTooLong();
      } else {
        part.SkipElement(); // annotations, drawings, tables in a cell
      }
    } else if (token == Token::EndDocument) {
      part.Fail(QStringLiteral("it ends early"));
    }
  }
  const auto attribute = [&](const char* name) {
    return attributes.value(kOfficeNs, QLatin1String(name)).toString();
  };
  QString value;
  if (type == QLatin1String("float") || type == QLatin1String("percentage") ||
      type == QLatin1String("currency")) {
    value = attribute("value");
    if (!value.isEmpty()) return NumberText(ToUtf8(value));
  } else if (type == QLatin1String("date")) {
    value = attribute("date-value");
  } else if (type == QLatin1String("time")) {
    value = attribute("time-value");
  } else if (type == QLatin1String("boolean")) {
    value = attribute("boolean-value").trimmed();
    if (value == QLatin1String("true") || value == QLatin1String("1")) return "TRUE";
    if (value == QLatin1String("false") || value == QLatin1String("0")) return "FALSE";
  } else if (type == QLatin1String("string")) {
    if (attributes.hasAttribute(kOfficeNs, QLatin1String("string-value")))
      value = attribute("string-value");
    if (value.size() > kMaxCellBytes) CellTooLong();
  }
  return ToUtf8(value.isEmpty() ? paragraphs : value);
}

// One row, which the reader stands on; true when a cell holds text.
bool ParseRow(XmlPart& part, SheetBuilder& builder) {
  std::int64_t col = 0;
  bool any = false;
  for (;;) {
    const auto token = part.Next();
    if (token == Token::EndElement) return any;
    if (token == Token::EndDocument) part.Fail(QStringLiteral("it ends early"));
    if (token != Token::StartElement) continue;
    if (!Is(part, kTableNs, "table-cell") && !Is(part, kTableNs, "covered-table-cell")) {
      part.SkipElement();
      continue;
    }
    const std::int64_t repeat = Repeat(part.xml().attributes(), "number-columns-repeated");
    std::string text = CellText(part);
    if (!text.empty()) {
      if (col + repeat > kMaxSheetColumns)
        throw TooLarge("more than " + std::to_string(kMaxSheetColumns) + " columns");
      for (std::int64_t k = 0; k < repeat; ++k)
        builder.SetCell(col + k, text);
      any = true;
    }
    col = std::min(col + repeat, kMaxRepeat);
  }
}

void ParseTable(XmlPart& part, SheetBuilder& builder) {
  std::int64_t row = 0;
  for (int depth = 1; depth > 0;) {
    const auto token = part.Next();
    if (token == Token::EndElement) {
      --depth;
    } else if (token == Token::StartElement) {
      if (Is(part, kTableNs, "table-row")) {
        const std::int64_t repeat = Repeat(part.xml().attributes(), "number-rows-repeated");
        if (ParseRow(part, builder)) builder.EndRow(row, repeat);
        row = std::min(row + repeat, kMaxRepeat);
      } else if (Is(part, kTableNs, "table-row-group") || Is(part, kTableNs, "table-header-rows") ||
                 Is(part, kTableNs, "table-rows")) {
        ++depth;
      } else {
        part.SkipElement(); // columns, shapes, forms
      }
    } else if (token == Token::EndDocument) {
      part.Fail(QStringLiteral("it ends early"));
    }
  }
}

class OdsWorkbook : public Workbook {
public:
  explicit OdsWorkbook(std::unique_ptr<ZipPackage> zip) : zip_(std::move(zip)) {
    // An encrypted document keeps its manifest readable and says there how each entry is
    // encrypted.
    if (auto source = zip_->Open(QStringLiteral("META-INF/manifest.xml"), 16LL << 20)) {
      XmlPart manifest(std::move(source), QStringLiteral("META-INF/manifest.xml"));
      for (auto token = manifest.Next(); token != Token::EndDocument; token = manifest.Next())
        if (token == Token::StartElement && Is(manifest, kManifestNs, "encryption-data"))
          throw Encrypted();
    }
    if (!zip_->Has(kContent)) throw Damaged("content.xml is missing");
  }

  std::vector<std::string> SheetNames() override {
    XmlPart part(Content(), kContent);
    return ParseOdsContent(part, std::numeric_limits<std::size_t>::max(), nullptr);
  }

  std::vector<std::vector<std::string>> ReadRows(std::size_t index) override {
    XmlPart part(Content(), kContent);
    SheetBuilder builder;
    ParseOdsContent(part, index, &builder);
    return builder.Take();
  }

private:
  std::unique_ptr<ByteSource> Content() {
    auto source = zip_->Open(kContent, kMaxPartBytes);
    if (!source) throw Damaged("content.xml is missing");
    return source;
  }

  const QString kContent = QStringLiteral("content.xml");
  std::unique_ptr<ZipPackage> zip_;
};

} // namespace

std::vector<std::string> ParseOdsContent(XmlPart& part, std::size_t wanted, SheetBuilder* builder) {
  std::vector<std::string> names;
  bool inSpreadsheet = false;
  for (auto token = part.Next(); token != Token::EndDocument; token = part.Next()) {
    if (token == Token::EndElement && Is(part, kOfficeNs, "spreadsheet")) {
      inSpreadsheet = false;
    } else if (token == Token::StartElement) {
      if (Is(part, kOfficeNs, "spreadsheet")) {
        inSpreadsheet = true;
      } else if (inSpreadsheet && Is(part, kTableNs, "table")) {
        names.push_back(ToUtf8(part.xml().attributes().value(kTableNs, QLatin1String("name"))));
        if (builder && names.size() - 1 == wanted)
          ParseTable(part, *builder);
        else
          part.SkipElement();
      } else if (inSpreadsheet) {
        part.SkipElement(); // named ranges, settings
      }
    }
  }
  return names;
}

std::unique_ptr<Workbook> OpenOds(std::unique_ptr<ZipPackage> zip) {
  return std::make_unique<OdsWorkbook>(std::move(zip));
}

} // namespace vexa::sheets
