#include "table/TableView.h"

#include "gui/DrawSettings.h"
#include "framework/UiSeam.h"
#include "table/TableDialogs.h"
#include "resources/Ids.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

using namespace ids;

namespace {

// The window's own device context: draws at once into the window's picture, which is shown
// when the context goes.
class CWindowDC : public CPainterDC {
public:
  CWindowDC(QImage& image, QWidget* owner) : owner_(owner) {
    painter_.begin(&image);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    SetPainter(&painter_);
  }
  ~CWindowDC() override {
    SetPainter(nullptr);
    painter_.end();
    if (owner_) owner_->update();
  }

private:
  QPainter painter_;
  QWidget* owner_;
};

class QtGridClipboard : public GridClipboard {
public:
  bool Open() override { return QGuiApplication::clipboard() != nullptr; }
  bool Empty() override {
    QGuiApplication::clipboard()->clear();
    return true;
  }
  bool SetText(const QString& text) override {
    QClipboard* cb = QGuiApplication::clipboard();
    cb->setText(text);
    return cb->text() == text;
  }
  bool HasText() override {
    QClipboard* cb = QGuiApplication::clipboard();
    const QMimeData* data = cb ? cb->mimeData() : nullptr;
    return data && data->hasText();
  }
  QString Text() override { return QGuiApplication::clipboard()->text(); }
  void Close() override {}
};

GridClipboard* g_clipboard = nullptr;

} // namespace

GridClipboard& Clipboard() {
  static QtGridClipboard system;
  return g_clipboard ? *g_clipboard : system;
}

void SetClipboard(GridClipboard* clipboard) {
  g_clipboard = clipboard;
}

// ================================================================ CCellEdit

CCellEdit::CCellEdit(CTableView* grid) : QLineEdit(grid), grid_(grid) {
  setObjectName(QStringLiteral("IDC_%1").arg(IDC_GRID_EDITOR));
  setFrame(false);
}

void CCellEdit::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
  case Qt::Key_Return:
  case Qt::Key_Enter:
    grid_->CommitEdit();
    event->accept();
    return;
  case Qt::Key_Escape:
    grid_->CancelEdit();
    event->accept();
    return;
  default: QLineEdit::keyPressEvent(event);
  }
}

bool CCellEdit::focusNextPrevChild(bool next) {
  (void)next;
  return true;
}

// ================================================================ CTableView

CTableView::CTableView(const ViewContext& context, QWidget* parent)
    : CBaseView(context, 1, parent) {
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);

  horzBar_ = new QScrollBar(Qt::Horizontal, this);
  horzBar_->setObjectName(QStringLiteral("IDC_%1").arg(IDC_GRID_HSCROLL));
  vertBar_ = new QScrollBar(Qt::Vertical, this);
  vertBar_->setObjectName(QStringLiteral("IDC_%1").arg(IDC_GRID_VSCROLL));
  for (QScrollBar* bar : {horzBar_, vertBar_}) {
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setEnabled(false);
    bar->setRange(0, 0);
    bar->installEventFilter(this);
  }
  connect(horzBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnBarAction(SB_HORZ, action); });
  connect(vertBar_, &QScrollBar::actionTriggered, this,
          [this](int action) { OnBarAction(SB_VERT, action); });
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  horzBarHeight = extent;
  vertBarWidth = extent;

  CreateEditor();
  CRecordingDC screen;
  InitRowHeight(&screen);

  OnCommand(ID_EDIT_COPY, [this] { OnEditCopy(); });
  OnUpdateCommand(ID_EDIT_COPY, [this](CCmdUI& ui) {
    ui.Enable(!EditorVisible() || editor_->hasSelectedText());
  });
  OnCommand(ID_EDIT_CUT, [this] { OnEditCut(); });
  OnUpdateCommand(ID_EDIT_CUT,
                  [this](CCmdUI& ui) { ui.Enable(EditorVisible() && editor_->hasSelectedText()); });
  OnCommand(ID_EDIT_PASTE, [this] { OnEditPaste(); });
  OnUpdateCommand(ID_EDIT_PASTE, [](CCmdUI& ui) { ui.Enable(Clipboard().HasText()); });
  OnCommand(ID_DATA_FORMAT, [this] { OnNumberFormat(); });
  OnCommand(ID_FILL_COLUMN, [this] { OnFillColumn(); });
  OnCommand(ID_FILL_ROW, [this] { OnFillRow(); });
  for (int id : {ID_DATA_FORMAT, ID_FILL_COLUMN, ID_FILL_ROW})
    OnUpdateCommand(id, [this](CCmdUI& ui) { ui.Enable(HasData()); });
}

