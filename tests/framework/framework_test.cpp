// The framework: command routing and update state, the string table, data exchange, the device
// context's conventions, the document's load/save handling, the profile functions and the file
// dialog helpers.
#include "common/TempDir.h"
#include "platform/Archive.h"
#include "framework/Background.h"
#include "framework/CmdTarget.h"
#include "resources/Ids.h"
#include "gui/DC.h"
#include "framework/Dialog.h"
#include "framework/DocView.h"
#include "framework/FrameworkStrings.h"
#include "resources/Texts.h"
#include "gui/Profile.h"
#include "gui/Strings.h"
#include "framework/UiSeam.h"
#include "support/ScriptedUiSeam.h"

#include <QApplication>
#include <QProgressDialog>
#include <QTimer>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <thread>
#include <filesystem>
#include <iterator>
#include <memory>

#include <sys/resource.h>

void VexaTestSetUp(int& argc, char** argv) {
  new QApplication(argc, argv);
  RegisterFrameworkStrings();
}

namespace {

// ---------------------------------------------------------------- routing

struct Target : CCmdTarget {
  explicit Target(std::vector<std::string>* log, std::string name)
      : log_(log), name_(std::move(name)) {}
  void Handle(int id) {
    OnCommand(id, [this, id] { log_->push_back(name_ + ":" + std::to_string(id)); });
  }
  void HandleUpdate(int id, bool enable, bool check) {
    OnUpdateCommand(id, [enable, check](CCmdUI& ui) {
      ui.Enable(enable);
      ui.SetCheck(check);
    });
  }
  void HandleRange(int first, int last) {
    OnCommandRange(first, last,
                   [this](int id) { log_->push_back(name_ + ":" + std::to_string(id)); });
  }
  std::vector<std::string>* log_;
  std::string name_;
};

TEST(CommandRouting, FirstHandlerOnTheRouteWins) {
  std::vector<std::string> log;
  Target view(&log, "view"), doc(&log, "doc"), frame(&log, "frame"), app(&log, "app");
  doc.Handle(100);
  app.Handle(100);
  frame.Handle(200);
  EXPECT_TRUE(cmdroute::Dispatch(100, &view, &doc, &frame, &app));
  EXPECT_TRUE(cmdroute::Dispatch(200, &view, &doc, &frame, &app));
  EXPECT_FALSE(cmdroute::Dispatch(300, &view, &doc, &frame, &app));
  EXPECT_EQ(log, (std::vector<std::string>{"doc:100", "frame:200"}));
  // A missing view (none active) is skipped.
  Target* none = nullptr;
  EXPECT_TRUE(cmdroute::Dispatch(200, none, &doc, &frame, &app));
}

TEST(CommandRouting, RangesCoverTheirIds) {
  std::vector<std::string> log;
  Target t(&log, "t");
  t.HandleRange(10, 12);
  EXPECT_FALSE(t.OnCmdMsg(9));
  EXPECT_TRUE(t.OnCmdMsg(10));
  EXPECT_TRUE(t.OnCmdMsg(12));
  EXPECT_FALSE(t.OnCmdMsg(13));
  EXPECT_EQ(log, (std::vector<std::string>{"t:10", "t:12"}));
}

TEST(CommandRouting, UpdateStateFollowsTheHandlers) {
  std::vector<std::string> log;
  Target view(&log, "view"), doc(&log, "doc");
  doc.Handle(1);
  view.HandleUpdate(2, false, true);
  doc.Handle(2);
  CCmdUI a(1), b(2), c(3);
  cmdroute::Update(a, &view, &doc);
  cmdroute::Update(b, &view, &doc);
  cmdroute::Update(c, &view, &doc);
  EXPECT_TRUE(a.enabled); // a command handler and no update handler: enabled
  EXPECT_FALSE(a.checked);
  EXPECT_FALSE(b.enabled); // the update handler decides
  EXPECT_TRUE(b.checked);
  EXPECT_FALSE(c.enabled); // nobody handles it: disabled
}

// ---------------------------------------------------------------- strings

TEST(StringTable, PromptAndTipSplitAtTheLineFeed) {
  const vexa::StringEntry e[] = {{40001, "Change system title\nSystem title"},
                                 {40002, "Only a prompt"}};
  vexa::RegisterStrings(e, 2);
  EXPECT_EQ(CommandPrompt(40001), QStringLiteral("Change system title"));
  EXPECT_EQ(CommandTip(40001), QStringLiteral("System title"));
  EXPECT_EQ(CommandPrompt(40002), QStringLiteral("Only a prompt"));
  EXPECT_TRUE(CommandTip(40002).isEmpty());
  EXPECT_EQ(LoadStr(ids::AFX_IDS_IDLEMESSAGE), QStringLiteral("For Help, press F1"));
  // The engine's texts are found too.
  EXPECT_EQ(LoadStr(ids::IDS_UNTITLED_SYSTEM), QStringLiteral("Untitled system"));
  EXPECT_EQ(FormatMessage(ids::AFX_IDP_PARSE_REAL_RANGE, "12", "16"),
            QStringLiteral("Please enter a number between 12 and 16."));
  // An argument holding "%2" is not replaced again.
  EXPECT_EQ(FormatMessage(ids::AFX_IDP_PARSE_REAL_RANGE, "%2", "x"),
            QStringLiteral("Please enter a number between %2 and x."));
}

// ---------------------------------------------------------------- data exchange

TEST(DataExchange, ParsesNumbersAsTheFieldsDo) {
  double v = -1;
  EXPECT_TRUE(ParseDouble(QStringLiteral(" 12.5 "), &v));
  EXPECT_DOUBLE_EQ(v, 12.5);
  EXPECT_TRUE(ParseDouble(QStringLiteral("1e-3"), &v));
  EXPECT_DOUBLE_EQ(v, 0.001);
  for (const char* bad : {"", "  ", "12,5", "12abc", "abc", "nan", "inf", "-inf", "1e999"})
    EXPECT_FALSE(ParseDouble(QString::fromLatin1(bad), &v)) << bad;
  int i = 0;
  EXPECT_TRUE(ParseInt(QStringLiteral("-42"), &i));
  EXPECT_EQ(i, -42);
  EXPECT_FALSE(ParseInt(QStringLiteral("4.2"), &i));
  EXPECT_FALSE(ParseInt(QStringLiteral("99999999999"), &i));
  EXPECT_EQ(FormatDouble(0.01), QStringLiteral("0.01"));
  EXPECT_EQ(FormatDouble(3000), QStringLiteral("3000"));
}

class TwoFieldDialog : public CDialog {
public:
  TwoFieldDialog() : a(new QLineEdit(this)), b(new QLineEdit(this)) {
    auto* l = new QVBoxLayout(this);
    l->addWidget(a);
    l->addWidget(b);
  }
  double x = 1, y = 2;
  QLineEdit* a;
  QLineEdit* b;

protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Text(pDX, a, x);
    DDV_MinMaxDouble(pDX, x, 0, 10);
    DDX_Text(pDX, b, y);
    DDV_MinMaxDouble(pDX, y, -1, 1);
  }
};

