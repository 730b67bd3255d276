#pragma once
// The About box: the logo picture with the web address drawn over its lower band as a link,
// and an "Ok" button in the lower right corner.
#include "framework/Dialog.h"

#include <QImage>
#include <QWidget>

class QLabel;

// Registers the program's embedded pictures (done once).
void InitAppResources();
class QPushButton;

// Draws a picture taken from the program's resources.
class CPictureWnd : public QWidget {
public:
  explicit CPictureWnd(QWidget* parent = nullptr);
  // Loads the "JPG" resource with the ID straight from the embedded data.
  bool LoadFromResource(int id);
  int PictureWidth() const { return image_.width(); }
  int PictureHeight() const { return image_.height(); }

protected:
  void paintEvent(QPaintEvent* event) override;

private:
  QImage image_;
};

// An underlined address that opens with the desktop when clicked.
class CInternetLink : public QWidget {
public:
  explicit CInternetLink(QWidget* parent = nullptr);
  void SetText(const QString& text) {
    text_ = text;
    layoutNeeded_ = true;
    update();
  }
  const QString& Text() const { return text_; }
  bool Hover() const { return hover_; }
  QRect TextRect() const { return textRect_; }
  // The colour the text is drawn in now.
  QColor Colour() const;

protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

private:
  void Layout();
  void SetHover(bool hover);
  QRect textRect_;
  bool hover_ = false;
  QString text_;
  bool layoutNeeded_ = true;
};

class CAboutDlg : public CDialog {
public:
  static constexpr int kLogoId = 181;
  explicit CAboutDlg(QWidget* parent = nullptr);
  bool OnInitDialog() override;

  CPictureWnd* Picture() const { return picture_; }
  CInternetLink* Link() const { return link_; }
  QPushButton* OkButton() const { return ok_; }
  QLabel* AddressLabel() const { return address_; }

private:
  CPictureWnd* picture_ = nullptr;
  CInternetLink* link_ = nullptr;
  QPushButton* ok_;
  QLabel* address_;
};