CTableView::~CTableView() = default;

void CTableView::OnUpdate(CView* sender, long hint) {
  (void)sender, (void)hint;
  HideEditor();
  KeepCurrentCellInside();
  UpdateScrollBars();
  dirty_ = true;
  update();
}

void CTableView::RedrawNow() {
  dirty_ = true;
  repaint();
}

void CTableView::OnRightButtonHook(Qt::KeyboardModifiers flags, int x, int y) {
  (void)flags;
  const int column = currentColumn, row = currentRow;
  HitTestSelect(x, y);
  // The editor belongs to the cell it was opened on: it must not store into another one.
  if (EditorVisible() && (column != currentColumn || row != currentRow)) HideEditor();
}

// ---------------------------------------------------------------- the window's side

std::unique_ptr<CDC> CTableView::GetWindowDC() {
  if (surface_.isNull()) return nullptr;
  return std::make_unique<CWindowDC>(surface_, this);
}

void CTableView::InvalidateDataArea(bool erase) {
  (void)erase; // every repaint paints the whole picture
  dirty_ = true;
  update();
}

void CTableView::InvalidateAll(bool erase) {
  (void)erase;
  dirty_ = true;
  update();
}

void CTableView::UpdateWindow() {
  if (isVisible()) repaint();
}

void CTableView::ApplyScrollBar(ScrollBarId id, const ScrollBarState& state) {
  QScrollBar* bar = id == SB_HORZ ? horzBar_ : vertBar_;
  if (!bar) return;
  bar->setEnabled(state.enabled);
  if (!state.enabled) {
    bar->setRange(0, 0);
    return;
  }
  int page = 1;
  if (id == SB_VERT && rowHeight > 0) page = std::max(1, (dataArea.bottom - rowHeight) / rowHeight);
  bar->setPageStep(page);
  bar->setRange(state.min, state.max);
  bar->setValue(state.pos);
}

CDC* CTableView::BackBuffer() {
  ::BackBuffer* shared = Context().backBuffer;
  return shared && shared->bitmap ? shared->bitmap.get() : nullptr;
}

void CTableView::RebuildBackBuffer(int width, int height) {
  ::BackBuffer* shared = Context().backBuffer;
  if (!shared) return;
  shared->bitmap.reset();
  if (!shared->usable || width <= 0 || height <= 0) return;
  auto buffer = std::make_unique<CImageDC>(width, height);
  if (buffer->image().isNull()) {
    shared->usable = false; // drawn straight into the window from now on
    return;
  }
  shared->bitmap = std::move(buffer);
}

const CFont& CTableView::LargeFont() const {
  const CFont* font = Context().largeFont;
  return font ? *font : TableGrid::LargeFont();
}

const CFont& CTableView::SmallFont() const {
  const CFont* font = Context().smallFont;
  return font ? *font : TableGrid::SmallFont();
}

CProfile CTableView::Profile() const {
  CWinApp* app = AfxGetApp();
  return app ? app->Profile() : TableGrid::Profile();
}

bool CTableView::CreateEditorWindow() {
  editor_ = new CCellEdit(this);
  editor_->hide();
  editor_->setFont(LargeFont().ToQFont());
  return true;
}

bool CTableView::EditorVisible() const {
  return editor_ && !editor_->isHidden();
}

void CTableView::ShowEditor(const CRect& box, const QString& text) {
  editor_->setFont(LargeFont().ToQFont());
  editor_->setGeometry(box.left, box.top, box.Width(), box.Height());
  editor_->setText(text);
  editor_->show();
  editor_->selectAll();
  editor_->setFocus(Qt::OtherFocusReason);
}

void CTableView::MoveEditor(const CRect& box) {
  editor_->setGeometry(box.left, box.top, box.Width(), box.Height());
}

void CTableView::HideEditorWindow() {
  if (!editor_ || editor_->isHidden()) return;
  const bool hadFocus = editor_->hasFocus();
  editor_->hide();
  if (hadFocus) setFocus(Qt::OtherFocusReason);
}

QString CTableView::EditorText() const {
  return editor_->text();
}

void CTableView::ReplaceEditorText(const QString& typed) {
  editor_->selectAll();
  editor_->insert(typed);
}

void CTableView::FocusGrid() {
  setFocus(Qt::OtherFocusReason);
}

