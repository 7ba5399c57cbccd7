// The CAN/CAN FD message and signal dialog without a window: the working
// copies, what every control shows, the reactions to committed values and
// picks, the occupancy of the message's bits, the paging of the bit grid, the
// multiplexor rules and the ordered checks of OK with the write-back.
//
// The Qt dialog writes what the user typed into Controls(), calls the
// reaction, and shows Controls() again. Nothing here touches the records
// before OK has passed every check.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "BitGridModel.h"
#include "BusTypes.h"
#include "DlgPrompt.h"
#include "FrameDlgIds.h"
#include "MsgIds.h"
#include "NameMap.h"
#include "Records.h"
#include "SignalFieldRules.h"
#include "TextFields.h"

// Errors of a multiplex value text, as the multiplex-value edit reports them.
enum MultiValueErrorCode { MVERR_NONE = 0, MVERR_FORMAT = 1, MVERR_ORDER = 2, MVERR_RANGE = 3 };

constexpr int CAN_PAGE_BITS = 512;

// A signal's part on page P (bits P .. P + 511); any stored start and count.
struct PageSpan {
  int start = 0;
  int length = 0;
  int inPage = 0;
};
PageSpan CalcPageSpan(int start, int count, int pageStart);

// What each control of the dialog shows.
struct CanDlgControls {
  std::string msgName;
  std::vector<std::string> msgNames;  // drop list of 1012
  int frameFormat = FRAME_STD;
  bool j1939 = false;
  bool j1939ButtonVisible = false;
  int id = 0;
  int idMax = MAX_STD_ID;
  std::vector<int> idItems;  // drop list of 1015, shown "%X" or "%d"
  bool hex = false;
  int byteCount = 0;
  int byteCountMax = MAX_CAN_BYTES;
  int byteCountLimit = 2;  // characters
  std::string sigName;
  std::vector<std::string> sigNames;  // drop list of 1018
  int startBit = 0;
  int startBitMax = MAX_CAN_BITS - 1;
  int startBitLimit = 3;
  int bitCount = 1;
  int valueType = VTITEM_UNSIGNED;  // ValueTypeItem
  int byteOrder = BYTEORDER_LITTLE;
  double factor = 1.0;
  double offset = 0.0;
  double maximum = VALUE_UNLIMITED;
  double minimum = -VALUE_UNLIMITED;
  std::string unit;
  std::vector<std::string> muxItems{std::string()};  // first item empty: no multiplexor
  int muxSel = 0;
  // A new message in an empty list has no signal to pick: the multiplexor
  // field then takes a typed name, and that text is the choice.
  bool muxTyped = false;
  std::string muxTypedText;
  // Text to show in the multiplex-value edit; muxRefills counts the times it
  // was given a stored text whose errors must be shown at once.
  std::string muxValue;
  int muxUpdates = 0;  // times the field was emptied or refilled
  int muxRefills = 0;
  bool muxValueEnabled = false;
  // What the multiplex-value edit reports for its current text: the normal
  // form in decimal, its error and the part in error. Written by the view.
  std::string muxValueText;
  int muxValueError = MVERR_NONE;
  std::string muxValuePart;
  bool headingVisible = false;
  bool previousVisible = false;
  bool nextVisible = false;
  bool signalControlsEnabled = false;

  const std::string& MuxText() const;
};

class CCanDlgModel {
 public:
  // `table` is the CAN message table of the list that opens the dialog.
  CCanDlgModel(NameMap<_CANMsg>* table, int mode);

  void SetTarget(_CANMsg* msg, _CANSignal* sig);
  void SetHexFlag(int hex) { hexFlag_ = hex ? 1 : 0; }
  int HexFlag() const { return hexFlag_; }
  void AddNames(const std::string& msgName, const std::string& sigName);
  // Text of string IDS_NONAME, shown as signal name for a message without bytes.
  void SetNoNameText(const std::string& text) { noName_ = text; }
  // Receives every page the grid must draw.
  void SetGridSink(std::function<void(const tagBitAssignInfo&)> sink) { gridSink_ = std::move(sink); }

  // The opening set-up: first grid page, working copies, every control.
  void Open();

  int Mode() const { return mode_; }
  bool Modified() const { return modified_; }
  bool Opening() const { return locked_; }
  CanDlgControls& Controls() { return c_; }
  const CanDlgControls& Controls() const { return c_; }
  const _CANMsg& WorkingMsg() const { return wmsg_; }
  const _CANSignal& WorkingSignal() const { return wsig_; }
  int Page() const { return page_; }
  int LastPage() const { return lastPage_; }
  int PageBitCount() const;
  const tagBitAssignInfo& LastPageInfo() const { return lastInfo_; }
  // The message combos and the signal combo may offer other records.
  bool NamesPickable() const;
  const std::vector<std::pair<std::string, std::string>>& RowNames() const { return rowNames_; }

