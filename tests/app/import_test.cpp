// The Import dialog in the running program, on files of several shapes: CSV with its
// parameters stated, a preamble, extra columns, potentials, a workbook; opening or dropping a
// table file goes through the same dialog.
#include "docview/ImportDlg.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace {

using namespace ids;

QString Data(const char* name) {
  return QStringLiteral(VEXA_SOURCE_DIR "/") + QString::fromLatin1(name);
}

class ImportTest : public AppTest {
protected:
  // Imports a file through File → Import, the dialog worked by `work` (which clicks OK or
  // Cancel).
  void Import(const QString& path, std::function<void(CImportDlg*)> work) {
    ui.fileAnswers = {path};
    int runs = 0;
    ui.dialogDriver = [&](QDialog* d) {
      auto* dlg = dynamic_cast<CImportDlg*>(d);
      ASSERT_NE(dlg, nullptr);
      ++runs;
      work(dlg);
    };
    frame->SendCommand(ID_FILE_IMPORT);
    EXPECT_EQ(runs, 1);
  }
  vexa::TitrationSystem& Sys() { return Doc()->System(); }
};

TEST_F(ImportTest, AnInstrumentCsvWithItsParametersBecomesANewUnsavedSystem) {
  Import(Data("examples/weak-acid-acetic-naoh.csv"), [&](CImportDlg* dlg) {
    EXPECT_EQ(dlg->Status()->text(), QStringLiteral("41 points"));
    EXPECT_TRUE(dlg->Found()->text().contains(QStringLiteral("decimal comma")));
    EXPECT_TRUE(dlg->Found()->text().contains(QStringLiteral("header on line 3")));
    // The parameters as the file states them, marked as coming from it.
    EXPECT_EQ(dlg->ParameterEdit(1)->text(), QStringLiteral("0.1"));
    EXPECT_TRUE(dlg->ParameterSource(1)->text().startsWith(QStringLiteral("from the file, line 1")));
    // The first rows as read: the comment, the header, the points.
    EXPECT_GE(dlg->Preview()->rowCount(), 20);
    EXPECT_EQ(dlg->Preview()->item(2, 0)->text(), QStringLiteral("V_ml"));
    EXPECT_EQ(dlg->Preview()->item(3, 1)->text(), QStringLiteral("3,385"));
    SaveShot(dlg, "import-preview.png");
    Click(dlg, "IDOK");
  });
  EXPECT_EQ(Sys().pointCount, 41);
  EXPECT_EQ(Sys().cTit, 0.1);
  EXPECT_EQ(Sys().pH[0], 3.385);
  EXPECT_DOUBLE_EQ(Sys().g[0], Sys().LinearisedValue(0, 3.385));
  EXPECT_EQ(Sys().Title(), "weak-acid-acetic-naoh");
  EXPECT_EQ(RootText(), QStringLiteral("weak-acid-acetic-naoh"));
  EXPECT_TRUE(Doc()->GetPathName().isEmpty());
  EXPECT_TRUE(Doc()->IsModified());
}

TEST_F(ImportTest, DefaultsAreMarkedAndEditableAndCancelChangesNothing) {
  vexa::test::WriteFile(Path("plain.csv"), "V,pH\n0,3\n1,3.2\n2,3.5\n");
  Import(Q(Path("plain.csv")), [&](CImportDlg* dlg) {
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(dlg->ParameterSource(k)->text(), QStringLiteral("<i>default</i>"));
    Click(dlg, "IDCANCEL");
  });
  EXPECT_EQ(Sys().pointCount, 1); // the new system of the start, untouched
  EXPECT_FALSE(Doc()->IsModified());
  Import(Q(Path("plain.csv")), [&](CImportDlg* dlg) {
    dlg->ParameterEdit(0)->setText(QStringLiteral("25"));
    dlg->ParameterEdit(2)->setText(QStringLiteral("17")); // out of range: refused, stays open
    Click(dlg, "IDOK");
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_FALSE(ui.messages.empty());
    dlg->ParameterEdit(2)->setText(QStringLiteral("13.8"));
    Click(dlg, "IDOK");
  });
  EXPECT_EQ(Sys().initialVolume, 25);
  EXPECT_EQ(Sys().pKw, 13.8);
  EXPECT_EQ(Sys().pointCount, 3);
}

