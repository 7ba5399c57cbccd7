// Any bytes read as a definition file into both lists; then every row of
// every bus kind is opened the way the lists open it, with the dialogs'
// models standing in for the windows and a user who changes nothing: each
// reference row is viewed, each definition row is edited and confirmed with
// OK, and a new definition picks every row the dialog offers and is then
// cancelled. No record may differ afterwards from what was read. An OK may
// refuse, but only with a message.
//
// What the fields do to a value on its way from the model to the screen and
// back (the ranges of the number fields, the normal form of the multiplex
// value) is done here as the fields do it, with the same value classes.
//
// FUZZ_DIALOGS_REPORT=1 prints each difference, and each refused OK with
// its message, and goes on instead of stopping at the first difference.
//
// An input that starts with dlgfuzz::kTypingMark is no definition file but
// a script for a user who types into the dialogs (TypingMode.cpp); one that
// starts with dlgfuzz::kViewTypingMark runs that script on the real dialog
// windows where the build has them (ViewTyping.cpp). All modes run in the
// one target.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "CanDlgModel.h"
#include "DefDialogs.h"
#include "DialogsFuzz.h"
#include "DocPoolTally.h"
#include "DoubleValue.h"
#include "FlexRayDlgModel.h"
#include "FuzzDoc.h"
#include "LinDlgModel.h"
#include "ListLogic.h"
#include "LogicDlgModel.h"
#include "MultiValue.h"
#include "RecordPicture.h"
#include "TextFile.h"
#include "VestrelDoc.h"

namespace {

using dlgfuzz::CanFields;
using dlgfuzz::Difference;
using dlgfuzz::FieldMinimum;
using dlgfuzz::OpenFrameModel;
using dlgfuzz::OpenModel;
using dlgfuzz::Prompt;
using dlgfuzz::ReportOnly;
using dlgfuzz::UpdateRefittedRows;
using vrtest::Picture;

constexpr int kMostViews = 100;
const char* const kModeNames[] = {"view", "new", "edit"};
const char* const kBusNames[] = {"CAN", "LOGIC", "FlexRay", "LIN"};  // by BusKind

class ModelDialogs : public IDefinitionDialogs {
 public:
  DefDialogResult RunCanDialog(const CanDialogRequest& r) override {
    CCanDlgModel model(r.messages, r.mode);
    OpenModel(model, r);
    CanFields fields;
    fields.Show(model, prompt);
    DefDialogResult result;
    result.hexFlag = model.HexFlag();
    if (r.mode == DLGMODE_NEW) {
      const CanDlgControls& c = model.Controls();
      for (std::size_t i = 0; i < c.msgNames.size(); ++i) {
        model.OnMessagePicked(static_cast<int>(i));
        fields.Show(model, prompt);
      }
      for (std::size_t i = 0; i < c.sigNames.size(); ++i) {
        model.OnSignalPicked(static_cast<int>(i));
        fields.Show(model, prompt);
      }
      for (std::size_t i = 0; i < c.muxItems.size(); ++i) {
        model.OnMultiplexorPicked(static_cast<int>(i), prompt);
        fields.Show(model, prompt);
      }
      return result;
    }
    if (r.mode == DLGMODE_VIEW) {
      result.ok = true;
      return result;
    }
    fields.Read(model);
    const int before = prompt.shown;
    const CCanDlgModel::OkResult ok = model.OnOK(prompt);
    return Ended(ok.accept, model.Modified(), before, result);
  }

  DefDialogResult RunFlexRayDialog(const FlexRayDialogRequest& r) override {
    CFlexRayDlgModel model;
    return RunFrame(model, r);
  }
  DefDialogResult RunLinDialog(const LinDialogRequest& r) override {
    CLinDlgModel model;
    return RunFrame(model, r);
  }

