// Starts of the real program: where the main window opens, the toolkit's
// texts and the interface font of each language, the bus menu, the search
// history over restarts, and a start beside a program that holds the
// single-instance name without answering.
#include "ListDlg.h"
#include "ListRows.h"
#include "LockKeys.h"
#include "MainFrame.h"
#include "MessageBox.h"
#include "ResIds.h"
#include "Resources.h"
#include "SearchDlg.h"
#include "ShellFakes.h"
#include "VestrelApp.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

QString Channel(const char* tag) {
  return QStringLiteral("MyVestrelClass-starttest-%1-%2").arg(::getpid()).arg(QLatin1String(tag));
}

void WriteSettings(const QTemporaryDir& dir, const QByteArray& body) {
  QFile file(dir.filePath(QStringLiteral("Default.xml")));
  if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write the settings");
  file.write("<VestrelSettings>\r\n<Version>1.2</Version>\r\n<Type>0</Type>\r\n" + body + "</VestrelSettings>\r\n");
}

QByteArray ReadSettings(const QTemporaryDir& dir) {
  QFile file(dir.filePath(QStringLiteral("Default.xml")));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray WindowElement(long long left, long long top, long long right, long long bottom) {
  return QStringLiteral(
             "<Window>\r\n<Left>%1</Left>\r\n<Top>%2</Top>\r\n<Right>%3</Right>\r\n<Bottom>%4</Bottom>\r\n"
             "</Window>\r\n")
      .arg(left)
      .arg(top)
      .arg(right)
      .arg(bottom)
      .toLatin1();
}

// One start of the program on a settings folder, closed when it goes.
struct Start {
  Start(const QTemporaryDir& dir, const char* tag, int language = 1041, const char* commandLine = "vestrel")
      : env(VR_RCC_DIR) {
    app.SetInstanceName(Channel(tag));
    app.SetSettingsFolder(dir.path().toStdString());
    app.SetUiLanguage(language);
    started = app.InitInstance(commandLine);
    if (started && !QTest::qWaitForWindowExposed(app.GetMainFrame())) qWarning("main window not exposed");
  }
  ~Start() { Close(); }
  void Close() {
    if (!started) return;
    started = false;
    app.GetMainFrame()->close();
    app.ExitInstance();
  }
  CMainFrame& Frame() { return *app.GetMainFrame(); }

  FakeAppEnvironment env;
  CVestrelApp app;
  bool started = false;
};

// Holds the abstract socket name that QLocalServer would listen on, without
// listening: a later start can neither reach it nor take the name.
class SilentHolder {
 public:
  explicit SilentHolder(const QString& name) {
    const QByteArray full = QFile::encodeName(name);  // Qt 6.4 puts the bare name into the abstract namespace
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path + 1, full.constData(), static_cast<std::size_t>(full.size()));
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const auto size =
        static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + static_cast<std::size_t>(full.size()));
    bound_ = fd_ >= 0 && ::bind(fd_, reinterpret_cast<const sockaddr*>(&addr), size) == 0;
  }
  ~SilentHolder() {
    if (fd_ >= 0) ::close(fd_);
  }
  bool Bound() const { return bound_; }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void cleanup() { vrres::UseBuiltin(); }

  // A saved maximised window is maximised before the lists size their
  // columns, so the columns fill the maximised list; the normal rectangle
  // survives for the next start.
  void maximisedPlacementAppliesBeforeTheColumnsAreSized() {
    QTemporaryDir dir;
    WriteSettings(dir, WindowElement(100, 80, 420, 330) + "<ShowCmd>3</ShowCmd>\r\n<MsgIdFrm>0</MsgIdFrm>\r\n");
    {
      Start start(dir, "max");
      QVERIFY(start.started);
      CMainFrame& frame = start.Frame();
      QTRY_VERIFY(frame.isMaximized());
      CListCtrlEx& list = frame.RefList()->List();
      const std::vector<int> widths = ListColumnWidths(BUS_CAN, list.width());
      QCOMPARE(list.GetColumnCount(), static_cast<int>(widths.size()));
      // Within a few pixels: the frame's own margins may still change.
      for (int c = 0; c < list.GetColumnCount(); ++c)
        QVERIFY2(std::abs(list.GetColumnWidth(c) - widths[static_cast<std::size_t>(c)]) <= 4,
                 qPrintable(QStringLiteral("column %1: %2 for %3")
                                .arg(c)
                                .arg(list.GetColumnWidth(c))
                                .arg(widths[static_cast<std::size_t>(c)])));
    }
    const QByteArray written = ReadSettings(dir);
    QVERIFY(written.contains(WindowElement(100, 80, 420, 330)));
    QVERIFY(written.contains("<ShowCmd>3</ShowCmd>"));
  }

  // A rectangle on no screen comes onto the nearest one; edges at the ends
  // of the int range are read without overflow.
  void savedRectangleOffEveryScreenMovesOntoOne_data() {
    QTest::addColumn<qlonglong>("left");
    QTest::addColumn<qlonglong>("top");
    QTest::addColumn<qlonglong>("right");
    QTest::addColumn<qlonglong>("bottom");
    QTest::newRow("detached monitor") << 5000LL << 4000LL << 5600LL << 4400LL;
    QTest::newRow("left at the int minimum") << -2147483648LL << 0LL << 500LL << 400LL;
    QTest::newRow("all at the ends") << -2147483648LL << -2147483648LL << 2147483647LL << 2147483647LL;
  }
  void savedRectangleOffEveryScreenMovesOntoOne() {
    QFETCH(qlonglong, left);
    QFETCH(qlonglong, top);
    QFETCH(qlonglong, right);
    QFETCH(qlonglong, bottom);
    QTemporaryDir dir;
    WriteSettings(dir, WindowElement(left, top, right, bottom) + "<ShowCmd>1</ShowCmd>\r\n");
    Start start(dir, "offscreen");
    QVERIFY(start.started);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect placed = start.Frame().geometry();
    QVERIFY2(
        area.intersects(placed) && placed.width() <= area.width() && placed.height() <= area.height(),
        qPrintable(
            QStringLiteral("%1,%2 %3x%4").arg(placed.x()).arg(placed.y()).arg(placed.width()).arg(placed.height())));
  }

  // The four bus kinds are one exclusive group, in the menu and on the
  // toolbar.
  void busKindItemsAreOneExclusiveGroup() {
    QTemporaryDir dir;
    Start start(dir, "bus");
    QVERIFY(start.started);
    CMainFrame& frame = start.Frame();
    QActionGroup* menuGroup = nullptr;
    for (QAction* a : frame.Actions(ID_BUS_CAN)) {
      QVERIFY(a->actionGroup());
      QVERIFY(a->actionGroup()->isExclusive());
      if (!frame.ToolBar()->actions().contains(a)) menuGroup = a->actionGroup();
    }
    QVERIFY(menuGroup);
    QCOMPARE(menuGroup->actions().size(), 4);
    for (QAction* a : menuGroup->actions()) QCOMPARE(a->isChecked(), a->data().toInt() == ID_BUS_CAN);
    frame.OnCommand(ID_BUS_LIN);
    for (QAction* a : menuGroup->actions()) QCOMPARE(a->isChecked(), a->data().toInt() == ID_BUS_LIN);
    // Choosing the current kind again keeps its mark.
    for (QAction* a : frame.Actions(ID_BUS_LIN))
      if (menuGroup->actions().contains(a)) a->trigger();
    QVERIFY(menuGroup->checkedAction() && menuGroup->checkedAction()->data().toInt() == ID_BUS_LIN);
  }

  // The lock panes show their texts while the keys are on, and stay empty
  // where the platform cannot tell (the headless platform here).
  void lockIndicatorsFollowTheLockKeys() {
    struct FakeLocks : ILockKeys {
      LockKeyStates states;
      LockKeyStates Read() override { return states; }
    } fake;
    QTemporaryDir dir;
    Start start(dir, "locks");
    QVERIFY(start.started);
    CMainFrame& frame = start.Frame();
    auto panes = [&frame] {
      QStringList texts;
      for (int id : {IDS_INDICATOR_CAPS, IDS_INDICATOR_NUM, IDS_INDICATOR_SCRL})
        texts << frame.findChild<QLabel*>(QStringLiteral("indicator%1").arg(id))->text();
      return texts;
    };
    QCOMPARE(panes(), (QStringList{"", "", ""}));
    SetLockKeys(&fake);
    fake.states = LockKeyStates{true, true, false, true};
    QTest::keyRelease(&frame, Qt::Key_CapsLock);
    QCOMPARE(panes(), (QStringList{"CAP", "", "SCRL"}));
    fake.states.num = true;
    QTest::keyRelease(&frame, Qt::Key_A);  // other keys do not ask
    QCOMPARE(panes(), (QStringList{"CAP", "", "SCRL"}));
    QTest::keyRelease(&frame, Qt::Key_NumLock);
    QCOMPARE(panes(), (QStringList{"CAP", "NUM", "SCRL"}));
    fake.states.known = false;  // a platform that cannot tell
    QTest::keyRelease(&frame, Qt::Key_ScrollLock);
    QCOMPARE(panes(), (QStringList{"", "", ""}));
    SetLockKeys(nullptr);
  }

  // The toolkit's own buttons and the interface font follow the language.
  void toolkitTextsAndFontFollowTheLanguage_data() {
    QTest::addColumn<int>("language");
    QTest::addColumn<QString>("commandLine");
    QTest::addColumn<QString>("yes");
    QTest::addColumn<QString>("face");
    QTest::newRow("Japanese") << 1041 << "vestrel" << QStringLiteral("はい") << QStringLiteral("Noto Sans CJK JP");
    QTest::newRow("Chinese") << 2052 << "vestrel" << QStringLiteral("是") << QStringLiteral("Noto Sans CJK SC");
    QTest::newRow("English") << 1041 << "vestrel -lang e" << QStringLiteral("Yes") << QString();
  }
  void toolkitTextsAndFontFollowTheLanguage() {
    QFETCH(int, language);
    QFETCH(QString, commandLine);
    QFETCH(QString, yes);
    QFETCH(QString, face);
    QTemporaryDir dir;
    {
      Start start(dir, "lang", language, qPrintable(commandLine));
      QVERIFY(start.started);
      QMessageBox box;
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      QVERIFY2(box.button(QMessageBox::Yes)->text().contains(yes), qPrintable(box.button(QMessageBox::Yes)->text()));
      // The file dialogs' own labels too ("Look in:" in English).
      QFileDialog files;
      files.setOption(QFileDialog::DontUseNativeDialog);
      files.show();
      auto* lookIn = files.findChild<QLabel*>(QStringLiteral("lookInLabel"));
      QVERIFY(lookIn);
      QCOMPARE(lookIn->text() == QStringLiteral("Look in:"), face.isEmpty());
      files.hide();
      const QFontInfo ui(QApplication::font());
      if (!face.isEmpty()) QCOMPARE(ui.family(), face);
      QVERIFY(!ui.fixedPitch());
      // The caption face of the list windows is a proportional one too.
      const QFontInfo caption(start.Frame().RefList()->Caption()->font());
      QVERIFY2(!caption.fixedPitch(), qPrintable(caption.family()));
      if (!face.isEmpty()) QCOMPARE(caption.family(), face);
    }
    // The program leaves the toolkit as it found it.
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes);
    QVERIFY(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("Yes")));
  }

  // The history comes back in its order after each of two restarts.
  void searchHistoryKeepsItsOrderOverTwoRestarts() {
    QTemporaryDir dir;
    auto history = [](CMainFrame& frame) {
      auto* dlg = dynamic_cast<CSearchDlg*>(frame.SearchWindow());
      QStringList texts;
      if (!dlg) return texts;
      for (int i = 0; i < dlg->Combo()->count(); ++i)
        if (!dlg->Combo()->itemText(i).isEmpty()) texts << dlg->Combo()->itemText(i);
      return texts;
    };
    {
      Start start(dir, "history1");
      auto* dlg = dynamic_cast<CSearchDlg*>(start.Frame().SearchWindow());
      QVERIFY(dlg);
      for (const char* text : {"oldest", "middle", "newest"}) dlg->Combo()->AddHistory(text);
      QCOMPARE(history(start.Frame()), (QStringList{"newest", "middle", "oldest"}));
    }
    for (const char* tag : {"history2", "history3"}) {
      Start start(dir, tag);
      QCOMPARE(history(start.Frame()), (QStringList{"newest", "middle", "oldest"}));
    }
  }

  // A start that can neither reach the running program nor take its name
  // runs, but leaves the settings file to the program that holds the name.
  void startBesideASilentHolderWritesNoSettings() {
    const char* tag = "silent";
    SilentHolder holder(Channel(tag));
    QVERIFY(holder.Bound());
    QTemporaryDir dir;
    const QByteArray before = "<VestrelSettings>\r\n<Version>1.2</Version>\r\n<Type>2</Type>\r\n</VestrelSettings>\r\n";
    {
      QFile file(dir.filePath(QStringLiteral("Default.xml")));
      QVERIFY(file.open(QIODevice::WriteOnly));
      file.write(before);
    }
    {
      Start start(dir, tag);
      QVERIFY(start.started);
      QVERIFY(!start.app.WritesSettings());
      QCOMPARE(start.Frame().BusKind(), 2);  // the settings were read
      start.Frame().OnCommand(ID_BUS_LIN);
    }
    QCOMPARE(ReadSettings(dir), before);
    // Without the holder the next start writes as usual.
    {
      Start start(dir, "free");
      QVERIFY(start.app.WritesSettings());
    }
    QVERIFY(ReadSettings(dir) != before);
  }
};

QTEST_MAIN(StartupTest)
#include "StartupTest.moc"
