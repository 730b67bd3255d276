#include "SheetFiles.h"

#include <quacrc32.h>
#include <quazip.h>
#include <quazipfile.h>
#include <quazipnewinfo.h>

#include <stdexcept>

namespace vexa::test {

void WriteZip(const std::string& path, const std::vector<ZipEntry>& entries) {
  QuaZip zip(QString::fromStdString(path));
  if (!zip.open(QuaZip::mdCreate)) throw std::runtime_error("cannot create " + path);
  for (const auto& entry : entries) {
    QuaZipFile file(&zip);
    const QByteArray bytes = QByteArray::fromStdString(entry.bytes);
    QuaZipNewInfo info(QString::fromStdString(entry.name));
    const bool opened =
        file.open(QIODevice::WriteOnly, info, entry.encrypted ? "secret" : nullptr,
                  entry.encrypted ? QuaCrc32().calculate(bytes) : 0, entry.stored ? 0 : Z_DEFLATED);
    if (!opened || file.write(bytes) != bytes.size())
      throw std::runtime_error("cannot write " + entry.name);
    file.close();
  }
  zip.close();
  if (zip.getZipError() != 0) throw std::runtime_error("cannot finish " + path);
}

namespace {

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const char* const kRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

} // namespace

std::string Worksheet(const std::string& sheetData) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<worksheet xmlns=\"") + kMain +
         "\" xmlns:r=\"" + kRel + "\"><sheetData>" + sheetData + "</sheetData></worksheet>";
}

std::vector<ZipEntry> XlsxEntries(const std::vector<std::pair<std::string, std::string>>& sheets,
                                  const std::string& sharedStrings) {
  std::string types = "<?xml version=\"1.0\"?><Types "
                      "xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                      "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                      "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/></Types>";
  std::string workbook = std::string("<?xml version=\"1.0\"?><workbook xmlns=\"") + kMain +
                         "\" xmlns:r=\"" + kRel + "\"><sheets>";
  std::string rels = "<?xml version=\"1.0\"?><Relationships "
                     "xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
  std::vector<ZipEntry> entries{{"[Content_Types].xml", types}};
  for (std::size_t i = 0; i < sheets.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    workbook +=
        "<sheet name=\"" + sheets[i].first + "\" sheetId=\"" + n + "\" r:id=\"rId" + n + "\"/>";
    rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + kRel +
            "/worksheet\" Target=\"worksheets/sheet" + n + ".xml\"/>";
    entries.push_back({"xl/worksheets/sheet" + n + ".xml", sheets[i].second});
  }
  if (!sharedStrings.empty()) {
    rels += std::string("<Relationship Id=\"rIdS\" Type=\"") + kRel +
            "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
    entries.push_back({"xl/sharedStrings.xml", std::string("<?xml version=\"1.0\"?><sst xmlns=\"") +
                                                   kMain + "\">" + sharedStrings + "</sst>"});
  }
  workbook += "</sheets></workbook>";
  rels += "</Relationships>";
  entries.push_back({"xl/workbook.xml", workbook});
  entries.push_back({"xl/_rels/workbook.xml.rels", rels});
  return entries;
}

void WriteXlsx(const std::string& path,
               const std::vector<std::pair<std::string, std::string>>& sheets,
               const std::string& sharedStrings) {
  WriteZip(path, XlsxEntries(sheets, sharedStrings));
}

ZipEntry& Entry(std::vector<ZipEntry>& entries, const std::string& name) {
  for (auto& entry : entries)
    if (entry.name == name) return entry;
  throw std::runtime_error("no entry " + name);
}

std::string OdsContent(const std::string& tables) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content "
         "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
         "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
         "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" "
         "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
         "office:version=\"1.3\"><office:body><office:spreadsheet>" +
         tables + "</office:spreadsheet></office:body></office:document-content>";
}

void WriteOds(const std::string& path, const std::string& tables,
              const std::string& manifestExtra) {
  const std::string manifest =
      "<?xml version=\"1.0\"?><manifest:manifest "
      "xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
      "<manifest:file-entry manifest:full-path=\"/\" "
      "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>" +
      manifestExtra + "</manifest:manifest>";
  WriteZip(path, {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"META-INF/manifest.xml", manifest},
                  {"content.xml", OdsContent(tables)}});
}

std::string SampleSheet(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/tests/data/sheets/" + name;
}

} // namespace vexa::test