TEST(DataExchange, TheFirstBadFieldIsReportedAndKeepsTheDialogOpen) {
  ScriptedUiSeam ui;
  SetUi(&ui);
  TwoFieldDialog dlg;
  ui.dialogDriver = [&](QDialog*) {
    EXPECT_EQ(dlg.a->text(), QStringLiteral("1"));
    dlg.a->setText(QStringLiteral("11"));
    dlg.b->setText(QStringLiteral("x"));
    dlg.OnOK();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Please enter a number between 0 and 10."));
    EXPECT_EQ(dlg.focusWidget(), dlg.a);
    EXPECT_EQ(dlg.result(), -1); // still open
    dlg.a->setText(QStringLiteral("10"));
    dlg.OnOK();
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[1].text, QStringLiteral("Please enter a number."));
    EXPECT_EQ(dlg.focusWidget(), dlg.b);
    dlg.b->setText(QStringLiteral("-1"));
    dlg.OnOK();
  };
  EXPECT_EQ(dlg.DoModal(), IDOK);
  EXPECT_EQ(dlg.x, 10);
  EXPECT_EQ(dlg.y, -1);
  EXPECT_EQ(ui.messages.size(), 2u);
  SetUi(nullptr);
}

TEST(DataExchange, CancelKeepsTheValues) {
  ScriptedUiSeam ui;
  SetUi(&ui);
  TwoFieldDialog dlg;
  ui.dialogDriver = [&](QDialog*) {
    dlg.a->setText(QStringLiteral("5"));
    dlg.OnCancel();
  };
  EXPECT_EQ(dlg.DoModal(), IDCANCEL);
  EXPECT_EQ(dlg.x, 1);
  SetUi(nullptr);
}

