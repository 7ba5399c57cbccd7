// The main road through the windows: a CANdb file opened in the reference
// list, rows selected with the mouse and added, the definition list sorted by
// a header click, saved through the file dialog, and the written file compared
// byte for byte with the definition file these steps must give. The main
// window is then grabbed to road.png (folder $VR_SHOT_DIR, else the build
// folder of the tests).
#include "ResIds.h"
#include "Resources.h"
#include "RoadFixture.h"

#include <QDir>

namespace {

// One element per line, CRLF, no indentation; an empty line before the first
// element and after the last. Messages and signals come in the order they
// were added; the load numbers follow the rows of the definition list as
// saved (sorted by signal name), and ModeValue's multiplexor is the load
// number of Mode.
const char* const kExpectedLines[] = {
    "",
    "<SBLVersion>1.2</SBLVersion>",
    "<Model>QK4200</Model>",
    "<CanSymbolTable>",
    "<MessageTotalNum>2</MessageTotalNum>",
    "<SignalTotalNum>5</SignalTotalNum>",
    "<Group>",
    "<Message>",
    "<MSGName>EngineData</MSGName>",
    "<FrameFormat>STD</FrameFormat>",
    "<MSGId>256</MSGId>",
    "<MSGBitSize>64</MSGBitSize>",
    "<J1939>OFF</J1939>",
    "</Message>",
    "<SignalNum>4</SignalNum>",
    "<Signal>",
    "<SIGName>EngineSpeed</SIGName>",
    "<BitOrder>MSB</BitOrder>",
    "<StartBit>0</StartBit>",
    "<BitSize>16</BitSize>",
    "<ByteOrder>LITTLE</ByteOrder>",
    "<ValueType>UNSIGNED</ValueType>",
    "<Unit>rpm</Unit>",
    "<Factor>2.500000e-01</Factor>",
    "<Offset>0.000000e+00</Offset>",
    "<Minimum>0.000000e+00</Minimum>",
    "<Maximum>1.638375e+04</Maximum>",
    "<SIGLoadNo>2</SIGLoadNo>",
    "<Multiplexor/>",
    "<MultiplexValue/>",
    "</Signal>",
    "<Signal>",
    "<SIGName>CoolantTemp</SIGName>",
    "<BitOrder>MSB</BitOrder>",
    "<StartBit>16</StartBit>",
    "<BitSize>8</BitSize>",
    "<ByteOrder>LITTLE</ByteOrder>",
    "<ValueType>SIGNED</ValueType>",
    "<Unit>degC</Unit>",
    "<Factor>1.000000e+00</Factor>",
    "<Offset>-4.000000e+01</Offset>",
    "<Minimum>-4.000000e+01</Minimum>",
    "<Maximum>2.150000e+02</Maximum>",
    "<SIGLoadNo>1</SIGLoadNo>",
    "<Multiplexor/>",
    "<MultiplexValue/>",
    "</Signal>",
    "<Signal>",
    "<SIGName>Mode</SIGName>",
    "<BitOrder>MSB</BitOrder>",
    "<StartBit>24</StartBit>",
    "<BitSize>4</BitSize>",
    "<ByteOrder>LITTLE</ByteOrder>",
    "<ValueType>UNSIGNED</ValueType>",
    "<Unit/>",
    "<Factor>1.000000e+00</Factor>",
    "<Offset>0.000000e+00</Offset>",
    "<Minimum>0.000000e+00</Minimum>",
    "<Maximum>1.500000e+01</Maximum>",
    "<SIGLoadNo>3</SIGLoadNo>",
    "<Multiplexor/>",
    "<MultiplexValue/>",
    "</Signal>",
    "<Signal>",
    "<SIGName>ModeValue</SIGName>",
    "<BitOrder>MSB</BitOrder>",
    "<StartBit>28</StartBit>",
    "<BitSize>4</BitSize>",
    "<ByteOrder>LITTLE</ByteOrder>",
    "<ValueType>UNSIGNED</ValueType>",
    "<Unit/>",
    "<Factor>1.000000e+00</Factor>",
    "<Offset>0.000000e+00</Offset>",
    "<Minimum>0.000000e+00</Minimum>",
    "<Maximum>1.500000e+01</Maximum>",
    "<SIGLoadNo>4</SIGLoadNo>",
    "<Multiplexor>3</Multiplexor>",
    "<MultiplexValue>3</MultiplexValue>",
    "</Signal>",
    "</Group>",
    "<Group>",
    "<Message>",
    "<MSGName>BrakeStatus</MSGName>",
    "<FrameFormat>XTD</FrameFormat>",
    "<MSGId>769</MSGId>",
    "<MSGBitSize>32</MSGBitSize>",
    "<J1939>OFF</J1939>",
    "</Message>",
    "<SignalNum>1</SignalNum>",
    "<Signal>",
    "<SIGName>BrakePressure</SIGName>",
    "<BitOrder>MSB</BitOrder>",
    "<StartBit>16</StartBit>",
    "<BitSize>16</BitSize>",
    "<ByteOrder>BIG</ByteOrder>",
    "<ValueType>UNSIGNED</ValueType>",
    "<Unit>bar</Unit>",
    "<Factor>1.000000e-01</Factor>",
    "<Offset>0.000000e+00</Offset>",
    "<Minimum>0.000000e+00</Minimum>",
    "<Maximum>6.553500e+03</Maximum>",
    "<SIGLoadNo>0</SIGLoadNo>",
    "<Multiplexor/>",
    "<MultiplexValue/>",
    "</Signal>",
    "</Group>",
    "</CanSymbolTable>",
    "",
};

std::string ExpectedFile() {
  std::string text;
  for (const char* line : kExpectedLines) text += std::string(line) + "\r\n";
  return text;
}

QString ShotPath() {
  const QByteArray dir = qgetenv("VR_SHOT_DIR");
  return QDir(dir.isEmpty() ? QStringLiteral(VR_TEST_RCC_DIR) : QString::fromLocal8Bit(dir)).filePath("road.png");
}

}  // namespace

class RoadTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void fromACanDbFileToASavedDefinitionFile() {
    RoadFixture fx;
    CMainFrame& f = fx.Make(1000, 560);
    const std::string dbc = fx.Write("vehicle.dbc", kVehicleDbc);
    const std::string saved = fx.Path("defs.sbl");

    // Reference, through the button and the file dialog.
    fx.OpenReference(dbc);
    QCOMPARE(fx.Ref().List().GetItemCount(), 6);

    // Rows 1 to 5 with a click and a shift-click, added by the button.
    CListCtrlEx& ref = fx.Ref().List();
    ClickRow(ref, 0);
    ClickRow(ref, 4, Qt::ShiftModifier);
    QTest::mouseClick(fx.Ref().Button(IDC_BTN_ADD_DEFINITION), Qt::LeftButton);
    CListCtrlEx& def = fx.Def().List();
    QCOMPARE(Column(def, 4), (QStringList{"EngineSpeed", "CoolantTemp", "Mode", "ModeValue", "BrakePressure"}));

    // Sorted by signal name: the save numbers the signals in this order.
    ClickHeader(def, 4);
    QCOMPARE(Column(def, 4), (QStringList{"BrakePressure", "CoolantTemp", "EngineSpeed", "Mode", "ModeValue"}));

    // Save with Ctrl+S; the name without extension gets ".sbl".
    fx.dialogs.answers.push_back(fx.Path("defs"));
    QTest::keyClick(&f, Qt::Key_S, Qt::ControlModifier);
    QVERIFY2(fx.sink.shown.empty(), "no message on the road");
    QCOMPARE(fx.dialogs.asked.back().filterText, vrres::LoadString(IDS_FILTER_SBL) + u'|');
    const std::string written = ReadBytes(saved);
    QCOMPARE(written, ExpectedFile());
    QVERIFY(!fx.doc.IsDefModified());
    QCOMPARE(fx.Def().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("defs.sbl"));
    QCOMPARE(fx.Ref().findChild<QLabel*>(QStringLiteral("fileName"))->text(), QStringLiteral("vehicle.dbc"));

    ClickRow(ref, 2);
    ClickRow(ref, 3, Qt::ShiftModifier);
    ClickRow(def, 3);
    QVERIFY(f.grab().save(ShotPath()));

    // The saved file comes back into the definition list with its rows.
    fx.dialogs.answers.push_back(saved);
    f.OnCommand(ID_FILE_OPEN_DEFINITIONS);
    QCOMPARE(Column(def, 4), (QStringList{"BrakePressure", "CoolantTemp", "EngineSpeed", "Mode", "ModeValue"}));
    QVERIFY(fx.sink.shown.empty());
  }
};

QTEST_MAIN(RoadTest)
#include "RoadTest.moc"
