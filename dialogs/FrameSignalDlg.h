// The window half that the FlexRay and LIN dialogs share: the frame and
// signal fields, the 64-cell grid and OK. It only shows what the frame
// dialog model holds, hands it every committed value, choice, click and
// drag, and shows the result again.
#pragma once

#include "MsgDlg.h"

#include <QString>

#include <memory>
#include <set>
#include <string>

class CFrameDlgModelBase;
class CBitWindowGrid;
class CComboBoxExt;
class CComboBoxINT;
class CEditINT;
class CEditByteCount;
class CEditBaseCycle;
class CEditCycleRepeat;
class CEditDBL;
class CEditUnit;
class QRadioButton;
class QGroupBox;

class CFrameSignalDlg : public CMsgDlg {
  Q_OBJECT

 public:
  // 1: identifiers shown in hexadecimal; read again by the opener after OK.
  void SetHexFlag(int flag);
  int HexFlag() const;

  CBitWindowGrid* Grid() const { return grid_; }

 protected:
  struct Tables {
    const tagCtrlLimit* combos;
    const tagCtrlLimit* edits;
    const tagCtrlIntRange* ints;
    const tagCtrlDblRange* doubles;
  };
  // `flexRay` adds the bit order and the two cycle fields; the format combo
  // holds the frame formats (FlexRay) or the checksum models (LIN). The
  // dialog owns the model, built before any of the dialog exists.
  CFrameSignalDlg(int templateId, QWidget* parent, std::unique_ptr<CFrameDlgModelBase> model, bool flexRay,
                  const Tables& tables);
  CFrameDlgModelBase& ModelBase() const { return model_; }

  bool eventFilter(QObject* watched, QEvent* event) override;

  bool OnInitDialog() override;
  void InitControls() override;
  void FillControls() override;
  void OnOK() override;

  // Every field from the model, with the controls' own commits ignored.
  void ShowValues();
  // The fields the model wrote since it was last shown, the value type, the
  // signal fields' state and the grid.
  void ShowSignalRange();

 private:
  void BuildLayout();
  // The one way the fields show the model: the `written` fields (the byte
  // order under IDC_BYTE_LITTLE), then the range's state, the value type
  // and the grid. ShowValues passes every field.
  void ShowFields(const std::set<int>& written);
  void ShowIdentifier();
  void FillIdList();
  void SetHexDisplay(bool hex);
  // The texts the model needs before it judges anything.
  void ReadTexts();
  // Factor and offset into the model, an emptied one kept as it was.
  void ReadScaling();
  void CommitFormat(int index);
  void CommitLimits();
  void EnableSignalControls(bool on);
  void OnGridPressed(int cell);
  void OnGridDragged(int cell);
  // The byte count left in the field cuts what no longer fits.
  void SettleByteCount();

  const std::unique_ptr<CFrameDlgModelBase> ownedModel_;
  CFrameDlgModelBase& model_;
  const bool flexRay_;
  const Tables tables_;

  CComboBoxExt* format_ = nullptr;
  CComboBoxExt* msgName_ = nullptr;
  CComboBoxINT* msgId_ = nullptr;
  QRadioButton* decimal_ = nullptr;
  QRadioButton* hex_ = nullptr;
  CEditByteCount* byteCount_ = nullptr;
  CEditBaseCycle* baseCycle_ = nullptr;
  CEditCycleRepeat* repetition_ = nullptr;
  CComboBoxExt* sigName_ = nullptr;
  CComboBoxExt* bitOrder_ = nullptr;
  CEditINT* startBit_ = nullptr;
  CEditINT* bitCount_ = nullptr;
  CComboBoxExt* valueType_ = nullptr;
  QRadioButton* little_ = nullptr;
  QRadioButton* big_ = nullptr;
  CEditDBL* factor_ = nullptr;
  CEditDBL* offset_ = nullptr;
  CEditUnit* unit_ = nullptr;
  CEditDBL* minimum_ = nullptr;
  CEditDBL* maximum_ = nullptr;
  CBitWindowGrid* grid_ = nullptr;
};
