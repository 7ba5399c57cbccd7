// Every control of every definition dialog reaches its model through the
// dialog's one wiring table: a control the user can change but the table
// leaves out is found as soon as the dialog is built.
#include "CanDlg.h"
#include "FlexRayDlg.h"
#include "J1939Dlg.h"
#include "LinDlg.h"
#include "LogicDlg.h"
#include "MsgDlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

#include <functional>
#include <memory>

namespace {

// A dialog whose table leaves out what the caller says.
class PartlyWiredDlg : public CMsgDlg {
 public:
  PartlyWiredDlg(bool wireEdit, bool wireRadio, bool wireCombo) : CMsgDlg(131, nullptr) {
    SetCtrlId(new QLineEdit(this), 1016);
    SetCtrlId(new QRadioButton(this), 1028);
    SetCtrlId(new QComboBox(this), 1017);
    MakeButton(1);
    MakeButton(2);
    std::vector<CtrlWire> wires;
    if (wireEdit) wires.push_back({1016, [](int) {}});
    if (wireRadio) wires.push_back({1028, [](int) {}});
    if (wireCombo) wires.push_back({1017, kReadByOk});
    WireControls(std::move(wires));
  }
};

}  // namespace

class WiringTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void everyControlOfEveryDialogIsWired() {
    struct Row {
      const char* dialog;
      std::function<std::unique_ptr<CMsgDlg>()> make;
    };
    const Row rows[] = {
        {"CAN", [] { return std::make_unique<CCanDlg>(); }},
        {"J1939", [] { return std::make_unique<CJ1939Dlg>(); }},
        {"FlexRay", [] { return std::make_unique<CFlexRayDlg>(); }},
        {"LIN", [] { return std::make_unique<CLinDlg>(); }},
        {"LOGIC", [] { return std::make_unique<CLogicDlg>(); }},
    };
    for (const Row& r : rows) {
      const std::unique_ptr<CMsgDlg> dlg = r.make();
      QString unwired;
      for (int id : dlg->UnwiredControls()) unwired += QString::number(id) + QLatin1Char(' ');
      QVERIFY2(unwired.isEmpty(), qPrintable(QStringLiteral("%1: %2").arg(QLatin1String(r.dialog), unwired)));
    }
  }

  // A control of every kind left out of the table is reported; a row that
  // says OK reads the value counts as wired; OK and Cancel wire themselves.
  void aControlLeftOutIsReported() {
    struct Row {
      const char* rule;
      bool edit, radio, combo;
      std::vector<int> unwired;
    };
    const Row rows[] = {
        {"all wired", true, true, true, {}},
        {"an edit field left out", false, true, true, {1016}},
        {"a radio button left out", true, false, true, {1028}},
        {"a combo box left out", true, true, false, {1017}},
    };
    for (const Row& r : rows) {
      for (int id : r.unwired)
        QTest::ignoreMessage(QtCriticalMsg,
                             qPrintable(QStringLiteral("dialog 131: control %1 reaches no model").arg(id)));
      PartlyWiredDlg dlg(r.edit, r.radio, r.combo);
      QVERIFY2(dlg.UnwiredControls() == r.unwired, r.rule);
    }
  }
};

QTEST_MAIN(WiringTest)
#include "WiringTest.moc"
