#include "resources/Icons.h"

#include "resources/Ids.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

using namespace ids;

namespace {

const QColor kInk(40, 40, 40);
const QColor kBlue(30, 90, 200);
const QColor kRed(210, 40, 40);
const QColor kGreen(30, 150, 60);
const QColor kPaper(255, 255, 255);
const QColor kGrey(150, 150, 150);
const QColor kYellow(250, 215, 60);

// Paints at a 16-unit grid scaled to the pixmap size.
QPixmap Paint(int size, const std::function<void(QPainter&)>& draw) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.scale(size / 16.0, size / 16.0);
  draw(p);
  return pm;
}

QPen Pen(const QColor& c, double w = 1.0) {
  QPen pen(c, w);
  pen.setJoinStyle(Qt::RoundJoin);
  pen.setCapStyle(Qt::RoundCap);
  return pen;
}

void Flask(QPainter& p, bool open) {
  QPainterPath path;
  path.moveTo(6, 1.5);
  path.lineTo(10, 1.5);
  path.moveTo(6.5, 1.5);
  path.lineTo(6.5, 6);
  path.lineTo(2, 14.5);
  path.lineTo(14, 14.5);
  path.lineTo(9.5, 6);
  path.lineTo(9.5, 1.5);
  p.setPen(Pen(kInk, 1.2));
  p.setBrush(kPaper);
  p.drawPath(path);
  if (open) {
    QPainterPath liquid;
    liquid.moveTo(4.2, 10.5);
    liquid.lineTo(11.8, 10.5);
    liquid.lineTo(13.5, 14);
    liquid.lineTo(2.5, 14);
    liquid.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawPath(liquid);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(7, 12.3), 0.9, 0.9);
    p.drawEllipse(QPointF(9.6, 11.6), 0.6, 0.6);
  } else {
    p.setPen(Pen(kGrey, 1));
    p.drawLine(QPointF(4.5, 11), QPointF(11.5, 11));
  }
}

void Table(QPainter& p, bool open) {
  p.setPen(Pen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(1.5, 2.5, 13, 11));
  p.fillRect(QRectF(2, 3, 12, 3), open ? kBlue : kGrey);
  if (open) p.fillRect(QRectF(2, 8.5, 12, 2.5), kYellow);
  p.setPen(Pen(kInk, 0.8));
  p.drawLine(QPointF(6, 3), QPointF(6, 13.5));
  p.drawLine(QPointF(10, 3), QPointF(10, 13.5));
  p.drawLine(QPointF(1.5, 6), QPointF(14.5, 6));
  p.drawLine(QPointF(1.5, 8.5), QPointF(14.5, 8.5));
  p.drawLine(QPointF(1.5, 11), QPointF(14.5, 11));
}

void Chart(QPainter& p, bool open) {
  p.setPen(Qt::NoPen);
  p.setBrush(kPaper);
  p.drawRect(QRectF(2, 1, 13, 13));
  p.setPen(Pen(kInk, 1.2));
  p.drawLine(QPointF(2, 1), QPointF(2, 14));
  p.drawLine(QPointF(2, 14), QPointF(15, 14));
  QPainterPath curve;
  curve.moveTo(3, 12.5);
  curve.cubicTo(9, 12.5, 7, 3, 14, 2.5);
  p.setPen(Pen(open ? kRed : kGrey, 1.5));
  p.setBrush(Qt::NoBrush);
  p.drawPath(curve);
  if (open) {
    p.setPen(Pen(kBlue, 1.2));
    p.drawLine(QPointF(3.5, 4), QPointF(9, 13));
  }
}

void Page(QPainter& p, bool open) {
  QPainterPath page;
  page.moveTo(3, 1.5);
  page.lineTo(10, 1.5);
  page.lineTo(13, 4.5);
  page.lineTo(13, 14.5);
  page.lineTo(3, 14.5);
  page.closeSubpath();
  p.setPen(Pen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(page);
  p.drawLine(QPointF(10, 1.5), QPointF(10, 4.5));
  p.drawLine(QPointF(10, 4.5), QPointF(13, 4.5));
  if (open) p.fillRect(QRectF(4.5, 8, 7, 2.2), kYellow);
  p.setPen(Pen(open ? kBlue : kGrey, 1));
  for (double y : {6.0, 9.0, 12.0})
    p.drawLine(QPointF(5, y), QPointF(11, y));
}

void NewPage(QPainter& p) {
  Page(p, false);
}

void Folder(QPainter& p) {
  p.setPen(Pen(QColor(150, 110, 20), 1));
  p.setBrush(QColor(245, 200, 80));
  QPainterPath f;
  f.moveTo(1.5, 3.5);
  f.lineTo(6, 3.5);
  f.lineTo(7.5, 5);
  f.lineTo(14.5, 5);
  f.lineTo(14.5, 13.5);
  f.lineTo(1.5, 13.5);
  f.closeSubpath();
  p.drawPath(f);
  p.drawLine(QPointF(1.5, 7), QPointF(14.5, 7));
}

void Floppy(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.setBrush(kBlue);
  p.drawRect(QRectF(1.5, 1.5, 13, 13));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4, 1.5, 8, 5));
  p.drawRect(QRectF(3.5, 9, 9, 5.5));
}