// ---------------------------------------------------------------- device context

TEST(DeviceContext, RecordsCallsWithTheirState) {
  CRecordingDC dc;
  dc.SelectObject(CPen{PS_SOLID, 1, RGB(200, 200, 200)});
  dc.MoveTo(100, 630);
  dc.LineTo(100, 35);
  EXPECT_EQ(dc.GetCurrentPosition(), (CPoint{100, 35}));
  dc.SelectObject(CPen{PS_NULL, 1, 0});
  dc.LineTo(0, 0); // a null pen draws nothing
  dc.SetTextColor(RGB(255, 0, 0));
  dc.TextOut(5, 7, QStringLiteral("pH"));
  const auto lines = dc.Calls("Line");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].Describe(), "Line (100, 630) -> (100, 35)");
  EXPECT_EQ(lines[0].pen.color, RGB(200, 200, 200));
  const auto texts = dc.Calls("TextOut");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, QStringLiteral("pH"));
  EXPECT_EQ(texts[0].textColor, 0x0000FFu);
}

TEST(DeviceContext, SaveAndRestoreBringBackTheState) {
  CRecordingDC dc;
  dc.SetBkMode(TRANSPARENT);
  const int saved = dc.SaveDC();
  dc.SetBkMode(OPAQUE);
  dc.SelectObject(CBrush{RGB(1, 2, 3), false});
  EXPECT_TRUE(dc.RestoreDC(saved));
  EXPECT_EQ(dc.GetBkMode(), TRANSPARENT);
  EXPECT_EQ(dc.GetCurrentBrush(), CBrush{});
  EXPECT_FALSE(dc.RestoreDC(5));
}

QRgb Px(const QImage& img, int x, int y) {
  return img.pixel(x, y) & 0xFFFFFF;
}

TEST(DeviceContext, PaintsWithTheClassicConventions) {
  CImageDC dc(40, 40);
  const QImage& img = dc.image();
  dc.SelectObject(CPen{PS_SOLID, 1, RGB(0, 0, 0)});
  // A line leaves out its end pixel.
  dc.MoveTo(2, 2);
  dc.LineTo(10, 2);
  EXPECT_EQ(Px(img, 2, 2), 0u);
  EXPECT_EQ(Px(img, 9, 2), 0u);
  EXPECT_EQ(Px(img, 10, 2), 0xFFFFFFu);
  // A rectangle leaves out its right and bottom edge; its brush fills the inside.
  dc.SelectObject(CBrush{RGB(255, 0, 0), false});
  dc.Rectangle(10, 10, 20, 20);
  EXPECT_EQ(Px(img, 10, 10), 0u);
  EXPECT_EQ(Px(img, 19, 19), 0u);
  EXPECT_EQ(Px(img, 20, 20), 0xFFFFFFu);
  EXPECT_EQ(Px(img, 20, 15), 0xFFFFFFu);
  EXPECT_EQ(Px(img, 15, 15), 0xFF0000u); // red, as a QRgb
  // Exclusive-or drawing twice leaves the picture as it was.
  dc.SetROP2(R2_NOTXORPEN);
  dc.MoveTo(0, 30);
  dc.LineTo(30, 30);
  EXPECT_NE(Px(img, 5, 30), 0xFFFFFFu);
  dc.MoveTo(0, 30);
  dc.LineTo(30, 30);
  EXPECT_EQ(Px(img, 5, 30), 0xFFFFFFu);
}

