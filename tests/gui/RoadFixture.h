// A real main window over a document, with the platform services and the
// message boxes scripted, files in a temporary folder, and the mouse work of
// the list windows (clicks on rows and headers, row drags).
#pragma once

#include "DlgKeys.h"
#include "FontManager.h"
#include "ListDlg.h"
#include "MainFrame.h"
#include "RecordingMessageSink.h"
#include "SettingsBridge.h"
#include "ShellFakes.h"
#include "TextFile.h"
#include "VestrelDoc.h"

#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <string>

// Two CAN messages: EngineData (standard identifier 256, 8 bytes, little
// endian, a switch "Mode" with a signal multiplexed at 3) and BrakeStatus
// (extended identifier 769, 4 bytes, one big-endian and one little-endian
// signal).
inline const char kVehicleDbc[] =
    "VERSION \"\"\n"
    "\n"
    "BU_: ECU GW\n"
    "\n"
    "BO_ 256 EngineData: 8 ECU\n"
    " SG_ EngineSpeed : 0|16@1+ (0.25,0) [0|16383.75] \"rpm\" GW\n"
    " SG_ CoolantTemp : 16|8@1- (1,-40) [-40|215] \"degC\" GW\n"
    " SG_ Mode M : 24|4@1+ (1,0) [0|15] \"\" GW\n"
    " SG_ ModeValue m3 : 28|4@1+ (1,0) [0|15] \"\" GW\n"
    "\n"
    "BO_ 2147484417 BrakeStatus: 4 GW\n"
    " SG_ BrakePressure : 7|16@0+ (0.1,0) [0|6553.5] \"bar\" ECU\n"
    " SG_ BrakeSwitch : 0|1@1+ (1,0) [0|1] \"\" ECU\n";

struct RoadFixture {
  RoadFixture() : env(dir.path().toStdString()) { settingsObj = settings::Create(dir.path().toStdString()); }
  ~RoadFixture() {
    frame.reset();
    settings::Destroy(settingsObj);
  }
  CMainFrame& Make(int width = 1000, int height = 600) {
    frame = std::make_unique<CMainFrame>(&doc, &fonts, settingsObj);
    if (!frame->Create()) qFatal("frame not created");
    frame->resize(width, height);
    frame->show();
    if (!QTest::qWaitForWindowExposed(frame.get())) qWarning("frame not exposed");
    frame->activateWindow();
    // Every road types and clicks into it: a frame that never becomes active
    // fails the test here, not at the first lost key.
    (void)vrtest::WaitActive(frame.get());
    return *frame;
  }
  CRefListDlg& Ref() { return *frame->RefList(); }
  CDefListDlg& Def() { return *frame->DefList(); }
  // A file of the temporary folder with these bytes; its path.
  std::string Write(const QString& name, const std::string& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write a fixture");
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
    return path.toStdString();
  }
  std::string Path(const QString& name) const { return dir.filePath(name).toStdString(); }
  // Opens a reference file through the button and the scripted file dialog.
  void OpenReference(const std::string& path) {
    dialogs.answers.push_back(path);
    QTest::mouseClick(Ref().Button(IDC_BTN_REFERENCE), Qt::LeftButton);
  }

  QTemporaryDir dir;
  FakeAppEnvironment env;
  FakeDesktop desktop;
  FakeFileDialogs dialogs;
  RecordingMessageSink sink;
  CVestrelDoc doc;
  CFontManager fonts;
  CAppSettings* settingsObj = nullptr;
  std::unique_ptr<CMainFrame> frame;
};

inline QPoint RowPoint(const CListCtrlEx& list, int row, bool lowerHalf = false) {
  const QRect r = list.GetItemRect(row);
  return QPoint(list.GetColumnWidth(0) + list.GetColumnWidth(1) + 10, lowerHalf ? r.bottom() - 1 : r.top() + 1);
}

inline void ClickRow(CListCtrlEx& list, int row, Qt::KeyboardModifiers modifiers = {}) {
  QTest::mouseClick(list.viewport(), Qt::LeftButton, modifiers, RowPoint(list, row));
}

inline void ClickHeader(CListCtrlEx& list, int column) {
  QHeaderView* h = list.horizontalHeader();
  QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, QPoint(h->sectionViewportPosition(column) + 5, h->height() / 2));
}

// Presses on a row of `from`, moves in steps to `to` at `toPos` (viewport
// coordinates of `to`), and releases there.
inline void DragRows(CListCtrlEx& from, int row, QWidget* to, const QPoint& toPos) {
  QWidget* vp = from.viewport();
  const QPoint start = RowPoint(from, row);
  QTest::mousePress(vp, Qt::LeftButton, {}, start);
  QTest::mouseMove(vp, start + QPoint(0, 12));
  QTest::mouseMove(vp, start + QPoint(0, 24));
  const QPoint end = vp->mapFromGlobal(to->mapToGlobal(toPos));
  QTest::mouseMove(vp, end);
  QTest::mouseRelease(vp, Qt::LeftButton, {}, end);
}

inline QStringList Column(const CListCtrlEx& list, int col) {
  QStringList out;
  for (int r = 0; r < list.GetItemCount(); ++r) out << list.GetItemText(r, col);
  return out;
}

inline std::string ReadBytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return std::string("<unreadable>");
  return f.readAll().toStdString();
}

// `n` definition rows "S0".."S<n-1>" of a new message, straight in the
// document, and the definition list refilled.
inline void FillDefinitions(RoadFixture& fx, int n, const char* message = "M") {
  _CANMsg* m = fx.doc.AllocCanMsg();
  CopyToCharBuffer(m->name, message, MAX_NAME_LEN);
  m->id = static_cast<int>(fx.doc.GetCanMsgTable(LIST_DEFINITION).size()) + 5;
  m->byteCount = 8;
  fx.doc.AddCanMsg(m, LIST_DEFINITION);
  for (int i = 0; i < n; ++i) {
    _CANSignal* s = fx.doc.AllocCanSignal();
    CopyToCharBuffer(s->name, ("S" + std::to_string(i)).c_str(), MAX_NAME_LEN);
    s->loadNo = i;
    fx.doc.AddCanSignal(m, s);
  }
  fx.Def().RefreshList();
}
