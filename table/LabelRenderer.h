#pragma once
// Captions with sub- and superscripts, such as "V_{tit}" and "F_{Vexa}", measured and drawn in
// one line with a normal font for the base text and a smaller script font for the raised and
// lowered parts. Mark-up: "_" starts a subscript and "^" a superscript; the script is the one
// character after the marker, or a braced group ("_{tit}"). A marker (or a "{" after it) that
// is the last character ends the caption.
#include "gui/DC.h"

#include <QString>

// The size of a caption: the width of its parts plus one pixel, and the larger of twice the
// script height and the normal height. An empty caption measures (0, 0).
CSize MeasureLabel(CDC* dc, const QString& text, const CFont& normalFont, const CFont& scriptFont);

// Draws a caption into `rect`, whose left edge advances as parts are drawn; returns the right
// edge reached. useTextOut draws each part with a plain text-out at its top-left corner;
// otherwise each part is drawn into its own box in one line, ending in an ellipsis when cut.
// A part that would pass rect.right ends the drawing: a base part is cut there, a script is not
// drawn at all. The caller's font and background mode are kept; the drawing is transparent.
int DrawLabel(CDC* dc, const QString& text, CRect& rect, const CFont& normalFont,
              const CFont& scriptFont, bool useTextOut);

// True when a caption carries mark-up (a "_" or a "^").
bool HasLabelMarkup(const QString& text);