TEST(DeviceContext, MeasuresAndElidesText) {
  CRecordingDC dc;
  dc.SelectObject(CFont{QStringLiteral("Arial"), -14, 400, false, false});
  const CSize a = dc.GetTextExtent(QStringLiteral("W"));
  const CSize b = dc.GetTextExtent(QStringLiteral("WW"));
  EXPECT_GT(a.cx, 0);
  EXPECT_GT(b.cx, a.cx);
  EXPECT_GE(a.cy, 14);
  CRect calc{0, 0, 0, 0};
  dc.DrawText(QStringLiteral("Hello"), calc, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(calc.right, dc.GetTextExtent(QStringLiteral("Hello")).cx);
  CRect box{0, 0, 30, 20};
  dc.DrawText(QStringLiteral("A rather long caption"), box, DT_SINGLELINE | DT_END_ELLIPSIS);
  const auto calls = dc.Calls("DrawText");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].text.endsWith(QChar(0x2026))) << calls[0].text.toStdString();
  // A positive height is the cell height: Arial of height 14 is a little smaller than -14.
  TEXTMETRIC tm;
  dc.SelectObject(CFont{QStringLiteral("Arial"), 14, 400, false, false});
  dc.GetTextMetrics(&tm);
  EXPECT_NEAR(tm.tmHeight, 14, 1);
}

// ---------------------------------------------------------------- documents

// A document of a few bytes: "DOC1" then an int.
class SmallDoc : public CDocument {
public:
  std::int32_t value = 0;
  int cleared = 0;
  void DeleteContents() override {
    value = 0;
    ++cleared;
  }
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) {
      ar.WriteBytes("DOC1", 4);
      ar.WriteInt32(value);
      return;
    }
    char magic[4];
    ar.ReadBytes(magic, 4);
    if (std::string(magic, 4) != "DOC1")
      throw vexa::ArchiveException(vexa::ArchiveException::badSchema);
    value = ar.ReadInt32();
  }
};

TEST(Document, SavesAtomicallyAndReadsBack) {
  vexa::test::TempDir dir;
  ScriptedUiSeam ui;
  SetUi(&ui);
  SmallDoc doc;
  doc.value = 1234;
  doc.SetModifiedFlag();
  const QString path = QString::fromStdString(dir / "a.vexa");
  ASSERT_TRUE(doc.OnSaveDocument(path));
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(vexa::test::ReadFile(dir / "a.vexa"), std::string("DOC1\xd2\x04\0\0", 8));
  SmallDoc other;
  ASSERT_TRUE(other.OnOpenDocument(path));
  EXPECT_EQ(other.value, 1234);
  EXPECT_FALSE(other.IsModified());
  EXPECT_TRUE(ui.messages.empty());
  SetUi(nullptr);
}

TEST(Document, BadOrShortFilesGiveTheFormatMessage) {
  vexa::test::TempDir dir;
  ScriptedUiSeam ui;
  SetUi(&ui);
  for (const std::string& bytes :
       {std::string("XXXX\1\0\0\0"), std::string("DOC1\1"), std::string()}) {
    vexa::test::WriteFile(dir / "bad.vexa", bytes);
    SmallDoc doc;
    doc.value = 5;
    EXPECT_FALSE(doc.OnOpenDocument(QString::fromStdString(dir / "bad.vexa")));
    EXPECT_EQ(doc.value, 0);       // cleared
    EXPECT_TRUE(doc.IsModified()); // the contents were lost
  }
  ASSERT_EQ(ui.messages.size(), 3u);
  for (const auto& m : ui.messages)
    EXPECT_EQ(m.text, QStringLiteral("Unexpected file format."));
  SmallDoc doc;
  EXPECT_FALSE(doc.OnOpenDocument(QString::fromStdString(dir / "missing.vexa")));
  EXPECT_EQ(doc.cleared, 0); // a file that cannot be opened leaves the document untouched
  EXPECT_TRUE(ui.messages.back().text.endsWith(QStringLiteral("missing.vexa was not found.")));
  SetUi(nullptr);
}

