#pragma once
// The Import dialog: a table of points from a CSV, text or spreadsheet file, read by the same
// importer as `vexa import`. It shows the first rows as read, the columns chosen (changeable),
// how the text was split, the header and units lines found, the system parameters stated in
// the file (editable; defaults marked as such) and, for potentials, the calibration.
#include "document/PointTable.h"
#include "framework/Dialog.h"

#include <QString>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

class CImportDlg : public CDialog {
public:
  // Reads the file; Ready() says whether it could be read at all (Error() says why not).
  explicit CImportDlg(const QString& path, QWidget* parent = nullptr);

  bool Ready() const { return readError_.isEmpty(); }
  const QString& Error() const { return readError_; }

  // After OK: the points, the parameters and the title (the file's name).
  const vexa::PointTableImport& Result() const { return import_; }
  double m_values[3] = {50, 0.01, 14}; // V0, Ctit, pKw, in the order of kSystemParameters
  QString Title() const;

  // The widgets, for tests.
  QTableWidget* Preview() const { return preview_; }
  QComboBox* VolumeColumn() const { return volumeColumn_; }
  QComboBox* ReadingColumn() const { return readingColumn_; }
  QCheckBox* Potentials() const { return potentials_; }
  QLineEdit* E0Edit() const { return e0_; }
  QLineEdit* SlopeEdit() const { return slope_; }
  QComboBox* Sheet() const { return sheet_; }
  QLineEdit* ParameterEdit(int k) const { return values_[k]; }
  QLabel* ParameterSource(int k) const { return sources_[k]; }
  QLabel* Found() const { return found_; }
  QLabel* Status() const { return status_; }

  static constexpr int kPreviewRows = 30;

protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnOK() override;

private:
  void ReadRows();         // the file (or the sheet chosen) as rows of cells
  void Reimport();         // the importer run again with the columns and calibration chosen
  void ShowRows();         // the preview table
  void ShowColumns();      // the two column lists, from the header found
  void ShowFound();        // what the importer found and chose
  vexa::ImportOptions Options() const;

  QString path_;
  bool spreadsheet_ = false;
  QString encoding_;
  QString readError_;
  std::vector<vexa::TableRow> rows_;
  vexa::PointTableImport import_;
  bool updating_ = false;

  QTableWidget* preview_ = nullptr;
  QComboBox* sheet_ = nullptr;
  QComboBox* volumeColumn_ = nullptr;
  QComboBox* readingColumn_ = nullptr;
  QCheckBox* potentials_ = nullptr;
  QLineEdit* e0_ = nullptr;
  QLineEdit* slope_ = nullptr;
  QLineEdit* values_[3] = {};
  QLabel* sources_[3] = {};
  QLabel* found_ = nullptr;
  QLabel* status_ = nullptr;
};
