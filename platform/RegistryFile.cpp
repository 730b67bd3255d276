#include "platform/RegistryFile.h"

#include <cstdio>

namespace vexa::platform {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (u < 0x20 || u == 0x7F) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02x", u);
      out += buf;
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendHex(std::string& out, const std::vector<std::uint8_t>& bytes) {
  char buf[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", bytes[i]);
    out += buf;
  }
}

// A reader over one logical line.
class LineReader {
public:
  explicit LineReader(std::string_view line) : s_(line) {}

  bool AtEnd() const { return pos_ >= s_.size(); }
  bool Take(char c) {
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool TakeWord(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) return false;
    pos_ += word.size();
    return true;
  }
  void SkipBlanks() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t'))
      ++pos_;
  }
  // A quoted text with its escapes; false when it is not closed or holds a bad escape.
  bool Quoted(std::string& out) {
    if (!Take('"')) return false;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) return false;
      const char e = s_[pos_++];
      if (e == '\\' || e == '"') {
        out += e;
      } else if (e == 'x' && pos_ + 2 <= s_.size() && HexDigit(s_[pos_]) >= 0 &&
                 HexDigit(s_[pos_ + 1]) >= 0) {
        out += static_cast<char>(HexDigit(s_[pos_]) * 16 + HexDigit(s_[pos_ + 1]));
        pos_ += 2;
      } else {
        return false;
      }
    }
    return false;
  }
  // Comma-separated two-digit hex bytes up to the end of the line (blanks allowed).
  bool HexBytes(std::vector<std::uint8_t>& out) {
    SkipBlanks();
    if (AtEnd()) return true;
    for (;;) {
      SkipBlanks();
      if (pos_ + 2 > s_.size()) return false;
      const int hi = HexDigit(s_[pos_]), lo = HexDigit(s_[pos_ + 1]);
      if (hi < 0 || lo < 0) return false;
      out.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
      pos_ += 2;
      SkipBlanks();
      if (AtEnd()) return true;
      if (!Take(',')) return false;
    }
  }
  bool Dword(std::uint32_t& out) {
    std::uint32_t v = 0;
    size_t digits = 0;
    while (pos_ < s_.size() && HexDigit(s_[pos_]) >= 0) {
      if (++digits > 8) return false;
      v = v * 16 + static_cast<std::uint32_t>(HexDigit(s_[pos_++]));
    }
    out = v;
    return digits > 0;
  }

private:
  std::string_view s_;
  size_t pos_ = 0;
};

std::optional<std::vector<std::string>> SplitMultiString(const std::vector<std::uint8_t>& bytes) {
  // Each string ends in a zero byte, and one more zero byte ends the list.
  if (bytes.empty() || bytes.back() != 0) return std::nullopt;
  std::vector<std::string> strings;
  std::string current;
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0) {
      strings.push_back(std::move(current));
      current.clear();
    } else {
      current += static_cast<char>(bytes[i]);
    }
  }
  if (!current.empty()) return std::nullopt; // the last string lost its terminator
  return strings;
}

std::optional<NamedValue> ParseValueLine(std::string_view line) {
  LineReader r(line);
  NamedValue v;
  if (r.Take('@')) {
    // the key's default value: the empty name
  } else if (!r.Quoted(v.name)) {
    return std::nullopt;
  }
  r.SkipBlanks();
  if (!r.Take('=')) return std::nullopt;
  r.SkipBlanks();
  LineReader data = r;
  std::string text;
  if (data.Quoted(text)) {
    data.SkipBlanks();
    if (!data.AtEnd()) return std::nullopt;
    v.value = RegValue::String(std::move(text));
    return v;
  }
  if (r.TakeWord("dword:")) {
    std::uint32_t d = 0;
    if (!r.Dword(d)) return std::nullopt;
    r.SkipBlanks();
    if (!r.AtEnd()) return std::nullopt;
    v.value = RegValue::Dword(d);
    return v;
  }
  if (r.TakeWord("hex:")) {
    std::vector<std::uint8_t> bytes;
    if (!r.HexBytes(bytes)) return std::nullopt;
    v.value = RegValue::Binary(std::move(bytes));
    return v;
  }
  if (r.TakeWord("hex(7):")) {
    std::vector<std::uint8_t> bytes;
    if (!r.HexBytes(bytes)) return std::nullopt;
    auto strings = SplitMultiString(bytes);
    if (!strings) return std::nullopt;
    v.value = RegValue::MultiString(std::move(*strings));
    return v;
  }
  return std::nullopt;
}