TEST(Document, AFailedSaveLeavesTheOldFile) {
  vexa::test::TempDir dir;
  ScriptedUiSeam ui;
  SetUi(&ui);
  SmallDoc doc;
  doc.SetModifiedFlag();
  EXPECT_FALSE(doc.OnSaveDocument(QString::fromStdString(dir / "no-such-folder/a.vexa")));
  EXPECT_TRUE(doc.IsModified());
  ASSERT_EQ(ui.messages.size(), 1u);
  SetUi(nullptr);
}

// A document of a few kilobytes, so that a small file-size limit makes its save fail half way.
struct BigDoc : CDocument {
  void Serialize(CArchive& ar) override {
    if (ar.IsStoring()) ar.WriteBytes(std::string(4000, 'x').data(), 4000);
  }
};

// A device that fails on write: the process may not write files beyond 1 000 bytes, as a full
// disk refuses the rest of a file.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST(Document, AWriteErrorKeepsTheOldFileTheMessageAndTheModifiedFlag) {
  vexa::test::TempDir dir;
  ScriptedUiSeam ui;
  SetUi(&ui);
  const std::string old(1940, 'o');
  vexa::test::WriteFile(dir / "a.vexa", old);
  BigDoc doc;
  doc.SetModifiedFlag();
  {
    FileSizeLimit limit(1000);
    EXPECT_FALSE(doc.OnSaveDocument(QString::fromStdString(dir / "a.vexa")));
  }
  EXPECT_EQ(vexa::test::ReadFile(dir / "a.vexa"), old);
  EXPECT_TRUE(doc.IsModified());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Failed to save document.\n")));
  EXPECT_TRUE(ui.messages[0].text.contains(QStringLiteral("a.vexa"))) << ui.messages[0].text.toStdString();
  // Nothing of the failed save is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator{}),
            1);
  SetUi(nullptr);
}

TEST(Document, SaveModifiedAsksAndActsOnTheAnswer) {
  ScriptedUiSeam ui;
  SetUi(&ui);
  SmallDoc doc;
  doc.SetTitle(QStringLiteral("acid"));
  EXPECT_TRUE(doc.SaveModified()); // not modified: no question
  EXPECT_TRUE(ui.messages.empty());
  doc.SetModifiedFlag();
  ui.answers = {IDCANCEL, IDNO};
  EXPECT_FALSE(doc.SaveModified());
  EXPECT_TRUE(doc.SaveModified());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, QStringLiteral("Save changes to acid?"));
  EXPECT_EQ(ui.messages[0].type & 0x0F, static_cast<unsigned>(MB_YESNOCANCEL));
  // Yes with a Save As that is cancelled keeps the program from going on.
  ui.answers = {IDYES};
  EXPECT_FALSE(doc.SaveModified());
  SetUi(nullptr);
}

// ---------------------------------------------------------------- file dialogs

TEST(FileDialogs, ClassicFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFilterFromClassic(QStringLiteral("HTML files (*.html)|*.html||")),
            QStringLiteral("HTML files (*.html)"));
  EXPECT_EQ(QtFilterFromClassic(QStringLiteral("Vexa Files (*.vexa)|*.vexa|All Files (*.*)|*.*||")),
            QStringLiteral("Vexa Files (*.vexa);;All Files (*.*)"));
}

