// The program's message boxes through the real windows: a Yes/No question
// answers only with Yes or No (Esc and the close box do nothing), a box
// opens centred on the main window or on the dialog that raised it, and the
// toolkit's own texts follow the interface language.
#include "LinDlg.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ModalSteps.h"
#include "QtMessageSink.h"
#include "ResIds.h"
#include "Resources.h"
#include "ShellFakes.h"
#include "TextFile.h"
#include "VestrelApp.h"
#include "VestrelDoc.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <unistd.h>

namespace {

// Runs `act` on the next message box that opens, from inside its own loop,
// once it is the active window.
void OnNextBox(QObject* context, std::function<void(QMessageBox*)> act) {
  auto* timer = new QTimer(context);
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, context, [timer, act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    timer->stop();
    timer->deleteLater();
    // Keys reach the box only once it is the active window.
    if (!vrtest::WaitActive(box)) {
      box->reject();
      return;
    }
    act(box);
  });
  timer->start();
}

// Esc as the user types it: to the control that has the focus in the box.
void PressEscape(QMessageBox* box) {
  QWidget* target = box->focusWidget() ? box->focusWidget() : box;
  QTest::keyClick(target, Qt::Key_Escape);
}

int CentreDistance(const QWidget& a, const QWidget& b) {
  return (a.frameGeometry().center() - b.frameGeometry().center()).manhattanLength();
}

// A started program in Japanese with one modified CAN definition.
struct StartedApp {
  explicit StartedApp(const char* tag) : env(VR_RCC_DIR) {
    SetMessageSink(&sink);
    app.SetInstanceName(QStringLiteral("MyVestrelClass-shelltest-%1-%2").arg(::getpid()).arg(QLatin1String(tag)));
    app.SetSettingsFolder(dir.path().toStdString());
    app.SetUiLanguage(1041);
    if (!app.InitInstance("vestrel")) qFatal("program did not start");
    CVestrelDoc* doc = app.GetDocument();
    _CANMsg* m = doc->AllocCanMsg();
    CopyToCharBuffer(m->name, "EngineData", MAX_NAME_LEN);
    m->byteCount = 8;
    doc->AddCanMsg(m, LIST_DEFINITION);
    _CANSignal* s = doc->AllocCanSignal();
    CopyToCharBuffer(s->name, "Speed", MAX_NAME_LEN);
    s->bitCount = 8;
    doc->AddCanSignal(m, s);
    doc->SetDefModified(true);
    if (!QTest::qWaitForWindowExposed(app.GetMainFrame())) qWarning("main window not exposed");
  }
  ~StartedApp() {
    app.GetDocument()->SetDefModified(false);
    if (app.GetMainFrame()->isVisible()) app.GetMainFrame()->close();
    app.ExitInstance();
    SetMessageSink(nullptr);
  }
  CMainFrame& Frame() { return *app.GetMainFrame(); }

  QTemporaryDir dir;
  FakeAppEnvironment env;
  FakeFileDialogs dialogs;
  CQtMessageSink sink;
  CVestrelApp app;
};

}  // namespace

class MessageBoxTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cleanup() { vrres::UseBuiltin(); }

  // The close question keeps the unsaved work unless the user answers.
  void escapeAndCloseBoxDoNotAnswerTheCloseQuestion_data() {
    QTest::addColumn<bool>("answerYes");
    QTest::newRow("then No") << false;
    QTest::newRow("then Yes") << true;
  }
  void escapeAndCloseBoxDoNotAnswerTheCloseQuestion() {
    QFETCH(bool, answerYes);
    StartedApp started("esc");
    CMainFrame& frame = started.Frame();
    const std::string saved = started.dir.filePath(QStringLiteral("defs.sbl")).toStdString();
    started.dialogs.answers.push_back(saved);
    int boxes = 0;
    bool openAfterEscape = false, openAfterClose = false;
    OnNextBox(this, [&](QMessageBox* box) {
      ++boxes;
      PressEscape(box);
      openAfterEscape = box->isVisible();
      box->close();
      openAfterClose = box->isVisible();
      box->button(answerYes ? QMessageBox::Yes : QMessageBox::No)->click();
    });
    QVERIFY(frame.close());
    QCOMPARE(boxes, 1);
    QVERIFY(openAfterEscape);
    QVERIFY(openAfterClose);
    QVERIFY(!frame.isVisible());
    QCOMPARE(QFile::exists(QString::fromStdString(saved)), answerYes);
  }

  // Boxes with one answer, or with Cancel, still close with Esc.
  void escapeStillClosesOkAndOkCancelBoxes() {
    StartedApp started("okbox");
    OnNextBox(this, [](QMessageBox* box) { PressEscape(box); });
    QCOMPARE(ShowMessage(IDS_MSG_LOAD_FAILED, {}, MsgButtons::Ok, MsgIcon::Error), int(MSG_OK));
    OnNextBox(this, [](QMessageBox* box) { PressEscape(box); });
    QCOMPARE(ShowMessage(IDS_MSG_BYTEORDER_CHANGE, {}, MsgButtons::OkCancel, MsgIcon::Question), int(MSG_CANCEL));
  }

  // Errors, notices and questions open over the middle of the main window,
  // also when another window of the program is active.
  void boxesOpenCentredOnTheMainWindow_data() {
    QTest::addColumn<int>("id");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("active");  // 0 the main window, 1 another window, 2 none
    QTest::newRow("error") << int(IDS_MSG_LOAD_FAILED) << int(MsgButtons::Ok) << 0;
    QTest::newRow("question") << int(IDS_ASK_SAVE_ON_CLOSE) << int(MsgButtons::YesNo) << 0;
    QTest::newRow("error, another window active") << int(IDS_MSG_NO_DATA) << int(MsgButtons::Ok) << 1;
    QTest::newRow("question, another window active") << int(IDS_ASK_DELETE) << int(MsgButtons::YesNo) << 1;
    QTest::newRow("error, no window active") << int(IDS_MSG_LOAD_FAILED) << int(MsgButtons::Ok) << 2;
  }
  void boxesOpenCentredOnTheMainWindow() {
    QFETCH(int, id);
    QFETCH(int, buttons);
    QFETCH(int, active);
    StartedApp started("centre");
    CMainFrame& frame = started.Frame();
    frame.setGeometry(30, 40, 620, 420);
    QWidget other;
    if (active == 1) {
      other.setGeometry(560, 420, 200, 100);
      other.show();
      other.activateWindow();
      QVERIFY(QTest::qWaitForWindowActive(&other));
    } else if (active == 2) {
      QApplication::setActiveWindow(nullptr);
      QTRY_VERIFY(!QApplication::activeWindow());
    }
    int distance = -1;
    OnNextBox(this, [&](QMessageBox* box) {
      distance = CentreDistance(*box, frame);
      box->button(buttons == int(MsgButtons::YesNo) ? QMessageBox::No : QMessageBox::Ok)->click();
    });
    ShowMessage(id, {}, static_cast<MsgButtons>(buttons), MsgIcon::Error);
    QVERIFY2(distance >= 0 && distance <= 2, qPrintable(QString::number(distance)));
  }

  // A refusal of a definition dialog's OK opens over that dialog, not over
  // the main window far away.
  void dialogRefusalOpensCentredOnTheDialog() {
    StartedApp started("dialog");
    CMainFrame& frame = started.Frame();
    frame.setGeometry(30, 40, 620, 420);
    _LINMsg msg;
    _LINSignal sig;
    CLinDlg dlg(&frame);
    dlg.SetTarget(&msg, &sig);
    dlg.SetMessageTable(&started.app.GetDocument()->GetLinMsgTable(LIST_DEFINITION));
    dlg.SetMode(DLGMODE_NEW);
    dlg.SetAnchor(QRect(400, 300, 10, 10));
    dlg.show();
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QVERIFY(CentreDistance(dlg, frame) > 100);
    int distance = -1;
    OnNextBox(this, [&](QMessageBox* box) {
      distance = CentreDistance(*box, dlg);
      box->button(QMessageBox::Ok)->click();
    });
    // No frame name: OK refuses.
    QTest::mouseClick(dlg.GetDlgItem(1), Qt::LeftButton);
    QVERIFY2(distance >= 0 && distance <= 2, qPrintable(QString::number(distance)));
    QVERIFY(dlg.isVisible());
  }
};

QTEST_MAIN(MessageBoxTest)
#include "MessageBoxTest.moc"