  DefDialogResult RunLogicDialog(const LogicDialogRequest& r) override {
    CLogicDlgModel model;
    OpenModel(model, r);
    DefDialogResult result;
    result.groupIndex = r.groupIndex;
    if (r.mode == DLGMODE_NEW) {
      for (int g = 0; g < LOGIC_GROUP_COUNT; ++g) model.SelectGroup(g);
      return result;
    }
    if (r.mode == DLGMODE_VIEW) {
      result.ok = true;
      return result;
    }
    model.CommitBitCount(model.bitCount);
    model.CommitPattern(model.Pattern());
    const int before = prompt.shown;
    const bool accept = model.Ok(prompt) == dlgids::DLG_OK_CLOSE;
    if (accept) {
      result.groupIndex = model.GroupIndex();
      UpdateRefittedRows(model, r, result.groupIndex);
    }
    return Ended(accept, model.Modified(), before, result);
  }

  Prompt prompt;
  // How the last OK ended: refused without a message, or refused with one.
  bool silentRefusal = false;
  bool refused = false;

 private:
  template <class Model, class Request>
  DefDialogResult RunFrame(Model& model, const Request& r) {
    OpenFrameModel(model, r);
    DefDialogResult result;
    result.hexFlag = model.HexDisplay() ? 1 : 0;
    if (r.mode == DLGMODE_NEW) {
      for (std::size_t i = 0; i < model.MessageNames().size(); ++i) model.SelectMessageRow(static_cast<int>(i));
      for (std::size_t i = 0; i < model.IdTexts().size(); ++i) model.SelectIdRow(static_cast<int>(i));
      for (std::size_t i = 0; i < model.SignalNames().size(); ++i) model.SelectSignalRow(static_cast<int>(i));
      return result;
    }
    if (r.mode == DLGMODE_VIEW) {
      result.ok = true;
      return result;
    }
    // What OK reads from the fields.
    FrameSignalValues& v = model.Values();
    model.CommitId(v.id, false);
    v.minimum = FieldMinimum(v.minimum);
    const int before = prompt.shown;
    return Ended(model.Ok(prompt) == dlgids::DLG_OK_CLOSE, model.Modified(), before, result);
  }

