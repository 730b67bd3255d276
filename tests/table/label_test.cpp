// Captions with sub- and superscripts: measured and drawn through a recording context.
#include "table/LabelRenderer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const CFont kNormal{QStringLiteral("Arial"), 14};
const CFont kScript{QStringLiteral("Arial"), 10};

int Width(const QString& text, const CFont& font) {
  CRecordingDC dc;
  dc.SelectObject(font);
  return dc.GetTextExtent(text).cx;
}
int Height(const CFont& font) {
  CRecordingDC dc;
  dc.SelectObject(font);
  return dc.GetTextExtent(QStringLiteral("X")).cy;
}

TEST(LabelRenderer, MeasuresBaseTextAndScripts) {
  CRecordingDC dc;
  const int hn = Height(kNormal), hs = Height(kScript);
  const int height = std::max(2 * hs, hn);

  const CSize vtit = MeasureLabel(&dc, QStringLiteral("V_{tit}"), kNormal, kScript);
  EXPECT_EQ(vtit.cx, Width("V", kNormal) + Width("tit", kScript) + 1);
  EXPECT_EQ(vtit.cy, height);

  const CSize ph = MeasureLabel(&dc, QStringLiteral("pH"), kNormal, kScript);
  EXPECT_EQ(ph.cx, Width("pH", kNormal) + 1);
  EXPECT_EQ(ph.cy, height);

  // A marker at the end ends the caption, so does a "{" after it.
  EXPECT_EQ(MeasureLabel(&dc, QStringLiteral("a_"), kNormal, kScript).cx, Width("a", kNormal) + 1);
  EXPECT_EQ(MeasureLabel(&dc, QStringLiteral("a^{"), kNormal, kScript).cx, Width("a", kNormal) + 1);
  EXPECT_EQ(MeasureLabel(&dc, QString(), kNormal, kScript), (CSize{0, 0}));
  // A single-character script, then base text again.
  EXPECT_EQ(MeasureLabel(&dc, QStringLiteral("x^2y"), kNormal, kScript).cx,
            Width("x", kNormal) + Width("2", kScript) + Width("y", kNormal) + 1);
  // An unclosed brace is itself the script; the text after it is base text.
  EXPECT_EQ(MeasureLabel(&dc, QStringLiteral("a_{bc"), kNormal, kScript).cx,
            Width("a", kNormal) + Width("{", kScript) + Width("bc", kNormal) + 1);
  // An empty pair of braces shows nothing.
  EXPECT_EQ(MeasureLabel(&dc, QStringLiteral("a_{}b"), kNormal, kScript).cx,
            Width("a", kNormal) + Width("b", kNormal) + 1);
  // Measuring leaves the caller's font and background mode alone, and draws nothing.
  EXPECT_TRUE(dc.calls().empty());
  EXPECT_EQ(dc.GetCurrentFont(), CFont{});
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
}

TEST(LabelRenderer, DrawsSubscriptLoweredAfterTheBaseText) {
  CRecordingDC dc;
  const CFont callerFont{QStringLiteral("Courier"), 20};
  dc.SelectObject(callerFont);
  const int hn = Height(kNormal), hs = Height(kScript);
  CRect rect{10, 0, 200, 40};
  const int right = DrawLabel(&dc, QStringLiteral("V_{tit}"), rect, kNormal, kScript, false);
  const auto texts = dc.Calls("DrawText");
  ASSERT_EQ(texts.size(), 2u);
  const int mid = 20;
  EXPECT_EQ(texts[0].text, "V");
  EXPECT_EQ(texts[0].font, kNormal);
  EXPECT_EQ(texts[0].args,
            (std::vector<int>{10, mid - hn / 2, 10 + Width("V", kNormal), mid - hn / 2 + hn}));
  EXPECT_EQ(texts[0].format, unsigned(DT_SINGLELINE | DT_END_ELLIPSIS));
  EXPECT_EQ(texts[0].bkMode, TRANSPARENT);
  EXPECT_EQ(texts[1].text, "tit");
  EXPECT_EQ(texts[1].font, kScript);
  const int x = 10 + Width("V", kNormal);
  EXPECT_EQ(texts[1].args,
            (std::vector<int>{x, mid + hs / 2, x + Width("tit", kScript), mid + hs / 2 + hs}));
  EXPECT_EQ(right, x + Width("tit", kScript));
  EXPECT_EQ(rect.left, right);
  EXPECT_EQ(dc.GetCurrentFont(), callerFont);
  EXPECT_EQ(dc.GetBkMode(), OPAQUE);
}