TEST_F(ImportTest, APreambleAndExtraColumnsAreReadAndTheColumnsCanBeChosen) {
  Import(Data("tests/data/import/preamble.csv"), [&](CImportDlg* dlg) {
    EXPECT_TRUE(dlg->ParameterSource(0)->text().contains(QStringLiteral("Sample volume")));
    EXPECT_EQ(dlg->ParameterEdit(0)->text(), QStringLiteral("50"));
    Click(dlg, "IDOK");
  });
  EXPECT_EQ(Sys().cTit, 0.1);
  Import(Data("tests/data/import/extra-columns.csv"), [&](CImportDlg* dlg) {
    EXPECT_EQ(dlg->Result().volumeColumn, 1);
    EXPECT_EQ(dlg->Result().pHColumn, 2);
    // The temperature column chosen as the reading instead: the pH values change.
    dlg->ReadingColumn()->setCurrentIndex(4);
    EXPECT_EQ(dlg->Result().pHColumn, 3);
    dlg->ReadingColumn()->setCurrentIndex(3);
    Click(dlg, "IDOK");
  });
  EXPECT_EQ(Sys().pH[0], 1.999);
}

TEST_F(ImportTest, PotentialsNeedTheirCalibration) {
  Import(Data("tests/data/import/potentials-mv.csv"), [&](CImportDlg* dlg) {
    EXPECT_TRUE(dlg->Status()->text().contains(QStringLiteral("Tick potentials")))
        << dlg->Status()->text().toStdString();
    EXPECT_FALSE(dlg->findChild<QPushButton*>(QStringLiteral("IDOK"))->isEnabled());
    dlg->E0Edit()->setText(QStringLiteral("400"));
    dlg->Potentials()->setChecked(true);
    EXPECT_TRUE(dlg->Result().ok);
    EXPECT_TRUE(dlg->Found()->text().contains(QStringLiteral("pH from potentials")));
    Click(dlg, "IDOK");
  });
  EXPECT_DOUBLE_EQ(Sys().pH[0], (400 - 281.7) / 59.16);
  EXPECT_TRUE(frame->StatusText().contains(QStringLiteral("pH from potentials")));
}

TEST_F(ImportTest, AWorkbookOffersItsSheets) {
  Import(Data("tests/data/sheets/titration.xlsx"), [&](CImportDlg* dlg) {
    ASSERT_EQ(dlg->Sheet()->count(), 2);
    EXPECT_TRUE(dlg->Result().ok) << dlg->Status()->text().toStdString();
    EXPECT_GT(dlg->Result().points.size(), 0u);
    // The second sheet holds a word where a volume should be: the dialog names its cell and
    // OK waits.
    dlg->Sheet()->setCurrentIndex(1);
    EXPECT_EQ(dlg->Sheet()->currentText(), QStringLiteral("Run 2"));
    EXPECT_FALSE(dlg->Result().ok);
    EXPECT_TRUE(dlg->Status()->text().contains(QStringLiteral("is not a number")));
    EXPECT_FALSE(dlg->findChild<QPushButton*>(QStringLiteral("IDOK"))->isEnabled());
    dlg->Sheet()->setCurrentIndex(0);
    EXPECT_TRUE(dlg->Result().ok);
    Click(dlg, "IDOK");
  });
  EXPECT_GT(Sys().pointCount, 1);
}

TEST_F(ImportTest, OpeningOrDroppingATableFileGoesThroughTheDialog) {
  int runs = 0;
  ui.dialogDriver = [&](QDialog* d) {
    ++runs;
    Click(d, "IDOK");
  };
  ASSERT_NE(app->OpenDocumentFile(Data("examples/strong-acid-hcl-naoh.csv")), nullptr);
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(Sys().pointCount, 41);
  // A .vexa file opens as it always did, without the dialog.
  ui.answers = {IDNO}; // the imported system is not saved
  ASSERT_NE(app->OpenDocumentFile(Data("examples/strong-acid-hcl-naoh.vexa")), nullptr);
  EXPECT_EQ(runs, 1);
  // A file that cannot be read as a table says why.
  vexa::test::WriteFile(Path("empty.csv"), "");
  ui.dialogDriver = [&](QDialog* d) {
    ++runs;
    Click(d, "IDCANCEL");
  };
  app->OpenDocumentFile(Q(Path("empty.csv")));
  EXPECT_EQ(Sys().pointCount, 41);
}

} // namespace
