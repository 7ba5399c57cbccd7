// The CAN/CAN FD message and signal dialog: one message with one of its
// signals, the bit grid beside the signal fields. A thin view over
// CCanDlgModel: every committed value and every pick goes into the model, and
// the model's control states are shown again.
#pragma once

#include <memory>

#include "CanDlgModel.h"
#include "MsgDlg.h"

class BitAssignView;
class CComboBoxExt;
class CComboBoxINT;
class CEditByteCount;
class CEditDBL;
class CEditINT;
class CEditMultiValue;
class CEditUnit;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class CCanDlg : public CMsgDlg {
  Q_OBJECT

 public:
  explicit CCanDlg(QWidget* parent = nullptr);
  ~CCanDlg() override;

  // Before the run: the CAN table of the list that opens the dialog, the
  // records, the row names of that list and the identifier display flag.
  void SetMessageTable(NameMap<_CANMsg>* table) { table_ = table; }
  void SetTarget(_CANMsg* msg, _CANSignal* sig);
  void AddNames(const std::string& msgName, const std::string& sigName);
  void SetHexFlag(int hex) { hexFlag_ = hex ? 1 : 0; }
  // After the run: 1 when identifiers are to be shown in hexadecimal.
  int HexFlag() const { return model_ ? model_->HexFlag() : hexFlag_; }

  BitAssignView* GridView() const { return grid_; }
  const CCanDlgModel* Model() const { return model_.get(); }

 protected:
  bool OnInitDialog() override;
  void InitControls() override;
  void FillControls() override;
  void OnOK() override;

 private:
  void BuildLayout();
  // Shows the model's control states, under the dialog's lock; of the text
  // fields only those the model reports it wrote, so text typed but not yet
  // committed survives a drag on the grid or a pick elsewhere.
  void ShowModel();
  // Takes what the user typed in every field into the model.
  void ReadControls();
  void ReadControl(int ctrlId);
  void ShowMultiplexErrorNow();
  void Focus(int ctrlId);
  void ApplyIdentifierItems(bool writeValue);

  // The commit of a field: read into the model, the model's reaction, shown.
  CtrlCommit Field(int ctrlId);
  // A count typed on the way commits; the count left in the field may cut.
  void CommitByteCount(int flag);
  void CommitMuxValue();
  void OnPage(int step);
  void OnMessagePicked(int index);
  void OnIdPicked(int index);
  void OnFrameFormatPicked(int index);
  void OnSignalPicked(int index);
  void OnValueTypePicked(int index);
  void OnMultiplexorPicked(int index);
  void OnJ1939Clicked(bool checked);
  void OnByteOrderClicked(int order);
  void OnIdFormatClicked(bool hex);
  void OnJ1939Identifier();
  void OnBitSelectChanging();
  void OnBitSelectDone();

  void ConnectControls();

  NameMap<_CANMsg>* table_ = nullptr;
  _CANMsg* targetMsg_ = nullptr;
  _CANSignal* targetSig_ = nullptr;
  std::vector<std::pair<std::string, std::string>> rowNames_;
  int hexFlag_ = 0;
  std::unique_ptr<CCanDlgModel> model_;
  int shownMuxUpdates_ = -1;
  int shownMuxRefills_ = 0;

  CComboBoxExt* msgName_ = nullptr;
  CComboBoxExt* frameFormat_ = nullptr;
  QCheckBox* j1939_ = nullptr;
  CComboBoxINT* msgId_ = nullptr;
  QPushButton* j1939Id_ = nullptr;
  QRadioButton* decimal_ = nullptr;
  QRadioButton* hex_ = nullptr;
  CEditByteCount* byteCount_ = nullptr;
  CComboBoxExt* sigName_ = nullptr;
  CEditINT* startBit_ = nullptr;
  CEditINT* bitCount_ = nullptr;
  QLabel* heading_ = nullptr;
  BitAssignView* grid_ = nullptr;
  QPushButton* pageNext_ = nullptr;
  QPushButton* pagePrevious_ = nullptr;
  CComboBoxExt* valueType_ = nullptr;
  QRadioButton* little_ = nullptr;
  QRadioButton* big_ = nullptr;
  CEditDBL* factor_ = nullptr;
  CEditDBL* offset_ = nullptr;
  CEditDBL* maximum_ = nullptr;
  CEditDBL* minimum_ = nullptr;
  CEditUnit* unit_ = nullptr;
  CComboBoxExt* multiplexor_ = nullptr;
  CEditMultiValue* muxValue_ = nullptr;
};