TEST(LabelRenderer, RaisesSuperscriptsAndKeepsScriptsInsideTheBox) {
  CRecordingDC dc;
  const int hs = Height(kScript);
  // A flat box: the superscript is held at the top, the subscript at the bottom.
  CRect rect{0, 0, 300, 12};
  DrawLabel(&dc, QStringLiteral("x^2_3"), rect, kNormal, kScript, true);
  const auto outs = dc.Calls("TextOut");
  ASSERT_EQ(outs.size(), 3u);
  EXPECT_EQ(outs[1].text, "2");
  EXPECT_EQ(outs[1].args[1], std::max(0, 6 - 3 * hs / 2));
  EXPECT_EQ(outs[2].text, "3");
  EXPECT_EQ(outs[2].args[1], 12 - hs);
  // Stacked: the subscript starts where the superscript did.
  EXPECT_EQ(outs[2].args[0], outs[1].args[0]);
}

TEST(LabelRenderer, StackedScriptsMeasureAsTheyAreDrawn) {
  CRecordingDC dc;
  for (const char* caption : {"a_1^{wide}b", "a^{wide}_1b", "a_{wide}^1b", "a_1^2_3b"}) {
    const QString text = QString::fromLatin1(caption);
    const CSize size = MeasureLabel(&dc, text, kNormal, kScript);
    CRect rect{0, 0, 1000, 40};
    const int right = DrawLabel(&dc, text, rect, kNormal, kScript, false);
    EXPECT_EQ(size.cx, right + 1) << caption;
  }
  // The wider of two stacked scripts decides where the base text goes on.
  dc.clear();
  CRect rect{0, 0, 1000, 40};
  DrawLabel(&dc, QStringLiteral("a_{wide}^1b"), rect, kNormal, kScript, false);
  const auto texts = dc.Calls("DrawText");
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[3].text, "b");
  EXPECT_EQ(texts[3].args[0], Width("a", kNormal) + Width("wide", kScript));
}

TEST(LabelRenderer, CutsACaptionAtTheRightEdge) {
  CRecordingDC dc;
  // The base text is cut with an ellipsis; the script after it is not drawn.
  const int limit = Width("Volume", kNormal) / 2;
  CRect rect{0, 0, limit, 30};
  const int right = DrawLabel(&dc, QStringLiteral("Volume_{tit}"), rect, kNormal, kScript, false);
  auto texts = dc.Calls("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].text.endsWith(QChar(0x2026))) << texts[0].text.toStdString();
  EXPECT_EQ(texts[0].args[2], limit);
  EXPECT_EQ(right, limit);

  // A script that does not fit is left out whole; the result is where it would have ended.
  dc.clear();
  const int v = Width("V", kNormal);
  CRect narrow{0, 0, v + 3, 30};
  const int end = DrawLabel(&dc, QStringLiteral("V_{tit}"), narrow, kNormal, kScript, false);
  texts = dc.Calls("DrawText");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "V");
  EXPECT_EQ(end, v + Width("tit", kScript));

  // An empty caption draws nothing and returns the left edge.
  dc.clear();
  CRect box{7, 0, 50, 20};
  EXPECT_EQ(DrawLabel(&dc, QString(), box, kNormal, kScript, false), 7);
  EXPECT_TRUE(dc.calls().empty());
}

} // namespace
