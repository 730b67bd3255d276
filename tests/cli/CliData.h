#pragma once
// What the tests of vexa read: the examples, the shaped tables, and CSV as vexa writes it.
#include <map>
#include <string>
#include <vector>

namespace vexa::test {

inline std::string ExampleFile(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/examples/" + name;
}

inline std::string ShapeFile(const std::string& name) {
  return std::string(VEXA_SOURCE_DIR) + "/tests/data/import/" + name;
}

// The fields of one CSV record ("a,\"b,c\",\"d\"\"e\"" gives a, b,c and d"e).
inline std::vector<std::string> CsvFields(const std::string& line) {
  std::vector<std::string> fields(1);
  bool quoted = false;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (quoted) {
      if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        fields.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  return fields;
}

// A CSV table as records of named fields (the header names them).
inline std::vector<std::map<std::string, std::string>> CsvRecords(const std::string& text) {
  std::vector<std::map<std::string, std::string>> records;
  std::vector<std::string> header;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    const std::string line = text.substr(pos, end == std::string::npos ? end : end - pos);
    pos = end == std::string::npos ? text.size() : end + 1;
    const auto fields = CsvFields(line);
    if (header.empty()) {
      header = fields;
      continue;
    }
    std::map<std::string, std::string> record;
    for (std::size_t k = 0; k < header.size(); ++k)
      record[header[k]] = k < fields.size() ? fields[k] : "<missing>";
    if (fields.size() != header.size()) record["<fields>"] = std::to_string(fields.size());
    records.push_back(std::move(record));
  }
  return records;
}

} // namespace vexa::test