  // A refused OK leaves the dialog open; the user then cancels it.
  DefDialogResult Ended(bool accept, bool modified, int shownBefore, DefDialogResult result) {
    refused = !accept;
    silentRefusal = !accept && prompt.shown == shownBefore;
    result.ok = accept;
    result.modified = accept && modified;
    return result;
  }
};

// The records behind one row, as they read now.
Picture RowRecords(const CVestrelDoc& doc, int list, int bus, const ListRow& row) {
  Picture p;
  const std::string key = MakeUpperString(row.Cell(COL_MESSAGE));
  switch (bus) {
    case BUS_CAN:
      if (const _CANMsg* m = doc.GetCanMsgTable(list).Find(key)) p.Add("CAN [" + key + "]", *m);
      break;
    case BUS_FLEXRAY:
      if (const _FlexRayMsg* m = doc.GetFlexRayMsgTable(list).Find(key)) p.Add("FlexRay [" + key + "]", *m);
      break;
    case BUS_LIN:
      if (const _LINMsg* m = doc.GetLinMsgTable(list).Find(key)) p.Add("LIN [" + key + "]", *m);
      break;
    default:
      if (const _LOGICGroup* g = doc.GetLogicGroup(list, std::atoi(row.Cell(COL_GROUP).c_str()) - 1))
        p.Add("LOGIC group " + row.Cell(COL_GROUP), *g);
      break;
  }
  return p;
}

void CheckPools(const CVestrelDoc& doc, const std::string& step) {
  const std::string shortfall = poolcheck::Shortfall(doc);
  if (!shortfall.empty()) fuzzdoc::Fail(step + ": " + shortfall);
}

// Opens one row (or a new definition) and compares what it could have
// changed: the records of the row, and the number of records in the tables.
void OpenAndCompare(CListLogic& list, ModelDialogs& dialogs, int mode, int row) {
  CVestrelDoc& doc = list.Doc();
  const int bus = list.BusKind();
  const std::string step = std::string(kBusNames[bus]) + " " + kModeNames[mode] + " of " +
                           (list.List() == LIST_REFERENCE ? "reference" : "definition") + " row " + std::to_string(row);
  const ListRow shown = row >= 0 ? list.Rows()[static_cast<std::size_t>(row)] : ListRow();
  const Picture before = row >= 0 ? RowRecords(doc, list.List(), bus, shown) : Picture(doc, list.List());
  const int counted = doc.CountCanSignals(list.List()) + doc.CountFlexRaySignals(list.List()) +
                      doc.CountLinSignals(list.List()) + doc.CountLogicSymbols(list.List());
  dialogs.silentRefusal = false;
  dialogs.refused = false;
  dialogs.prompt.last = 0;
  const std::vector<int> selection = row >= 0 ? std::vector<int>{row} : std::vector<int>{};
  const int changed = OpenDefinitionDialog(list, dialogs, list.List(), mode, selection, DefDialogAnchor());
  if (dialogs.silentRefusal) Difference(step + ": OK refused without a message");
  if (ReportOnly() && dialogs.refused && mode == DLGMODE_EDIT)
    std::fprintf(stderr, "REFUSED %s with message %d\n", step.c_str(), dialogs.prompt.last);
  const Picture after = row >= 0 ? RowRecords(doc, list.List(), bus, shown) : Picture(doc, list.List());
  if (after != before) Difference(step + " changed a record\n" + before.Differences(after));
  if (changed != 0) Difference(step + " reported a change");
  const int now = doc.CountCanSignals(list.List()) + doc.CountFlexRaySignals(list.List()) +
                  doc.CountLinSignals(list.List()) + doc.CountLogicSymbols(list.List());
  if (now != counted) Difference(step + " changed the number of records");
  CheckPools(doc, step);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0 && data[0] == dlgfuzz::kTypingMark) {
    dlgfuzz::RunTypingMode(data + 1, size - 1);
    return 0;
  }
  if (size > 0 && data[0] == dlgfuzz::kViewTypingMark) {
    dlgfuzz::RunViewTypingMode(data + 1, size - 1);
    return 0;
  }
  static fuzzdoc::AnsweringSink sink(false);
  SetMessageSink(&sink);
  const std::string text(reinterpret_cast<const char*>(data), size);

  CVestrelDoc doc;
  doc.ParseSblText(text, LIST_REFERENCE);
  doc.ParseSblText(text, LIST_DEFINITION);
  // Identifiers shown either way.
  doc.SetMsgIdFormat(static_cast<int>(size & 1));
  const vrtest::DocPicture read(doc);
  CRefListLogic ref(doc);
  CDefListLogic def(doc);
  ref.SetPartner(&def);
  def.SetPartner(&ref);
  ModelDialogs dialogs;

  for (int bus : {BUS_CAN, BUS_FLEXRAY, BUS_LIN, BUS_LOGIC}) {
    ref.SetBusKind(bus);
    def.SetBusKind(bus);
    // Each CAN dialog takes the names of every row of its list: a long
    // reference list is viewed at evenly spread rows only.
    const int step = ref.RowCount() / kMostViews + 1;
    for (int row = 0; row < ref.RowCount(); row += step) OpenAndCompare(ref, dialogs, DLGMODE_VIEW, row);
    for (int row = 0; row < def.RowCount(); ++row) OpenAndCompare(def, dialogs, DLGMODE_EDIT, row);
    OpenAndCompare(def, dialogs, DLGMODE_NEW, -1);
  }
  const vrtest::DocPicture now(doc);
  if (now.ref != read.ref) Difference("the reference list changed\n" + read.ref.Differences(now.ref));
  if (now.def != read.def) Difference("the definition list changed\n" + read.def.Differences(now.def));
  return 0;
}