void Scissors(QPainter& p) {
  p.setPen(Pen(kInk, 1.3));
  p.drawLine(QPointF(4, 1.5), QPointF(10.5, 10));
  p.drawLine(QPointF(12, 1.5), QPointF(5.5, 10));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
  p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}

void CopyPages(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(1.5, 1.5, 8, 10));
  p.drawRect(QRectF(6.5, 4.5, 8, 10));
  p.setPen(Pen(kBlue, 0.8));
  for (double y : {7.5, 9.5, 11.5})
    p.drawLine(QPointF(8, y), QPointF(13, y));
}

void Clipboard(QPainter& p) {
  p.setPen(Pen(QColor(120, 80, 30), 1));
  p.setBrush(QColor(200, 150, 80));
  p.drawRect(QRectF(2.5, 2.5, 11, 12));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 5, 7, 8));
  p.setBrush(kGrey);
  p.drawRect(QRectF(5.5, 1.5, 5, 2.5));
}

void Printer(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 1.5, 7, 5));
  p.setBrush(kGrey);
  p.drawRect(QRectF(1.5, 6.5, 13, 6));
  p.setBrush(kPaper);
  p.drawRect(QRectF(4.5, 10.5, 7, 4));
  p.fillRect(QRectF(12, 8, 1.5, 1.2), kGreen);
}

void ClassicCurve(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
  p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
  QPainterPath s;
  s.moveTo(2.5, 12.5);
  s.cubicTo(10, 12.5, 6, 2.5, 14, 2.5);
  p.setPen(Pen(kRed, 1.6));
  p.setBrush(Qt::NoBrush);
  p.drawPath(s);
}

void VexaLines(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.drawLine(QPointF(1.5, 1), QPointF(1.5, 14.5));
  p.drawLine(QPointF(1.5, 14.5), QPointF(15, 14.5));
  p.setPen(Pen(kBlue, 1.4));
  p.drawLine(QPointF(2.5, 3), QPointF(8.5, 13.5));
  p.drawLine(QPointF(8, 13.5), QPointF(14.5, 4));
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  for (QPointF pt : {QPointF(4, 5.6), QPointF(6, 9.2), QPointF(11, 9.8), QPointF(13, 6.6)})
    p.drawEllipse(pt, 1.1, 1.1);
}

void LineWithBadge(QPainter& p, bool add) {
  p.setPen(Pen(kBlue, 1.6));
  p.drawLine(QPointF(1.5, 13.5), QPointF(10, 2.5));
  p.setPen(Pen(add ? kGreen : kRed, 2));
  if (add) {
    p.drawLine(QPointF(11.5, 8.5), QPointF(11.5, 14.5));
    p.drawLine(QPointF(8.5, 11.5), QPointF(14.5, 11.5));
  } else {
    p.drawLine(QPointF(9, 9), QPointF(14.5, 14.5));
    p.drawLine(QPointF(14.5, 9), QPointF(9, 14.5));
  }
}

void FindLines(QPainter& p) {
  // Two lines meeting on the axis, and a lens over them.
  p.setPen(Pen(kInk, 1));
  p.drawLine(QPointF(1, 9.5), QPointF(15, 9.5));
  p.setPen(Pen(kBlue, 1.4));
  p.drawLine(QPointF(1.5, 2.5), QPointF(7, 9.5));
  p.drawLine(QPointF(7, 9.5), QPointF(9, 14.5));
  p.setPen(Pen(kInk, 1.3));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(10.5, 5.5), 3.2, 3.2);
  p.drawLine(QPointF(12.8, 7.8), QPointF(15, 10));
}

