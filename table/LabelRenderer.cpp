#include "table/LabelRenderer.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace {

enum class PartKind { Base, Sub, Super };

struct Part {
  PartKind kind;
  QString text;
};

bool IsMarker(QChar c) {
  return c == QLatin1Char('_') || c == QLatin1Char('^');
}

// Splits a caption into its base parts and scripts, left to right.
std::vector<Part> SplitLabel(const QString& text) {
  std::vector<Part> parts;
  const qsizetype n = text.size();
  qsizetype i = 0;
  while (i < n) {
    qsizetype j = i;
    while (j < n && !IsMarker(text[j]))
      ++j;
    if (j > i) parts.push_back({PartKind::Base, text.mid(i, j - i)});
    if (j >= n) break;
    const PartKind kind = text[j] == QLatin1Char('_') ? PartKind::Sub : PartKind::Super;
    const qsizetype k = j + 1;
    if (k >= n) break; // a marker at the end ends the caption
    QString script;
    if (text[k] == QLatin1Char('{')) {
      if (k + 1 >= n) break; // so does a "{" at the end
      const qsizetype close = text.indexOf(QLatin1Char('}'), k + 1);
      if (close >= 0) {
        script = text.mid(k + 1, close - k - 1);
        i = close + 1;
      } else {
        script = QStringLiteral("{"); // an unclosed brace is itself the script
        i = k + 1;
      }
    } else {
      script = text[k];
      i = k + 1;
    }
    parts.push_back({kind, script});
  }
  return parts;
}

// Lays a caption out from `left` up to `limit` and hands every part that fits to `draw`
// (kind, text, left, right). Returns the right edge reached, as DrawLabel reports it.
//
// Two scripts of different kinds in a row stack above each other at the end of the base text;
// the stack is as wide as the wider of the two and whatever follows starts after it, so the
// measured width and the drawn width always agree.
template <typename DrawPart>
int Layout(const std::vector<Part>& parts, CDC* dc, const CFont& normalFont,
           const CFont& scriptFont, int left, int limit, DrawPart&& draw) {
  int x = left;
  int baseStart = left;
  int stackEnd = left;
  bool sub = false, super = false;
  for (const Part& part : parts) {
    if (part.kind == PartKind::Base) {
      dc->SelectObject(normalFont);
      const int w = dc->GetTextExtent(part.text).cx;
      const int right = std::min(limit, x + w);
      draw(part.kind, part.text, x, right);
      if (right >= limit) return right;
      x = baseStart = right;
      sub = super = false;
      continue;
    }
    if (part.text.isEmpty()) continue; // "_{}" shows nothing
    const bool isSub = part.kind == PartKind::Sub;
    bool stacked = false;
    if (sub && super) {
      x = std::max(x, stackEnd);
    } else if ((isSub && super) || (!isSub && sub)) {
      stackEnd = x;
      x = baseStart;
      stacked = true;
    }
    dc->SelectObject(scriptFont);
    const int w = dc->GetTextExtent(part.text).cx;
    if (x + w > limit) return x + w;
    draw(part.kind, part.text, x, x + w);
    (isSub ? sub : super) = true;
    x += w;
    if (stacked) x = std::max(x, stackEnd);
  }
  return x;
}

int TextHeight(CDC* dc, const CFont& font) {
  dc->SelectObject(font);
  return dc->GetTextExtent(QStringLiteral("X")).cy;
}

} // namespace

bool HasLabelMarkup(const QString& text) {
  return text.contains(QLatin1Char('_')) || text.contains(QLatin1Char('^'));
}

CSize MeasureLabel(CDC* dc, const QString& text, const CFont& normalFont, const CFont& scriptFont) {
  if (!dc || text.isEmpty()) return CSize{0, 0};
  const CFont oldFont = dc->GetCurrentFont();
  const int oldMode = dc->GetBkMode();
  const int hn = TextHeight(dc, normalFont);
  const int hs = TextHeight(dc, scriptFont);
  const int right = Layout(SplitLabel(text), dc, normalFont, scriptFont, 0, INT_MAX,
                           [](PartKind, const QString&, int, int) {});
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldMode);
  return CSize{right + 1, std::max(2 * hs, hn)};
}

int DrawLabel(CDC* dc, const QString& text, CRect& rect, const CFont& normalFont,
              const CFont& scriptFont, bool useTextOut) {
  if (!dc || text.isEmpty()) return rect.left;
  const CFont oldFont = dc->GetCurrentFont();
  const int oldMode = dc->SetBkMode(TRANSPARENT);
  const int hn = TextHeight(dc, normalFont);
  const int hs = TextHeight(dc, scriptFont);
  const int mid = (rect.top + rect.bottom) / 2;
  const int baseTop = mid - hn / 2;
  const int superTop = std::max(rect.top, mid - 3 * hs / 2);
  int subTop = mid + hs / 2;
  if (subTop + hs > rect.bottom) subTop = rect.bottom - hs;

  const auto draw = [&](PartKind kind, const QString& part, int left, int right) {
    const bool base = kind == PartKind::Base;
    const int top = base ? baseTop : kind == PartKind::Sub ? subTop : superTop;
    dc->SelectObject(base ? normalFont : scriptFont);
    if (useTextOut) {
      dc->TextOut(left, top, part);
    } else {
      CRect box{left, top, right, top + (base ? hn : hs)};
      dc->DrawText(part, box, DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    rect.left = right;
  };
  const int right =
      Layout(SplitLabel(text), dc, normalFont, scriptFont, rect.left, rect.right, draw);
  dc->SelectObject(oldFont);
  dc->SetBkMode(oldMode);
  return right;
}
