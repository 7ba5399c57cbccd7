// Start-up: one program per user, the interface language, settings read at
// start and written at exit (never by a second start).
#include "AboutDlg.h"
#include "MainFrame.h"
#include "QtMessageSink.h"
#include "RecordingMessageSink.h"
#include "ResIds.h"
#include "Resources.h"
#include "ShellFakes.h"
#include "SingleInstance.h"
#include "VestrelApp.h"
#include "VestrelDoc.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QTextDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QString TestChannel(const char* tag) {
  return QStringLiteral("MyVestrelClass-test-%1-%2").arg(::getpid()).arg(QString::fromLatin1(tag));
}

}  // namespace

class AppTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cleanup() { vrres::UseBuiltin(); }

  void languageChoice_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<bool>("libraryPresent");
    QTest::addColumn<QString>("tip");
    QTest::newRow("Japanese") << 1041 << "vestrel" << true << "定義追加";
    QTest::newRow("Japanese -lang e") << 1041 << "vestrel -lang e" << true << "Add definition";
    QTest::newRow("Japanese -LANG E") << 1041 << "vestrel -LANG E" << true << "定義追加";
    QTest::newRow("Chinese") << 2052 << "vestrel" << true << "添加定义";
    QTest::newRow("other") << 1033 << "vestrel" << true << "Add definition";
    QTest::newRow("other, library missing") << 1033 << "vestrel" << false << "定義追加";
  }
  void languageChoice() {
    QFETCH(int, language);
    QFETCH(QString, commandLine);
    QFETCH(bool, libraryPresent);
    QFETCH(QString, tip);
    QTemporaryDir settingsDir;
    QTemporaryDir emptyExeDir;
    FakeAppEnvironment env(libraryPresent ? std::string(VR_RCC_DIR) : emptyExeDir.path().toStdString());
    RecordingMessageSink sink;
    {
      CVestrelApp app;
      app.SetInstanceName(TestChannel("lang"));
      app.SetSettingsFolder(settingsDir.path().toStdString());
      app.SetUiLanguage(language);
      QVERIFY(app.InitInstance(commandLine.toStdString()));
      QCOMPARE(vrres::LoadString(IDS_TIP_ADD_DEFINITION), tip);
      QCOMPARE(app.GetMainFrame()->windowTitle(), QStringLiteral("Vestrel"));
      QVERIFY(app.GetMainFrame()->isVisible());
      app.GetMainFrame()->close();
      app.ExitInstance();
    }
    QVERIFY(sink.shown.empty());
  }

  void secondStartRaisesTheFirstAndWritesNothing() {
    QTemporaryDir first, second;
    FakeAppEnvironment env(VR_RCC_DIR);
    CVestrelApp app1;
    app1.SetInstanceName(TestChannel("single"));
    app1.SetSettingsFolder(first.path().toStdString());
    app1.SetUiLanguage(1041);
    QVERIFY(app1.InitInstance("vestrel"));
    CMainFrame* frame = app1.GetMainFrame();
    frame->showMinimized();
    QTRY_VERIFY(frame->isMinimized());

    {
      CVestrelApp app2;
      app2.SetInstanceName(TestChannel("single"));
      app2.SetSettingsFolder(second.path().toStdString());
      QVERIFY(!app2.InitInstance("vestrel /tmp/some.sbl"));
      QVERIFY(app2.GetSettings() == nullptr);
      QVERIFY(app2.GetMainFrame() == nullptr);
      app2.ExitInstance();
    }
    QTRY_VERIFY(!frame->isMinimized());
    QVERIFY(frame->isVisible());
    QVERIFY(!QFile::exists(second.filePath(QStringLiteral("Default.xml"))));

    frame->close();
    app1.ExitInstance();
    QVERIFY(QFile::exists(first.filePath(QStringLiteral("Default.xml"))));
  }

  void channelIsFreeAgainAfterTheFirstEnds() {
    const QString name = TestChannel("free");
    {
      CSingleInstance a(name);
      QVERIFY(!a.AskRunningInstance(200));
      QVERIFY(a.Listen());
      CSingleInstance b(name);
      QVERIFY(!b.Listen());
      QSignalSpy raised(&a, &CSingleInstance::raiseRequested);
      QVERIFY(b.AskRunningInstance(1000));
      QTRY_COMPARE(raised.count(), 1);
    }
    CSingleInstance c(name);
    QVERIFY(!c.AskRunningInstance(200));
    QVERIFY(CSingleInstance::DefaultName().startsWith(QStringLiteral("MyVestrelClass-")));
  }

  void aboutBoxShowsTheVersionLine() {
    FakeAppEnvironment env(VR_RCC_DIR);
    env.version = BuildVersionInfo(1, 6, 0, 0);
    {
      CAboutDlg dlg;
      QCOMPARE(dlg.VersionLineText(), QStringLiteral("Vestrel Version 1.60"));
      QCOMPARE(dlg.SecondLineText(), vrres::LoadString(IDS_ABOUT_SECOND_LINE));
      QCOMPARE(dlg.windowTitle(), QStringLiteral("バージョン情報"));
    }
    env.version = BuildVersionInfo(2, 1, 3, 9);
    env.version.specialBuild = "beta";
    CAboutDlg dlg;
    QCOMPARE(dlg.VersionLineText(), QStringLiteral("Vestrel Version 2.13 beta"));
  }

  void messageBoxShowsTheTextOfTheActiveLanguage() {
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc")));
    CQtMessageSink sink;
    QString seenText, seenTitle;
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seenText = box->text();
      seenTitle = box->windowTitle();
      box->button(QMessageBox::No)->click();
    });
    QCOMPARE(sink.Show(IDS_ASK_OVERWRITE, {"/tmp/a.sbl"}, MsgButtons::YesNo, MsgIcon::Warning), int(MSG_NO));
    QCOMPARE(seenText, QStringLiteral("/tmp/a.sbl already exists. Overwrite it?"));
    QCOMPARE(seenTitle, QStringLiteral("Vestrel"));
    QTimer::singleShot(0, this, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
        box->button(QMessageBox::Ok)->click();
    });
    QCOMPARE(sink.Show(IDS_MSG_BYTEORDER_CHANGE, {}, MsgButtons::OkCancel, MsgIcon::Question), int(MSG_OK));
  }

  // A name is shown as it stands, never read as markup: a file name may hold
  // a tag or an entity as well as any other text.
  void messageBoxShowsANameAsItStands_data() {
    QTest::addColumn<QString>("name");
    QTest::newRow("a tag") << QStringLiteral("/tmp/<b>defs</b>.sbl");
    QTest::newRow("a line break tag") << QStringLiteral("/tmp/a<br>b.sbl");
    QTest::newRow("an entity") << QStringLiteral("/tmp/a&lt;b.sbl");
  }

  void messageBoxShowsANameAsItStands() {
    QFETCH(QString, name);
    QVERIFY(vrres::LoadLanguageLibrary(QStringLiteral(VR_RCC_DIR "/VrEngRc.rcc")));
    CQtMessageSink sink;
    QString seenText;
    bool readAsMarkup = true;
    QTimer::singleShot(0, this, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        seenText = label->text();
        // As the label itself decides whether to render markup.
        readAsMarkup = label->textFormat() == Qt::RichText ||
                       (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(seenText));
      }
      box->button(QMessageBox::No)->click();
    });
    QCOMPARE(sink.Show(IDS_ASK_OVERWRITE, {name.toStdString()}, MsgButtons::YesNo, MsgIcon::Warning), int(MSG_NO));
    QCOMPARE(seenText, name + QStringLiteral(" already exists. Overwrite it?"));
    QVERIFY(!readAsMarkup);
  }

  void everyStartIsAnEmptyDocumentWithTheSavedFormat() {
    QTemporaryDir dir;
    FakeAppEnvironment env(VR_RCC_DIR);
    QFile file(dir.filePath(QStringLiteral("Default.xml")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "<VestrelSettings>\r\n<Version>1.2</Version>\r\n<Type>2</Type>\r\n<ShowCmd>1</ShowCmd>\r\n"
        "<MsgIdFrm>1</MsgIdFrm>\r\n</VestrelSettings>\r\n");
    file.close();
    CVestrelApp app;
    app.SetInstanceName(TestChannel("doc"));
    app.SetSettingsFolder(dir.path().toStdString());
    app.SetUiLanguage(1041);
    QVERIFY(app.InitInstance("vestrel /tmp/defs.sbl"));
    CVestrelDoc* doc = app.GetDocument();
    QCOMPARE(doc->GetMsgIdFormat(), 1);
    QVERIFY(!doc->IsDefModified());
    QCOMPARE(doc->CountCanSignals(LIST_DEFINITION) + doc->CountLogicSymbols(LIST_DEFINITION), 0);
    QCOMPARE(app.GetMainFrame()->BusKind(), 2);
    app.GetMainFrame()->OnCommand(ID_BUS_LIN);
    app.GetMainFrame()->close();
    app.ExitInstance();
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    QVERIFY(written.contains("<Type>3</Type>"));
    QVERIFY(written.contains("<MsgIdFrm>1</MsgIdFrm>"));
  }
};

QTEST_MAIN(AppTest)
#include "AppTest.moc"
