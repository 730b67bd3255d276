#include "docview/ImportDlg.h"

#include "platform/AtomicFile.h"
#include "sheets/Spreadsheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using vexa::ImportOptions;
using vexa::InfoOf;
using vexa::kSystemParameters;
using vexa::SystemParameter;

namespace {

QString Q(const std::string& s) {
  return QString::fromStdString(s);
}

QLabel* Named(QLabel* label, const char* name) {
  label->setObjectName(QString::fromLatin1(name));
  return label;
}

} // namespace

CImportDlg::CImportDlg(const QString& path, QWidget* parent) : CDialog(parent), path_(path) {
  setWindowTitle(QStringLiteral("Import %1").arg(QFileInfo(path).fileName()));
  auto* layout = new QVBoxLayout(this);

  // The file, and for a workbook its sheet.
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("File: <b>%1</b>").arg(QFileInfo(path).fileName().toHtmlEscaped()), this));
  top->addStretch();
  sheet_ = new QComboBox(this);
  sheet_->setObjectName(QStringLiteral("sheet"));
  top->addWidget(sheet_);
  layout->addLayout(top);

  // The first rows as read.
  preview_ = new QTableWidget(this);
  preview_->setObjectName(QStringLiteral("preview"));
  preview_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  preview_->setSelectionMode(QAbstractItemView::NoSelection);
  preview_->verticalHeader()->setDefaultSectionSize(20);
  preview_->setMinimumHeight(220);
  layout->addWidget(preview_);
  found_ = Named(new QLabel(this), "found");
  found_->setWordWrap(true);
  layout->addWidget(found_);

  // The columns, and potentials.
  auto* columns = new QGroupBox(QStringLiteral("Columns"), this);
  auto* grid = new QGridLayout(columns);
  volumeColumn_ = new QComboBox(columns);
  volumeColumn_->setObjectName(QStringLiteral("volumeColumn"));
  readingColumn_ = new QComboBox(columns);
  readingColumn_->setObjectName(QStringLiteral("readingColumn"));
  potentials_ = new QCheckBox(QStringLiteral("The readings are potentials in mV: pH = (E0 - E)/slope"), columns);
  potentials_->setObjectName(QStringLiteral("potentials"));
  e0_ = new QLineEdit(QStringLiteral("0"), columns);
  e0_->setObjectName(QStringLiteral("e0"));
  slope_ = new QLineEdit(QString::number(vexa::PotentialCalibration::kNernstSlope25), columns);
  slope_->setObjectName(QStringLiteral("slope"));
  grid->addWidget(new QLabel(QStringLiteral("Volume, ml"), columns), 0, 0);
  grid->addWidget(volumeColumn_, 0, 1);
  grid->addWidget(new QLabel(QStringLiteral("pH or potential"), columns), 0, 2);
  grid->addWidget(readingColumn_, 0, 3);
  grid->addWidget(potentials_, 1, 0, 1, 4);
  grid->addWidget(new QLabel(QStringLiteral("E0, mV"), columns), 2, 0);
  grid->addWidget(e0_, 2, 1);
  grid->addWidget(new QLabel(QStringLiteral("Slope, mV per pH"), columns), 2, 2);
  grid->addWidget(slope_, 2, 3);
  layout->addWidget(columns);

  // The system's parameters, as the file states them or by default.
  auto* params = new QGroupBox(QStringLiteral("System parameters"), this);
  auto* form = new QGridLayout(params);
  const char* labels[] = {"Initial volume, ml", "Titrant concentration, M", "System pKw"};
  for (int k = 0; k < 3; ++k) {
    values_[k] = new QLineEdit(params);
    values_[k]->setObjectName(QStringLiteral("value%1").arg(k));
    sources_[k] = new QLabel(params);
    sources_[k]->setObjectName(QStringLiteral("source%1").arg(k));
    form->addWidget(new QLabel(QString::fromLatin1(labels[k]), params), k, 0);
    form->addWidget(values_[k], k, 1);
    form->addWidget(sources_[k], k, 2);
  }
  layout->addWidget(params);

  status_ = Named(new QLabel(this), "status");
  status_->setWordWrap(true);
  layout->addWidget(status_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("IDOK"));
  buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("IDCANCEL"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, this, [this] { OnOK(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, this, [this] { OnCancel(); });
  layout->addWidget(buttons);
  resize(720, 640);

  // What the file holds.
  const std::string file = QFile::encodeName(path).toStdString();
  spreadsheet_ = vexa::IsSpreadsheetFile(file) || vexa::HasSpreadsheetExtension(file);
  if (spreadsheet_) {
    std::string error;
    const auto names = vexa::SheetNames(file, &error);
    if (names.empty()) readError_ = Q(error);
    for (const std::string& n : names)
      sheet_->addItem(Q(n));
  }
  sheet_->setVisible(spreadsheet_ && sheet_->count() > 1);
  if (Ready()) ReadRows();
  if (Ready()) Reimport();
  // The parameters: what the file states, else the defaults, marked as such.
  for (int k = 0; k < 3; ++k) {
    const auto& found = import_.parameters[k];
    m_values[k] = found ? found->value : InfoOf(kSystemParameters[k]).defaultValue;
    sources_[k]->setText(found ? QStringLiteral("from the file, line %1: %2")
                                     .arg(found->line)
                                     .arg(Q(found->text).toHtmlEscaped())
                               : QStringLiteral("<i>default</i>"));
  }
  ShowColumns();
  ShowRows();
  ShowFound();

  QObject::connect(sheet_, &QComboBox::currentIndexChanged, this, [this] {
    if (updating_) return;
    ReadRows();
    Reimport();
    ShowColumns();
    ShowRows();
    ShowFound();
  });
  for (QComboBox* box : {volumeColumn_, readingColumn_})
    QObject::connect(box, &QComboBox::currentIndexChanged, this, [this] {
      if (updating_) return;
      Reimport();
      ShowRows();
      ShowFound();
    });
  QObject::connect(potentials_, &QCheckBox::toggled, this, [this](bool on) {
    e0_->setEnabled(on);
    slope_->setEnabled(on);
    Reimport();
    ShowRows();
    ShowFound();
  });
  for (QLineEdit* edit : {e0_, slope_})
    QObject::connect(edit, &QLineEdit::editingFinished, this, [this] {
      if (!potentials_->isChecked()) return;
      Reimport();
      ShowRows();
      ShowFound();
    });
  e0_->setEnabled(potentials_->isChecked());
  slope_->setEnabled(potentials_->isChecked());
}

QString CImportDlg::Title() const {
  return QFileInfo(path_).completeBaseName();
}

void CImportDlg::ReadRows() {
  rows_.clear();
  readError_.clear();
  const std::string file = QFile::encodeName(path_).toStdString();
  if (spreadsheet_) {
    std::string error;
    const auto sheet = vexa::ReadSheet(file, sheet_->currentText().toStdString(), &error);
    if (!sheet) {
      readError_ = Q(error);
      return;
    }
    rows_ = vexa::SheetRows(sheet->rows);
    encoding_ = QStringLiteral("sheet \"%1\"").arg(Q(sheet->name));
    return;
  }
  vexa::platform::FileError error;
  const auto bytes = vexa::platform::ReadWholeFile(file, &error);
  if (!bytes) {
    readError_ = Q(error.message);
    return;
  }
  vexa::TableText text = vexa::SplitTableText(*bytes);
  if (!text.ok) {
    readError_ = QStringLiteral("%1: %2").arg(QFileInfo(path_).fileName(), Q(text.error));
    return;
  }
  encoding_ = Q(text.encoding);
  rows_ = std::move(text.rows);
}

ImportOptions CImportDlg::Options() const {
  ImportOptions options;
  // A column chosen by the user names both (the importer takes both or neither).
  const int v = volumeColumn_->currentIndex(), r = readingColumn_->currentIndex();
  if (v > 0 || r > 0) {
    vexa::ColumnChoice volume, reading;
    volume.number = v > 0 ? v : import_.volumeColumn + 1;
    reading.number = r > 0 ? r : import_.pHColumn + 1;
    options.volumeColumn = volume;
    options.readingColumn = reading;
  }
  if (potentials_->isChecked()) {
    vexa::PotentialCalibration c;
    double value = 0;
    if (ParseDouble(e0_->text(), &value)) c.e0 = value;
    if (ParseDouble(slope_->text(), &value) && value != 0) c.slope = value;
    options.potentials = c;
  }
  return options;
}

void CImportDlg::Reimport() {
  if (!Ready()) return;
  import_ = vexa::ImportPointRows(rows_, Options());
}

void CImportDlg::ShowColumns() {
  updating_ = true;
  for (QComboBox* box : {volumeColumn_, readingColumn_}) {
    box->clear();
    box->addItem(QStringLiteral("as found"));
  }
  std::size_t widest = import_.columns.size();
  for (const vexa::TableRow& row : rows_)
    widest = std::max(widest, row.cells.size());
  for (std::size_t j = 0; j < widest; ++j) {
    const QString name = j < import_.columns.size() && !import_.columns[j].empty()
                             ? QStringLiteral("%1: %2").arg(j + 1).arg(Q(import_.columns[j]))
                             : QStringLiteral("column %1").arg(j + 1);
    volumeColumn_->addItem(name);
    readingColumn_->addItem(name);
  }
  updating_ = false;
}

void CImportDlg::ShowRows() {
  std::size_t widest = 0;
  const int shown = std::min<int>(kPreviewRows, static_cast<int>(rows_.size()));
  for (int i = 0; i < shown; ++i)
    widest = std::max(widest, rows_[static_cast<std::size_t>(i)].cells.size());
  preview_->clear();
  preview_->setRowCount(shown);
  preview_->setColumnCount(static_cast<int>(std::max<std::size_t>(widest, 1)));
  QStringList heads;
  for (std::size_t j = 0; j < widest; ++j) {
    QString head = QString::number(j + 1);
    if (import_.ok && static_cast<int>(j) == import_.volumeColumn) head += QStringLiteral(" (V)");
    if (import_.ok && static_cast<int>(j) == import_.pHColumn)
      head += import_.fromPotentials ? QStringLiteral(" (E)") : QStringLiteral(" (pH)");
    heads << head;
  }
  preview_->setHorizontalHeaderLabels(heads);
  QStringList lines;
  const QColor chosen(225, 238, 255);
  for (int i = 0; i < shown; ++i) {
    const vexa::TableRow& row = rows_[static_cast<std::size_t>(i)];
    lines << QString::number(row.line);
    if (row.comment) {
      auto* item = new QTableWidgetItem(Q(row.text));
      item->setForeground(Qt::darkGray);
      preview_->setItem(i, 0, item);
      if (widest > 1) preview_->setSpan(i, 0, 1, static_cast<int>(widest));
      continue;
    }
    const bool header = row.line == import_.headerLine;
    const bool units = row.line == import_.unitsLine;
    for (std::size_t j = 0; j < row.cells.size(); ++j) {
      auto* item = new QTableWidgetItem(Q(row.cells[j].text));
      QFont font = item->font();
      font.setBold(header);
      font.setItalic(units);
      item->setFont(font);
      if (import_.ok && (static_cast<int>(j) == import_.volumeColumn ||
                         static_cast<int>(j) == import_.pHColumn))
        item->setBackground(chosen);
      preview_->setItem(i, static_cast<int>(j), item);
    }
  }
  preview_->setVerticalHeaderLabels(lines);
}

void CImportDlg::ShowFound() {
  QStringList found;
  if (!encoding_.isEmpty()) found << encoding_;
  bool comma = false;
  for (const vexa::TableRow& row : rows_)
    for (const vexa::TableCell& cell : row.cells)
      comma = comma || cell.decimalComma;
  if (comma) found << QStringLiteral("decimal comma");
  if (import_.headerLine > 0) found << QStringLiteral("header on line %1").arg(import_.headerLine);
  if (import_.unitsLine > 0) found << QStringLiteral("units on line %1").arg(import_.unitsLine);
  if (import_.fromPotentials)
    found << QStringLiteral("pH from potentials: pH = (%1 - E)/%2")
                 .arg(import_.calibration.e0)
                 .arg(import_.calibration.slope);
  found_->setText(found.join(QStringLiteral(" · ")));

  QPushButton* ok = findChild<QPushButton*>(QStringLiteral("IDOK"));
  if (!Ready()) {
    status_->setText(QStringLiteral("<font color=red>%1</font>").arg(readError_.toHtmlEscaped()));
  } else if (!import_.ok) {
    QString hint;
    switch (import_.error.remedy) {
    case vexa::ImportRemedy::kColumns: hint = QStringLiteral(" Choose the columns above."); break;
    case vexa::ImportRemedy::kPotentials:
      hint = QStringLiteral(" Tick potentials and give the calibration.");
      break;
    default: break;
    }
    status_->setText(QStringLiteral("<font color=red>%1%2</font>")
                         .arg((import_.error.line > 0
                                   ? QStringLiteral("Line %1: ").arg(import_.error.line)
                                   : QString()) +
                                  Q(import_.error.message).toHtmlEscaped(),
                              hint));
  } else {
    QStringList said;
    said << (import_.points.size() == 1 ? QStringLiteral("1 point")
                                        : QStringLiteral("%1 points").arg(import_.points.size()));
    for (const vexa::TableWarning& w : import_.warnings)
      said << QStringLiteral("line %1: %2").arg(w.line).arg(Q(w.message).toHtmlEscaped());
    status_->setText(said.join(QStringLiteral("; ")));
  }
  if (ok) ok->setEnabled(Ready() && import_.ok);
}

void CImportDlg::DoDataExchange(CDataExchange* pDX) {
  for (int k = 0; k < 3; ++k) {
    const vexa::ParameterInfo& info = InfoOf(kSystemParameters[k]);
    DDX_Text(pDX, values_[k], m_values[k]);
    DDV_MinMaxDouble(pDX, m_values[k], info.lowest, info.highest);
  }
}

void CImportDlg::OnOK() {
  if (!Ready() || !import_.ok) return;
  CDialog::OnOK();
}
