#include "gui/Strings.h"

#include "resources/Texts.h"

QString LoadStr(int id) {
  return QString::fromUtf8(vexa::ProgramString(id));
}

bool HasStr(int id) {
  return !LoadStr(id).isEmpty();
}

QString CommandPrompt(int id) {
  return LoadStr(id).section(QLatin1Char('\n'), 0, 0);
}

QString CommandTip(int id) {
  const QString s = LoadStr(id);
  const int nl = s.indexOf(QLatin1Char('\n'));
  return nl < 0 ? QString() : s.mid(nl + 1);
}

QString FormatMessage(int id, const QString& a1, const QString& a2) {
  const QString s = LoadStr(id);
  QString out;
  for (int i = 0; i < s.size(); ++i) {
    if (s[i] == QLatin1Char('%') && i + 1 < s.size() &&
        (s[i + 1] == QLatin1Char('1') || s[i + 1] == QLatin1Char('2'))) {
      out += s[i + 1] == QLatin1Char('1') ? a1 : a2;
      ++i;
    } else {
      out += s[i];
    }
  }
  return out;
}