void CTableView::FocusEditor() {
  if (EditorVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

void CTableView::ShowMessage(const QString& text) {
  if (CFrameWnd* frame = GetParentFrame()) frame->SetMessageText(text);
}

void CTableView::focusInEvent(QFocusEvent* event) {
  CBaseView::focusInEvent(event);
  // Coming back to a table whose editor is still open: the keys go to the editor, so Enter
  // stores what it shows.
  if (EditorVisible()) editor_->setFocus(Qt::OtherFocusReason);
}

bool CTableView::event(QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(e);
    const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
    if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const bool back = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
      if (HasData()) OnKeyDown(back ? GridKey::Left : GridKey::Right);
      return true;
    }
  }
  return CBaseView::event(e);
}

void CTableView::ShowSizeCursor(bool on) {
  if (on)
    setCursor(Qt::SizeHorCursor);
  else
    unsetCursor();
}

void CTableView::SetModified() {
  if (CDocument* doc = GetDocument()) doc->SetModifiedFlag(true);
}

// ---------------------------------------------------------------- window messages

void CTableView::paintEvent(QPaintEvent* event) {
  if (surface_.size() != size()) {
    surface_ = QImage(size(), QImage::Format_RGB32);
    surface_.fill(Qt::white);
    dirty_ = true;
  }
  if (dirty_ && !surface_.isNull()) {
    dirty_ = false;
    CWindowDC dc(surface_, nullptr);
    OnDraw(&dc);
  }
  QPainter painter(this);
  painter.drawImage(event->rect(), surface_, event->rect());
}

void CTableView::PlaceScrollBars() {
  const int w = width(), h = height();
  horzBar_->setGeometry(0, h - horzBarHeight, std::max(0, w - vertBarWidth), horzBarHeight);
  vertBar_->setGeometry(w - vertBarWidth, 0, vertBarWidth, std::max(0, h - horzBarHeight));
  horzBar_->show();
  vertBar_->show();
}

void CTableView::resizeEvent(QResizeEvent* event) {
  CBaseView::resizeEvent(event);
  if (surface_.size() != size() && !size().isEmpty()) {
    surface_ = QImage(size(), QImage::Format_RGB32);
    surface_.fill(Qt::white);
  }
  dirty_ = true;
  OnSize(width(), height(), isVisible());
  PlaceScrollBars();
}

void CTableView::showEvent(QShowEvent* event) {
  CBaseView::showEvent(event);
  OnSize(width(), height(), false); // the size as it is now
  OnShow();
  PlaceScrollBars();
  dirty_ = true;
}

void CTableView::keyPressEvent(QKeyEvent* event) {
  if (!HasData()) {
    CBaseView::keyPressEvent(event);
    return;
  }
  GridKey key = GridKey::Other;
  switch (event->key()) {
  case Qt::Key_Left: key = GridKey::Left; break;
  case Qt::Key_Right: key = GridKey::Right; break;
  case Qt::Key_Up: key = GridKey::Up; break;
  case Qt::Key_Down: key = GridKey::Down; break;
  case Qt::Key_Return:
  case Qt::Key_Enter: key = GridKey::Enter; break;
  case Qt::Key_F2: key = GridKey::F2; break;
  case Qt::Key_PageUp: key = GridKey::PageUp; break;
  case Qt::Key_PageDown: key = GridKey::PageDown; break;
  case Qt::Key_Home:
    key = event->modifiers() & Qt::ControlModifier ? GridKey::CtrlHome : GridKey::Home;
    break;
  case Qt::Key_End:
    key = event->modifiers() & Qt::ControlModifier ? GridKey::CtrlEnd : GridKey::End;
    break;
  default: break;
  }
  if (key != GridKey::Other) {
    OnKeyDown(key);
    event->accept();
    return;
  }
  // A typed character starts editing with it; control characters and shortcuts do not.
  const QString typed = event->text();
  const bool modified =
      event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
  if (!typed.isEmpty() && typed[0].unicode() >= 0x20 && typed[0].unicode() != 0x7F && !modified) {
    OnChar(typed);
    event->accept();
    return;
  }
  CBaseView::keyPressEvent(event);
}

void CTableView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    OnLButtonDown(p.x(), p.y());
    event->accept();
    return;
  }
  CBaseView::mousePressEvent(event);
}

void CTableView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    OnLButtonUp(p.x(), p.y());
    event->accept();
    return;
  }
  CBaseView::mouseReleaseEvent(event);
}

void CTableView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    const QPoint p = event->position().toPoint();
    OnLButtonDblClk(p.x(), p.y());
    event->accept();
    return;
  }
  CBaseView::mouseDoubleClickEvent(event);
}

void CTableView::mouseMoveEvent(QMouseEvent* event) {
  const Qt::MouseButtons held = event->buttons();
  const MouseButtons buttons = held == Qt::NoButton     ? MouseButtons::None
                               : held == Qt::LeftButton ? MouseButtons::LeftOnly
                                                        : MouseButtons::Other;
  const QPoint p = event->position().toPoint();
  OnMouseMove(p.x(), p.y(), buttons);
  event->accept();
}

