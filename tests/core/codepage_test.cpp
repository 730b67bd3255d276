#include "platform/CodePage.h"

#include <gtest/gtest.h>

using vexa::platform::AnsiToUtf8;
using vexa::platform::FirstUnstorableCharacter;
using vexa::platform::Utf8ToAnsi;

TEST(CodePage, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b)
    all += static_cast<char>(b);
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(all)), all);
}

TEST(CodePage, CyrillicAndSigns) {
  EXPECT_EQ(Utf8ToAnsi("Уксусная кислота ± №1"),
            "\xD3\xEA\xF1\xF3\xF1\xED\xE0\xFF \xEA\xE8\xF1\xEB\xEE\xF2\xE0 \xB1 \xB9"
            "1");
  EXPECT_EQ(AnsiToUtf8("\xA8\xB8\x88"), "Ёё€");
}

TEST(CodePage, UnrepresentableAndMalformedBecomeQuestionMarks) {
  EXPECT_EQ(Utf8ToAnsi("α-β 😀"), "?-? ?");
  EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");      // cut sequence
  EXPECT_EQ(Utf8ToAnsi("\xE2\x82x"), "??x"); // bad continuation
  EXPECT_EQ(Utf8ToAnsi("\xC0\x80"), "??");   // overlong
}

TEST(CodePage, FirstUnstorableCharacterNamesWhatWouldBeLost) {
  EXPECT_FALSE(FirstUnstorableCharacter(""));
  EXPECT_FALSE(FirstUnstorableCharacter("Acetic acid 0.01 M ± №1 «Уксусная» €"));

  const auto umlaut = FirstUnstorableCharacter("Essigsäure");
  ASSERT_TRUE(umlaut);
  EXPECT_EQ(umlaut->offset, 6u);
  EXPECT_EQ(umlaut->length, 2u);
  EXPECT_EQ(umlaut->codePoint, U'ä');
  EXPECT_EQ(umlaut->text, "ä");
  EXPECT_EQ(umlaut->Describe(), "\"ä\" (U+00E4)");

  const auto subscript = FirstUnstorableCharacter("Na₂CO₃");
  ASSERT_TRUE(subscript);
  EXPECT_EQ(subscript->offset, 2u);
  EXPECT_EQ(subscript->Describe(), "\"₂\" (U+2082)");

  const auto emoji = FirstUnstorableCharacter("pH 😀");
  ASSERT_TRUE(emoji);
  EXPECT_EQ(emoji->length, 4u);
  EXPECT_EQ(emoji->Describe(), "\"😀\" (U+1F600)");

  // A NUL would end the stored title; bytes that are not UTF-8 have no character at all.
  const auto nul = FirstUnstorableCharacter(std::string_view("a\0b", 3));
  ASSERT_TRUE(nul);
  EXPECT_EQ(nul->offset, 1u);
  EXPECT_EQ(nul->Describe(), "the character U+0000");
  const auto bad = FirstUnstorableCharacter("ok\xC3");
  ASSERT_TRUE(bad);
  EXPECT_EQ(bad->offset, 2u);
  EXPECT_EQ(bad->Describe(), "the byte 0xC3 (not UTF-8)");
  EXPECT_TRUE(FirstUnstorableCharacter("\xE0\x80\x80"));     // overlong NUL
  EXPECT_TRUE(FirstUnstorableCharacter("\xED\xA0\x80"));     // a surrogate
  EXPECT_TRUE(FirstUnstorableCharacter("\xF4\x90\x80\x80")); // beyond U+10FFFF

  // It finds what Utf8ToAnsi turns into '?' (the texts hold one byte a character before it).
  for (const char* text : {"Essigsäure", "Na₂CO₃", "α", "\xC0\x80", "x\xFFy"}) {
    const auto first = FirstUnstorableCharacter(text);
    ASSERT_TRUE(first) << text;
    EXPECT_EQ(Utf8ToAnsi(text)[first->offset], '?') << text;
  }
}

TEST(CodePage, OverlongAndSurrogateSequencesNeverBecomeCharacters) {
  // An overlong NUL once came out as a NUL byte, cutting the stored title.
  EXPECT_EQ(Utf8ToAnsi("a\xE0\x80\x80z"), "a???z");
  EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "???");
  EXPECT_EQ(Utf8ToAnsi("\xF0\x80\x81\x81"), "????"); // overlong 'A'
}