  // A control committed the value now in Controls(). Returns nothing to do.
  // The byte count commits on every keystroke: that only redraws, the
  // signal keeps the range the user chose.
  void OnCommit(int controlId);
  // The byte count was left in its field (Enter, leaving it, also for OK's
  // press): what no longer fits in a count that changed is cut.
  void OnByteCountLeft();
  // A text field (message name, signal name, unit) as it stands: read only
  // when the user edited it (see CTextFields).
  void ReadText(int ctrlId, bool edited, std::string_view utf8);
  // The identifier field as it reads back; `typed`: the user typed it, so
  // that its format's range judges it (see IdToKeep).
  void ReadId(int id, bool typed);
  // The multiplex-value field was left: an emptied one shows again the text
  // OK keeps for it. True when the field is to show it.
  bool OnMultiplexValueLeft();
  // The text fields the model wrote since the last call (control
  // identifiers); the view rewrites exactly these.
  std::set<int> TakeWrittenFields();
  void OnMessagePicked(int index);
  void OnFrameFormatPicked(int selection);
  void OnSignalPicked(int index);
  void OnValueTypeOpened() { rememberedType_ = c_.valueType; }
  void OnValueTypePicked(int selection);
  // Returns the control to focus after a refusal (0 none).
  int OnMultiplexorPicked(int selection, IDlgPrompt& prompt);
  void OnJ1939Clicked(bool checked);
  // A byte-order radio clicked: the choice holds until another signal is
  // picked, which brings its own.
  void OnByteOrderClicked(int order);
  void OnHexClicked(bool hex);
  void OnPagePrevious();
  void OnPageNext();
  // The identifier the J1939 dialog composed.
  void SetIdentifierFromJ1939(int id);
  // The grid's selected bits, page-relative.
  void OnBitSelectChanging(int low, int high);
  void OnBitSelectDone(int low, int high);
  // After the multiplex-value edit was left or refilled: its error, if any.
  // Returns the control to focus (0 none).
  int ShowMultiplexValueError(IDlgPrompt& prompt);

  struct OkResult {
    bool accept = false;
    int focus = 0;  // control to focus when the dialog stays open
  };
  // The fields as they stand, checked in order and written back, or refused
  // with the first rule they break; nothing is cut, clamped or moved here.
  OkResult OnOK(IDlgPrompt& prompt);

  // Occupancy of a message's bits; the signal under skipKey is left out.
  CBitOccupancy BuildBitMap(const _CANMsg* msg, const std::string& skipKey, int size) const;
  bool CanPlaceBits(int count) const;
  int CheckMultiplexorChain(IDlgPrompt& prompt) const;

 private:
  std::string FormatId(int id) const;
  int MaxBytes() const { return c_.j1939 ? MAX_J1939_BYTES : MAX_CAN_BYTES; }
  int ClampedBytes() const;
  std::string SkipKey() const;
  // The message of the table named by the working message (the target itself
  // in view and edit mode); in new mode one whose byte count or identifier
  // differs from the working copy only when `whenDifferent` allows.
  const _CANMsg* LiveMessage(bool whenDifferent) const;
  // The message whose signals the OK checks look at: the target's own in edit
  // mode (its name may be typed anew), the existing one of the typed name in
  // new mode.
  const _CANMsg* CheckedMessage() const;
  bool EditedIsMultiplexed(const _CANMsg* msg) const;
  // `key` (upper case) names a multiplexor of the edited signal in `msg`.
  bool NamesMultiplexor(const _CANMsg* msg, const std::string& key) const;
  // What the occupancy and the grid leave out: the signal under `skipKey`
  // and, for a multiplexed edited signal, the other multiplexed ones, whose
  // bits it may share.
  static bool LeftOut(const std::string& key, const _CANSignal& s, const std::string& skipKey, bool multiplexed);
  // The occupancy the overlap test of OK and of the multiplexor choice reads:
  // as far as the message may reach.
  CBitOccupancy OkOccupancy(const _CANMsg* msg) const;
  bool IsBitRangeUsed(const _CANMsg* msg, int start, int count) const;