// Appends one UTF-8 sequence or byte of name at i, folded, and advances i.
void FoldOne(std::string_view s, size_t& i, std::string& out) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c >= 'A' && c <= 'Z') {
    out += static_cast<char>(c + 32);
    ++i;
    return;
  }
  if (i + 1 < s.size()) {
    const auto d = static_cast<unsigned char>(s[i + 1]);
    if (d >= 0x80 && d <= 0xBF) {
      if (c == 0xC3 && d >= 0x80 && d <= 0x9E && d != 0x97) { // À … Þ, not ×
        out += static_cast<char>(0xC3);
        out += static_cast<char>(d + 0x20);
        i += 2;
        return;
      }
      if (c == 0xD0 && d <= 0x8F) { // Ѐ … Џ → ѐ … џ
        out += static_cast<char>(0xD1);
        out += static_cast<char>(d + 0x10);
        i += 2;
        return;
      }
      if (c == 0xD0 && d >= 0x90 && d <= 0x9F) { // А … П → а … п
        out += static_cast<char>(0xD0);
        out += static_cast<char>(d + 0x20);
        i += 2;
        return;
      }
      if (c == 0xD0 && d >= 0xA0 && d <= 0xAF) { // Р … Я → р … я
        out += static_cast<char>(0xD1);
        out += static_cast<char>(d - 0x20);
        i += 2;
        return;
      }
    }
  }
  out += static_cast<char>(c);
  ++i;
}

} // namespace

std::string FoldCase(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (size_t i = 0; i < name.size();)
    FoldOne(name, i, out);
  return out;
}

bool NamesEqual(std::string_view a, std::string_view b) {
  return FoldCase(a) == FoldCase(b);
}

std::vector<NamedValue> ParseValuesFile(std::string_view text) {
  std::vector<NamedValue> values;
  size_t pos = 0;
  while (pos < text.size()) {
    // One logical line: hex data may go on over lines ending in a backslash.
    std::string line;
    for (;;) {
      const size_t end = text.find('\n', pos);
      std::string_view piece =
          text.substr(pos, end == std::string_view::npos ? text.npos : end - pos);
      pos = end == std::string_view::npos ? text.size() : end + 1;
      if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
      const bool goesOn = !piece.empty() && piece.back() == '\\' &&
                          (line + std::string(piece)).find("=hex") != std::string::npos;
      if (goesOn && pos < text.size()) {
        piece.remove_suffix(1);
        line += piece;
        continue;
      }
      line += piece;
      break;
    }
    size_t first = 0;
    while (first < line.size() && (line[first] == ' ' || line[first] == '\t'))
      ++first;
    const std::string_view body = std::string_view(line).substr(first);
    if (body.empty() || body[0] == ';' || body[0] == '[') continue;
    auto value = ParseValueLine(body);
    if (!value) continue;
    bool replaced = false;
    for (auto& old : values) {
      if (NamesEqual(old.name, value->name)) {
        old.value = std::move(value->value);
        replaced = true;
        break;
      }
    }
    if (!replaced) values.push_back(std::move(*value));
  }
  return values;
}

std::string FormatValuesFile(std::string_view keyHeader, const std::vector<NamedValue>& values) {
  std::string out = "[";
  for (const char c : keyHeader) {
    const auto u = static_cast<unsigned char>(c);
    out += (u < 0x20 || u == 0x7F) ? '?' : c;
  }
  out += "]\n";
  for (const auto& v : values) {
    std::string name;
    if (v.name.empty()) {
      name = "@";
    } else {
      AppendQuoted(name, v.name);
    }
    switch (v.value.type) {
    case RegType::Dword: {
      char buf[16];
      std::snprintf(buf, sizeof buf, "%08x", v.value.dword);
      out += name + "=dword:" + buf + "\n";
      break;
    }
    case RegType::String:
      out += name + "=";
      AppendQuoted(out, v.value.string);
      out += "\n";
      break;
    case RegType::Binary:
      out += name + "=hex:";
      AppendHex(out, v.value.binary);
      out += "\n";
      break;
    case RegType::MultiString: {
      std::vector<std::uint8_t> bytes;
      out += ";";
      for (size_t i = 0; i < v.value.multiString.size(); ++i) {
        std::string shown;
        // A zero byte cannot be stored inside a string of the list; it ends the string.
        const std::string& s = v.value.multiString[i];
        const std::string_view kept(s.data(), std::string_view(s).find('\0') == s.npos
                                                  ? s.size()
                                                  : std::string_view(s).find('\0'));
        AppendQuoted(shown, kept);
        out += (i ? ", " : " ") + shown;
        bytes.insert(bytes.end(), kept.begin(), kept.end());
        bytes.push_back(0);
      }
      bytes.push_back(0);
      out += "\n" + name + "=hex(7):";
      AppendHex(out, bytes);
      out += "\n";
      break;
    }
    }
  }
  return out;
}

} // namespace vexa::platform
