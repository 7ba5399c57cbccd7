// One frame "FR" with its signals in a document's definition list, and the
// CAN, FlexRay or LIN dialog open on one of its signals in edit mode: the
// subject of every test whose row runs against all three dialogs.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "CanDlg.h"
#include "DlgKeys.h"
#include "FlexRayDlg.h"
#include "FrameDefs.h"
#include "LinDlg.h"
#include "RecordPicture.h"

namespace vrtest {

enum Bus { CAN, FLEXRAY, LIN };
inline const char* const kBusNames[] = {"CAN", "FlexRay", "LIN"};
inline constexpr Bus kEveryBus[] = {CAN, FLEXRAY, LIN};

struct EditedFrame {
  CVestrelDoc doc;
  std::unique_ptr<CMsgDlg> dlg;
  _SignalHead* sig = nullptr;
  std::function<int()> bytes;

  CMsgDlg& Dlg() const { return *dlg; }
  _SignalHead& Sig() const { return *sig; }
  Picture Stored() const { return Picture(doc, LIST_DEFINITION); }
  QWidget* Field(int id) const { return dlg->GetDlgItem(id); }
  QString Text(int id) const { return TextOf(Field(id)); }
  int Int(int id) const { return Text(id).toInt(); }
};

// `edited` names the signal the dialog opens on (the first one when null); a
// CAN frame with `j1939` is an extended J1939 message.
inline std::unique_ptr<EditedFrame> OpenEditedFrame(Bus bus, int bytes, const std::vector<FrameSig>& sigs,
                                                    const char* edited = nullptr, int j1939 = 0) {
  auto s = std::make_unique<EditedFrame>();
  CVestrelDoc& doc = s->doc;
  const std::string key = MakeUpperString(edited ? edited : sigs.front().name);
  const char* shownName = edited ? edited : sigs.front().name;
  if (bus == CAN) {
    _CANMsg* m = doc.AllocCanMsg();
    CopyToCharBuffer(m->name, "FR", MAX_NAME_LEN);
    m->byteCount = bytes;
    m->id = 0x100;
    m->j1939 = j1939;
    m->frameFormat = j1939 ? FRAME_XTD : FRAME_STD;
    m->frameType = bytes > 8 ? CANFRAME_FD : CANFRAME_CAN;
    AddFrameSignals(m, sigs, &CVestrelDoc::AllocCanSignal, doc, &CVestrelDoc::AddCanSignal);
    doc.AddCanMsg(m, LIST_DEFINITION);
    auto* dlg = new CCanDlg;
    dlg->SetMode(DLGMODE_EDIT);
    dlg->SetMessageTable(&doc.GetCanMsgTable(LIST_DEFINITION));
    _CANSignal* sig = m->signals.Find(key);
    dlg->SetTarget(m, sig);
    s->dlg.reset(dlg);
    s->sig = sig;
    s->bytes = [m] { return m->byteCount; };
    return s;
  }
  // The FlexRay and LIN dialogs differ only in their records and tables.
  auto aim = [&](auto* m, auto* dlg, auto& table) {
    auto* sig = m->signals.Find(key);
    dlg->SetTarget(m, sig);
    dlg->SetMessageTable(&table);
    dlg->SetEditedSignalName(shownName);
    dlg->SetMode(DLGMODE_EDIT);
    s->dlg.reset(dlg);
    s->sig = sig;
    s->bytes = [m] { return int(m->byteCount); };
  };
  if (bus == FLEXRAY)
    aim(AddFlexRayDef(doc, "FR", 3, bytes, 0, 1, sigs), new CFlexRayDlg, doc.GetFlexRayMsgTable(LIST_DEFINITION));
  else aim(AddLinDef(doc, "FR", 3, bytes, sigs), new CLinDlg, doc.GetLinMsgTable(LIST_DEFINITION));
  return s;
}

}  // namespace vrtest
