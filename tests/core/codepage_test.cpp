#include "platform/CodePage.h"

#include <gtest/gtest.h>

using vexa::platform::AnsiToUtf8;
using vexa::platform::Utf8ToAnsi;

TEST(CodePage, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePage, CyrillicAndSigns) {
  EXPECT_EQ(Utf8ToAnsi("Уксусная кислота ± №1"),
            "\xD3\xEA\xF1\xF3\xF1\xED\xE0\xFF \xEA\xE8\xF1\xEB\xEE\xF2\xE0 \xB1 \xB9" "1");
  EXPECT_EQ(AnsiToUtf8("\xA8\xB8\x88"), "Ёё€");
}

TEST(CodePage, UnrepresentableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("α-β 😀"), "?-? ?");
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");      // cut sequence
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82x"), "??x"); // bad continuation
  EXPECT_EQ(Utf8ToAnsi("\xC0\x80"), "??");   // overlong
}