TEST(FileDialogs, DefaultExtensionAndOverwriteQuestion) {
  vexa::test::TempDir dir;
  ScriptedUiSeam ui;
  SetUi(&ui);
  FileDialogRequest req;
  req.open = false;
  req.defaultExtension = QStringLiteral("html");
  req.overwritePrompt = true;
  ui.fileAnswers = {QString::fromStdString(dir / "log")};
  EXPECT_EQ(PromptFileName(nullptr, req), QString::fromStdString(dir / "log.html"));
  EXPECT_TRUE(ui.messages.empty());
  vexa::test::WriteFile(dir / "log.html", "old");
  ui.fileAnswers = {QString::fromStdString(dir / "log.html"),
                    QString::fromStdString(dir / "log.html")};
  ui.answers = {IDNO, IDYES};
  EXPECT_TRUE(PromptFileName(nullptr, req).isEmpty());
  EXPECT_EQ(PromptFileName(nullptr, req), QString::fromStdString(dir / "log.html"));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text,
            QStringLiteral("log.html already exists.\nDo you want to replace it?"));
  SetUi(nullptr);
}

// ---------------------------------------------------------------- profile

TEST(Profile, ValuesLiveUnderTheApplicationKey) {
  CProfile p("Dorvik Software", "VEXA");
  EXPECT_EQ(p.AppKey(), "Software\\Dorvik Software\\VEXA");
  EXPECT_EQ(p.GetProfileInt("Settings\\Draw", "marker_size", 6), 6);
  EXPECT_TRUE(p.WriteProfileInt("Settings\\Draw", "marker_size", 9));
  EXPECT_EQ(p.GetProfileInt("Settings\\Draw", "MARKER_SIZE", 6), 9);
  EXPECT_TRUE(p.WriteProfileString("Settings\\Formats", "CRView1", "%.3f"));
  EXPECT_EQ(p.GetProfileString("Settings\\Formats", "CRView1"), "%.3f");
  // A value of another type counts as missing.
  EXPECT_EQ(p.GetProfileInt("Settings\\Formats", "CRView1", -1), -1);
  std::vector<std::uint8_t> data;
  EXPECT_FALSE(p.GetProfileBinary("Settings\\Sizes", "CRView1", data));
  EXPECT_TRUE(p.WriteProfileBinary("Settings\\Sizes", "CRView1", {1, 2, 3}));
  EXPECT_TRUE(p.GetProfileBinary("Settings\\Sizes", "CRView1", data));
  EXPECT_EQ(data, (std::vector<std::uint8_t>{1, 2, 3}));
}

} // namespace

// ---------------------------------------------------------------- long work

TEST(Background, WorkCompletesOffTheWindowsThreadAndCancelReturnsAtOnce) {
  const auto window = std::this_thread::get_id();
  std::thread::id ranOn;
  EXPECT_TRUE(RunInBackground(nullptr, QStringLiteral("Working"), [&](const WorkControl& c) {
    ranOn = std::this_thread::get_id();
    c.Progress(0.5);
  }));
  EXPECT_NE(ranOn, window);

  // A long work: the progress dialog comes after its delay, and Cancel returns at once; the
  // work sees the cancel and ends on its own.
  auto stopped = std::make_shared<std::atomic<bool>>(false);
  bool dialogSeen = false;
  QTimer::singleShot(kProgressDelayMs * 4, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* p = qobject_cast<QProgressDialog*>(w);
          p && p->objectName() == QStringLiteral("backgroundProgress") && p->isVisible()) {
        dialogSeen = true;
        p->cancel();
      }
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(RunInBackground(nullptr, QStringLiteral("Working"), [stopped](const WorkControl& c) {
    for (int i = 0; i < 1000 && !c.Cancelled(); ++i) {
      c.Progress(i / 1000.0);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stopped->store(c.Cancelled());
  }));
  EXPECT_TRUE(dialogSeen);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  for (int i = 0; i < 200 && !stopped->load(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(stopped->load());
}
