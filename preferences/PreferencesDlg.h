#pragma once
// The Preferences dialog: the eight colours of the graph on owner-drawn buttons painted in
// their colours, the marker type in a list of drawn markers, and the marker size with its
// up-down control. It edits a copy of the drawing settings; its caller takes them on OK.
#include "gui/DrawSettings.h"
#include "resources/Ids.h"
#include "gui/DC.h"
#include "framework/Dialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QWidget>

#include <array>
#include <functional>

class CWinApp;
class QLineEdit;
class QToolButton;


// The text colour on a colour button: black when the brightness 0.299 R + 0.587 G + 0.114 B is
// above 128, white otherwise.
COLORREF ButtonTextColor(COLORREF color);

// One owner-drawn colour button: the 3-D frame (highlight top and left, shadow bottom and
// right; shadow all round while pressed), the colour inset by 2, the text centred, and the
// focus rectangle inset by 3 when focused.
void DrawColorButton(CDC* dc, const CRect& rect, COLORREF color, const QString& text, bool pressed,
                     bool focused, COLORREF highlight, COLORREF shadow);

// One item of the marker list: the background (highlight when selected), the marker of the
// item's type centred one pixel above the middle with size height − 6, the focus rectangle.
void DrawMarkerItem(CDC* dc, const CRect& rect, int type, COLORREF fill, COLORREF outline,
                    bool selected, bool focused, COLORREF window, COLORREF highlight);

// A push button painted in its colour.
class CColorButton : public QAbstractButton {
public:
  CColorButton(int id, const QString& text, COLORREF* color, QWidget* parent);
  COLORREF Color() const { return *color_; }
  QSize sizeHint() const override { return QSize(120, 30); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  COLORREF* color_;
};

// The up-down control: steps the integer in its buddy edit box within its range.
class CSpinButtonCtrl : public QWidget {
public:
  explicit CSpinButtonCtrl(QWidget* parent);
  void SetBuddy(QLineEdit* buddy);
  void SetRange(int lower, int upper);
  int GetPos() const;
  void Step(int delta);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  QLineEdit* buddy_ = nullptr;
  QToolButton* up_;
  QToolButton* down_;
  int lower_ = 0;
  int upper_ = 100;
  int pos_ = 0;
};

// The drop-down list of the eight marker shapes, drawn in the dialog's current colours.
class CMarkerCombo : public QComboBox {
public:
  CMarkerCombo(const COLORREF* fill, const COLORREF* outline, QWidget* parent);
  static constexpr int kItemHeight = 16;
  const COLORREF* fill;
  const COLORREF* outline;

protected:
  void paintEvent(QPaintEvent* event) override;
};

class CPreferencesDlg : public CDialog {
public:
  explicit CPreferencesDlg(QWidget* parent = nullptr);

  // The fields, copied from the settings when the dialog opens and back on OK.
  CWinApp* application = nullptr;
  COLORREF gridColor = 0;
  COLORREF frameColor = 0;
  COLORREF derivColor = 0;
  COLORREF plotColor = 0;
  COLORREF basePointColor = 0;
  COLORREF endPointColor = 0;
  COLORREF markerFillColor = 0;
  COLORREF markerOutlineColor = 0;
  int markerType = 0;
  int markerSize = 0;

  // The settings the dialog starts from (before DoModal); the edited ones after OK.
  void SetSettings(const DrawSettings& s) { start_ = s; }
  DrawSettings Settings() const;

  bool OnInitDialog() override;

  CColorButton* ColorButton(int id) const;
  CMarkerCombo* MarkerList() const { return markerList_; }
  QLineEdit* SizeEdit() const { return sizeEdit_; }
  CSpinButtonCtrl* Spin() const { return spin_; }
  // Runs the colour dialog for the button with this control ID.
  void OnColorButton(int id);

protected:
  void DoDataExchange(CDataExchange* pDX) override;

private:
  COLORREF* Field(int id);
  DrawSettings start_ = DrawSettings::Defaults();
  std::array<CColorButton*, 8> buttons_{};
  CMarkerCombo* markerList_;
  QLineEdit* sizeEdit_;
  CSpinButtonCtrl* spin_;
};

// Runs the dialog on a copy of the settings; true on OK, with the edited values in settings.
bool RunPreferencesDialog(QWidget* parent, DrawSettings& settings);

// How the colour dialog is asked (the system's dialog unless a test puts its own).
using ColorChooser = std::function<bool(QWidget* parent, COLORREF& color)>;
void SetColorChooser(ColorChooser chooser);