  void InitControls();
  void FillControls();
  void FillMessageIdList();
  // With `keepChoice` the multiplexor on screen stays chosen while the
  // message still offers it, and is cleared together with its value when it
  // no longer is; without, the stored one is chosen.
  void FillMultiplexorList(bool keepChoice);
  void UpdateMultiplexControls();
  // The multiplex value text OK is to store, given the field's normal form.
  std::string MultiplexValueToStore(const std::string& stored) const;
  // The enabled state of the signal controls; the range stays as it is.
  void UpdateSignalControls();
  // Moves a range the user edited onto free bits of the message and lets the
  // value type follow the count. A stored range is never moved by itself:
  // OK refuses it when it overlaps another signal.
  void FitRange();
  // Redraws after the byte count in the field changed (typed, paged or cut
  // to the J1939 limit).
  void ByteCountChanged();
  // The byte count left in its field cuts the range where it no longer fits;
  // with `fit`, the cut range moves onto free bits as an edited one does.
  void SettleByteCount(bool fit);
  void Wrote(std::initializer_list<int> ids);

  // The checks of OK, in their order; each answers the refusal it finds.
  struct OkContext {
    std::string msgKey;
    std::string sigKey;
    // New mode: the stored message of the typed name, other than the target.
    const _CANMsg* existing = nullptr;
    // The message whose other signals the checks look at.
    const _CANMsg* checked = nullptr;
  };
  OkContext MakeOkContext() const;
  const _CANMsg* OtherMessageWithId(const _CANMsg* except) const;
  OkCheck CheckTexts(const OkContext& ok) const;
  OkCheck CheckMessageName(const OkContext& ok) const;
  OkCheck CheckMessageIdentity(const OkContext& ok) const;
  OkCheck CheckSignalName(const OkContext& ok) const;
  OkCheck CheckExistingByteCount(const OkContext& ok) const;
  // The place rule every frame dialog shares, over this dialog's occupancy.
  OkCheck CheckSignalPlace(const OkContext& ok) const;
  // The other signals' byte order follows the chosen one when the user
  // agrees; false when he cancels.
  bool AskByteOrder(IDlgPrompt& prompt, const OkContext& ok, int& changed);
  // Every field that differs into the target records; the count written.
  int WriteBack();
  // A factor or offset committed empty takes back the value it held.
  void KeepScaling(double& shown, double& held, int ctrlId);
  // The signals of `msg` other than the edited one.
  std::vector<_CANSignal*> OtherSignals(const _CANMsg* msg) const;
  // Factor, offset, limits and unit of the working signal into the controls.
  void ShowScaling();
  // `forceXtd`: the user ticked the box. Filling and picks show a stored
  // frame format as it is, even a J1939 message stored as "STD".
  void UpdateJ1939Limits(bool forceXtd);
  void ApplyFrameFormat(int selection);
  void UpdatePageButtons();
  void UpdateLastPage();
  // The page of the stored signal's first bit (0 for a new signal).
  int OpeningPage() const;
  void ClampRange();
  void PickMessage(int index);
  tagBitAssignInfo BuildPageInfo(const _CANMsg* msg) const;
  void InitBitGrid();
  void UpdateBitGrid();
  void SendGrid(const tagBitAssignInfo& info);

  NameMap<_CANMsg>* table_;
  int mode_;
  _CANMsg* targetMsg_ = nullptr;
  _CANSignal* targetSig_ = nullptr;
  std::vector<const _CANMsg*> msgArray_;
  std::vector<const _CANSignal*> sigArray_;
  std::vector<std::pair<std::string, std::string>> rowNames_;
  int hexFlag_ = 0;
  std::string openingName_;
  std::string noName_ = "NoName";
  int rememberedType_ = VTITEM_UNSIGNED;
  _CANMsg wmsg_;
  _CANSignal wsig_;
  // The byte count as typed, before the J1939 limit cuts what the field
  // shows, and the count last left in the field.
  int typedBytes_ = 0;
  CByteCountSettle settle_;
  std::set<int> written_;
  CTextFields texts_;
  int page_ = 0;
  int keepPage_ = 0;
  int lastPage_ = 0;
  bool locked_ = false;
  bool modified_ = false;
  // The user gave the identifier its value (typed, or composed by the J1939
  // dialog): the frame format's range judges it. Else it is the stored or
  // chosen message's, kept as it is.
  bool idTyped_ = false;
  // A selection change came from the grid since its last release.
  bool gridSelecting_ = false;
  tagBitAssignInfo lastInfo_;
  std::function<void(const tagBitAssignInfo&)> gridSink_;
  CanDlgControls c_;
};