void Parameters(QPainter& p) {
  // Three sliders: the system's three parameters.
  p.setPen(Pen(kInk, 1.2));
  for (double y : {3.5, 8.0, 12.5})
    p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
  p.setPen(Pen(kInk, 1));
  p.setBrush(kBlue);
  p.drawRect(QRectF(9, 1.5, 3, 4));
  p.drawRect(QRectF(3, 6, 3, 4));
  p.drawRect(QRectF(7, 10.5, 3, 4));
}

void Palette(QPainter& p) {
  p.setPen(Pen(kInk, 1));
  p.setBrush(QColor(230, 200, 150));
  p.drawEllipse(QRectF(1, 2, 14, 12));
  p.setPen(Qt::NoPen);
  p.setBrush(kRed);
  p.drawEllipse(QPointF(5, 6), 1.6, 1.6);
  p.setBrush(kGreen);
  p.drawEllipse(QPointF(9, 5), 1.6, 1.6);
  p.setBrush(kBlue);
  p.drawEllipse(QPointF(11.5, 8.5), 1.6, 1.6);
  p.setBrush(kPaper);
  p.drawEllipse(QPointF(6, 10.5), 1.6, 1.6);
}

} // namespace

QPixmap CategoryPixmap(int id, int size) {
  switch (id) {
  case IDI_SYSTEM_CLOSED: return Paint(size, [](QPainter& p) { Flask(p, false); });
  case IDI_SYSTEM_OPEN: return Paint(size, [](QPainter& p) { Flask(p, true); });
  case IDI_DATA_CLOSED: return Paint(size, [](QPainter& p) { Table(p, false); });
  case IDI_DATA_OPEN: return Paint(size, [](QPainter& p) { Table(p, true); });
  case IDI_GRAPH_CLOSED: return Paint(size, [](QPainter& p) { Chart(p, false); });
  case IDI_GRAPH_OPEN: return Paint(size, [](QPainter& p) { Chart(p, true); });
  case IDI_RESULTS_CLOSED: return Paint(size, [](QPainter& p) { Page(p, false); });
  case IDI_RESULTS_OPEN: return Paint(size, [](QPainter& p) { Page(p, true); });
  default: return Paint(size, [](QPainter&) {});
  }
}

QIcon OwnToolbarIcon(int id) {
  std::function<void(QPainter&)> draw;
  switch (id) {
  case ID_FILE_NEW: draw = NewPage; break;
  case ID_FILE_OPEN: draw = Folder; break;
  case ID_FILE_SAVE: draw = Floppy; break;
  case ID_EDIT_CUT: draw = Scissors; break;
  case ID_EDIT_COPY: draw = CopyPages; break;
  case ID_EDIT_PASTE: draw = Clipboard; break;
  case ID_FILE_PRINT: draw = Printer; break;
  case ID_VIEW_CLASSIC: draw = ClassicCurve; break;
  case ID_VIEW_VEXA: draw = VexaLines; break;
  case ID_ADD_LINE: draw = [](QPainter& p) { LineWithBadge(p, true); }; break;
  case ID_DELETE_LINE: draw = [](QPainter& p) { LineWithBadge(p, false); }; break;
  case ID_FIND_LINES: draw = FindLines; break;
  case ID_SYSTEM_PARAMETERS: draw = Parameters; break;
  case ID_PREFERENCES: draw = Palette; break;
  default: return {};
  }
  QIcon icon;
  icon.addPixmap(Paint(16, draw));
  icon.addPixmap(Paint(32, draw));
  return icon;
}

QIcon ToolbarIcon(int id) {
  const char* theme = nullptr;
  switch (id) {
  case ID_FILE_NEW: theme = "document-new"; break;
  case ID_FILE_OPEN: theme = "document-open"; break;
  case ID_FILE_SAVE: theme = "document-save"; break;
  case ID_EDIT_CUT: theme = "edit-cut"; break;
  case ID_EDIT_COPY: theme = "edit-copy"; break;
  case ID_EDIT_PASTE: theme = "edit-paste"; break;
  case ID_FILE_PRINT: theme = "document-print"; break;
  case ID_PREFERENCES: theme = "preferences-desktop"; break;
  default: break;
  }
  const QIcon own = OwnToolbarIcon(id);
  return theme ? QIcon::fromTheme(QLatin1String(theme), own) : own;
}

QIcon AppWindowIcon() {
  QIcon icon;
  for (int s : {16, 32, 48, 64})
    icon.addPixmap(Paint(s, [](QPainter& p) { VexaLines(p); }));
  return icon;
}
