// Every large allocation of a load and of a switch of bus kind, through the
// real list windows, fails once in turn: no std::bad_alloc leaves a handler;
// either nothing changed and the user hears that memory ran out, or both
// lists show exactly the rows of their tables for the kind on show.
#include "DocFill.h"
#include "FailingNew.h"
#include "ListModel.h"
#include "ListRows.h"
#include "MsgIds.h"
#include "ResIds.h"
#include "RoadFixture.h"

#include <new>

namespace {

// Above what the toolkit takes with new; the rows tables and file texts
// below are larger.
constexpr std::size_t kBig = 8 * 1024;

// A CANdb file of 1000 signals; `tag` makes its names its own.
std::string CanDb(const std::string& tag) {
  std::string dbc;
  for (int m = 0; m < 100; ++m) {
    dbc += "BO_ " + std::to_string(100 + m) + " " + tag + std::to_string(m) + ": 8 N\n";
    for (int s = 0; s < 10; ++s)
      dbc += " SG_ " + tag + std::to_string(m) + "_" + std::to_string(s) + " : " + std::to_string(s) +
             "|1@1+ (1,0) [0|1] \"\" N\n";
  }
  return dbc;
}

// A LIN description file of 480 signals.
std::string LinDescription() {
  std::string signals, frames;
  for (int f = 0; f < 60; ++f) {
    frames += " F" + std::to_string(f) + ": " + std::to_string(f) + ", M, 8 {\n";
    for (int s = 0; s < 8; ++s) {
      const std::string name = "L" + std::to_string(f) + "_" + std::to_string(s);
      signals += " " + name + ": 8, 0, M;\n";
      frames += " " + name + ", " + std::to_string(s * 8) + ";\n";
    }
    frames += " }\n";
  }
  return "LIN_description_file;\nLIN_protocol_version = \"2.1\";\nSignals {\n" + signals + "}\nFrames {\n" + frames +
         "}\n";
}

// A definition file of 500 CAN signals and 400 LIN signals.
std::string Definitions(const std::string& tag) {
  CVestrelDoc doc;
  for (int f = 0; f < 50; ++f) {
    _LINMsg* msg = doc.AllocLinMsg();
    CopyToCharBuffer(msg->name, (tag + "L" + std::to_string(f)).c_str(), MAX_NAME_LEN);
    msg->id = f;
    msg->byteCount = 8;
    doc.AddLinMsg(msg, LIST_DEFINITION);
    for (int s = 0; s < 8; ++s) {
      _LINSignal* sig = doc.AllocLinSignal();
      CopyToCharBuffer(sig->name, (tag + "L" + std::to_string(f) + "_" + std::to_string(s)).c_str(), MAX_NAME_LEN);
      sig->startBit = s * 8;
      sig->bitCount = 8;
      doc.AddLinSignal(msg, sig);
    }
  }
  for (int m = 0; m < 50; ++m) {
    _CANMsg* msg = AddCan(doc, LIST_DEFINITION, (tag + std::to_string(m)).c_str(), 0x100 + m);
    for (int s = 0; s < 10; ++s) {
      _CANSignal* sig = AddCanSig(doc, msg, (tag + std::to_string(m) + "_" + std::to_string(s)).c_str(), -1);
      sig->startBit = s;
      sig->bitCount = 1;
    }
  }
  return doc.BuildSblText(LIST_DEFINITION);
}

QStringList Shown(const CListCtrlEx& list) {
  QStringList out;
  for (int r = 0; r < list.GetItemCount(); ++r)
    for (int c = 0; c < list.GetColumnCount(); ++c) out << list.GetItemText(r, c);
  return out;
}

// What a list should show: the rows of its tables for the kind, in full.
QStringList Built(const CVestrelDoc& doc, ListKind list, int bus) {
  QStringList out;
  for (const ListRow& row : BuildListRows(doc, list, static_cast<BusKind>(bus), doc.GetMsgIdFormat()))
    for (std::size_t c = 0; c < ListColumns(bus).size(); ++c) out << CellToQString(row.Cell(static_cast<int>(c)));
  return out;
}

// What a failed step must leave as it was.
struct Before {
  int bus;
  QStringList ref, def;
  std::string refText, defText, refPath, defPath;
  bool operator==(const Before&) const = default;
};

Before Take(RoadFixture& fx) {
  return {fx.frame->BusKind(),
          Shown(fx.Ref().List()),
          Shown(fx.Def().List()),
          fx.doc.BuildSblText(LIST_REFERENCE),
          fx.doc.BuildSblText(LIST_DEFINITION),
          fx.Ref().FilePath(),
          fx.Def().FilePath()};
}

}  // namespace

class WindowsOutOfMemoryTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everyLoadAndSwitchEndsWholeOrUnchanged() {
    struct Step {
      const char* what;
      QString file;  // the file the command's dialog answers; none for a switch
      std::string text;
      int command;
      int busAfter;
    };
    const Step steps[] = {
        {"a CANdb file by the reference button", "other.dbc", CanDb("Other"), ID_FILE_REFERENCE, BUS_CAN},
        {"a definition file by Open", "other.sbl", Definitions("Other"), ID_FILE_OPEN_DEFINITIONS, BUS_CAN},
        {"a LIN description file, which switches both lists", "bus.ldf", LinDescription(), ID_FILE_REFERENCE, BUS_LIN},
        {"the LIN command of the toolbar", {}, {}, ID_BUS_LIN, BUS_LIN},
    };
    for (const Step& step : steps) {
      bool fired = true;
      long n = 0;
      for (; fired && n < 1000; ++n) {
        RoadFixture fx;
        fx.Make();
        fx.dialogs.answers.push_back(fx.Write("defs.sbl", Definitions("Def")));
        fx.frame->OnCommand(ID_FILE_OPEN_DEFINITIONS);
        fx.OpenReference(fx.Write("vehicle.dbc", CanDb("Ref")));
        QCOMPARE(fx.frame->BusKind(), BUS_CAN);
        QCOMPARE(fx.Ref().List().GetItemCount(), 1000);
        QCOMPARE(fx.Def().List().GetItemCount(), 500);
        const std::string file = step.file.isEmpty() ? std::string() : fx.Write(step.file, step.text);
        if (!file.empty()) fx.dialogs.answers.push_back(file);
        const Before before = Take(fx);
        fx.sink.shown.clear();
        const QByteArray where = QByteArray(step.what) + ", large allocation " + QByteArray::number(n);

        ArmBig(kBig, n);
        bool escaped = false;
        try {
          fx.frame->OnCommand(step.command);
        } catch (const std::bad_alloc&) {
          escaped = true;
        }
        fired = DisarmBig();
        QVERIFY2(!escaped, where.constData());

        if (fx.sink.Ids() == std::vector<int>{IDS_MSG_NO_MEMORY}) {
          QVERIFY2(Take(fx) == before, where.constData());
          continue;
        }
        QVERIFY2(fx.sink.shown.empty(), where.constData());
        QCOMPARE(fx.frame->BusKind(), step.busAfter);
        QVERIFY(file.empty() || fx.Ref().FilePath() == file || fx.Def().FilePath() == file);
        for (CListDlg* list : {static_cast<CListDlg*>(&fx.Ref()), static_cast<CListDlg*>(&fx.Def())}) {
          QCOMPARE(list->List().GetColumnCount(), static_cast<int>(ListColumns(step.busAfter).size()));
          QVERIFY2(Shown(list->List()) == Built(fx.doc, static_cast<ListKind>(list->ListKind()), step.busAfter),
                   where.constData());
        }
      }
      QVERIFY2(n > 1, step.what);   // some large allocation failed
      QVERIFY2(!fired, step.what);  // and the step completed in the end
    }
  }
};

QTEST_MAIN(WindowsOutOfMemoryTest)
#include "WindowsOutOfMemoryTest.moc"