void CTableView::wheelEvent(QWheelEvent* event) {
  // One step per turn of the wheel. A sideways turn, and the empty events that begin and end a
  // touchpad gesture, turn nothing.
  const int delta = event->angleDelta().y();
  if (delta != 0) OnMouseWheel(event->modifiers() & Qt::ControlModifier, delta);
  event->accept();
}

bool CTableView::eventFilter(QObject* watched, QEvent* event) {
  // The wheel over a scroll bar scrolls the grid as it does anywhere else in it.
  if ((watched == horzBar_ || watched == vertBar_) && event->type() == QEvent::Wheel) {
    wheelEvent(static_cast<QWheelEvent*>(event));
    return true;
  }
  return CBaseView::eventFilter(watched, event);
}

void CTableView::OnBarAction(ScrollBarId id, int action) {
  QScrollBar* bar = id == SB_HORZ ? horzBar_ : vertBar_;
  int code = SB_ENDSCROLL;
  switch (action) {
  case QAbstractSlider::SliderSingleStepAdd: code = SB_LINEDOWN; break;
  case QAbstractSlider::SliderSingleStepSub: code = SB_LINEUP; break;
  case QAbstractSlider::SliderPageStepAdd: code = SB_PAGEDOWN; break;
  case QAbstractSlider::SliderPageStepSub: code = SB_PAGEUP; break;
  case QAbstractSlider::SliderMove: code = SB_THUMBTRACK; break;
  case QAbstractSlider::SliderToMinimum: code = SB_TOP; break;
  case QAbstractSlider::SliderToMaximum: code = SB_BOTTOM; break;
  default: break;
  }
  OnScroll(id, code, bar->sliderPosition());
  // The bar shows the grid's position, whatever it would have moved to by itself.
  bar->setSliderPosition(id == SB_HORZ ? firstColumn : firstRow);
}

// ---------------------------------------------------------------- commands

void CTableView::OnEditCopy() {
  if (EditorVisible()) {
    editor_->copy();
    return;
  }
  const QString text = CopyText();
  GridClipboard& cb = Clipboard();
  if (!cb.Open()) {
    AfxMessageBox(QStringLiteral("Cannot open the Clipboard"), MB_OK);
    return;
  }
  if (!cb.Empty()) {
    cb.Close();
    AfxMessageBox(QStringLiteral("Cannot empty the Clipboard"), MB_OK);
    return;
  }
  if (!cb.SetText(text)) {
    cb.Close();
    AfxMessageBox(QStringLiteral("Unable to set Clipboard data"), MB_OK);
    return;
  }
  cb.Close();
}

void CTableView::OnEditCut() {
  if (EditorVisible()) editor_->cut();
}

void CTableView::OnEditPaste() {
  if (EditorVisible()) {
    editor_->paste();
    return;
  }
  GridClipboard& cb = Clipboard();
  if (!cb.Open()) return;
  if (!cb.HasText()) {
    cb.Close();
    return;
  }
  const QString text = cb.Text();
  cb.Close();
  PasteText(text);
}

void CTableView::FillCommand(bool column) {
  if (!HasData()) return;
  if (!StorePendingEdit()) return;
  EnsureSettingsLoaded();
  KeepCurrentCellInside();
  double value = 0;
  if (!CurrentCellNumber(value)) {
    AfxMessageBox(ID_FILL_COLUMN, MB_OK | MB_ICONERROR);
    return;
  }
  CFillDlg dlg(this);
  dlg.m_value1 = value;
  dlg.m_value2 = 0;
  dlg.m_fromCurrent = true;
  const int result = dlg.DoModal();
  if (result != IDC_FILL_BY_STEP && result != IDC_FILL_EVENLY) return;
  Fill(column, dlg.m_value1, dlg.m_value2, dlg.m_fromCurrent, result == IDC_FILL_EVENLY);
}

void CTableView::OnFillColumn() {
  FillCommand(true);
}
void CTableView::OnFillRow() {
  FillCommand(false);
}

void CTableView::OnNumberFormat() {
  if (!StorePendingEdit()) return;
  EnsureSettingsLoaded();
  CNumberFormatDlg dlg(this);
  dlg.m_format = numberFormat;
  if (dlg.DoModal() != IDOK) return;
  SetNumberFormat(dlg.m_format);
  WriteNumberFormat(Profile(), SettingsName(), numberFormat.toStdString());
  InvalidateAll(true);
  UpdateWindow();
}
