// The J1939 identifier dialog through its window, headless.
#include "DlgKeys.h"
#include "EditINT.h"
#include "J1939Dlg.h"

#include <QPushButton>
#include <QTest>

namespace {

struct Shown {
  QString priority, pgn, destination, source;
  bool destinationEnabled;
};

Shown Fields(const CJ1939Dlg& dlg) {
  return {dlg.PriorityEdit()->text(), dlg.PgnEdit()->text(), dlg.DestinationEdit()->text(), dlg.SourceEdit()->text(),
          dlg.DestinationEdit()->isEnabled()};
}

void Open(CJ1939Dlg& dlg, std::uint32_t id, int hexFlag) {
  dlg.SetId(id);
  dlg.SetHexFlag(hexFlag);
  dlg.SetMessageName("EEC1");
  dlg.SetAnchor(QRect(100, 100, 500, 400));
  (void)vrtest::ShowActive(dlg);
}

QPushButton* Button(CJ1939Dlg& dlg, int id) { return qobject_cast<QPushButton*>(dlg.GetDlgItem(id)); }

}  // namespace

class J1939DlgTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void opensWithTheSplitIdentifier() {
    struct Case {
      std::uint32_t id;
      int hex;
      Shown shown;
      const char* title;
    };
    const Case cases[] = {
        {0x18EA00FE, 1, {"6", "EA00", "0", "FE", true}, "Message 'EEC1 (18EA00FE)'"},
        {0x18FEF100, 0, {"6", "65265", "255", "0", false}, "Message 'EEC1 (419361024)'"},
    };
    for (const Case& c : cases) {
      CJ1939Dlg dlg;
      Open(dlg, c.id, c.hex);
      const Shown s = Fields(dlg);
      QCOMPARE(s.priority, c.shown.priority);
      QCOMPARE(s.pgn, c.shown.pgn);
      QCOMPARE(s.destination, c.shown.destination);
      QCOMPARE(s.source, c.shown.source);
      QCOMPARE(s.destinationEnabled, c.shown.destinationEnabled);
      QCOMPARE(dlg.windowTitle(), QString::fromLatin1(c.title));
      QCOMPARE(dlg.pos(), QPoint(120, 167));
    }
  }

  void okGivesTheIdentifierBackAndCancelKeepsIt() {
    CJ1939Dlg dlg;
    Open(dlg, 0x18FEF100, 1);
    QTest::mouseClick(Button(dlg, 1), Qt::LeftButton);
    QCOMPARE(dlg.result(), int(QDialog::Accepted));
    QCOMPARE(dlg.Id(), 0x18FEF100u);
    CJ1939Dlg cancelled;
    Open(cancelled, 0x18EA00FE, 1);
    cancelled.PgnEdit()->setFocus();
    QTest::keyClicks(cancelled.PgnEdit(), QStringLiteral("1"));
    QTest::mouseClick(Button(cancelled, 2), Qt::LeftButton);
    QCOMPARE(cancelled.result(), int(QDialog::Rejected));
    QCOMPARE(cancelled.Id(), 0x18EA00FEu);
  }

  void composesPgnDestinationSourceAndPriority() {
    CJ1939Dlg dlg;
    Open(dlg, 0x18EA00FE, 1);
    dlg.DestinationEdit()->setFocus();
    dlg.DestinationEdit()->selectAll();
    QTest::keyClicks(dlg.DestinationEdit(), QStringLiteral("12"));
    QTest::mouseClick(Button(dlg, 1), Qt::LeftButton);
    QCOMPARE(dlg.Id(), 0x18EA12FEu);
  }

  // Leaving the PGN field: a PF of 240 or more disables the destination and
  // shows 255; below 240 enables it and clears the PGN's low byte.
  void leavingThePgnFollowsItsFormat() {
    CJ1939Dlg dlg;
    Open(dlg, 0x18EA00FE, 1);
    dlg.PgnEdit()->setFocus();
    dlg.PgnEdit()->selectAll();
    QTest::keyClicks(dlg.PgnEdit(), QStringLiteral("F004"));
    QTest::keyClick(dlg.PgnEdit(), Qt::Key_Tab);
    QCOMPARE(dlg.DestinationEdit()->text(), QStringLiteral("FF"));
    QVERIFY(!dlg.DestinationEdit()->isEnabled());
    QCOMPARE(dlg.PgnEdit()->text(), QStringLiteral("F004"));
    dlg.PgnEdit()->setFocus();
    dlg.PgnEdit()->selectAll();
    QTest::keyClicks(dlg.PgnEdit(), QStringLiteral("EF55"));
    QTest::keyClick(dlg.PgnEdit(), Qt::Key_Tab);
    QVERIFY(dlg.DestinationEdit()->isEnabled());
    QCOMPARE(dlg.PgnEdit()->text(), QStringLiteral("EF00"));
  }

  // OK right after typing a PGN (its field never left) composes with the
  // format of that PGN.
  void okUsesTheFormatOfTheTypedPgn() {
    CJ1939Dlg dlg;
    Open(dlg, 0x18EA12FE, 1);
    dlg.PgnEdit()->setFocus();
    dlg.PgnEdit()->selectAll();
    QTest::keyClicks(dlg.PgnEdit(), QStringLiteral("FEF1"));
    Button(dlg, 1)->click();
    QCOMPARE(dlg.Id(), 0x18FEF1FEu);
  }

  void editsClampToTheirRanges() {
    CJ1939Dlg dlg;
    Open(dlg, 0, 1);
    for (auto [edit, typed, shown] :
         {std::tuple{dlg.PgnEdit(), "FFFFF", "3FFFF"}, std::tuple{dlg.PriorityEdit(), "9", "7"}}) {
      edit->setFocus();
      edit->selectAll();
      QTest::keyClicks(edit, QString::fromLatin1(typed));
      QTest::keyClick(edit, Qt::Key_Tab);
      QCOMPARE(edit->text(), QString::fromLatin1(shown));
    }
  }
};

QTEST_MAIN(J1939DlgTest)
#include "J1939DlgTest.moc"
