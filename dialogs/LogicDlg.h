// The LOGIC symbol dialog: a symbol's name and bit pattern in one of the five
// groups, the pattern shown in binary and in hexadecimal. Its logic is
// CLogicDlgModel.
#pragma once

#include "LogicDlgModel.h"
#include "MsgDlg.h"

#include <functional>
#include <string>

class CComboBoxExt;
class CEditINT;
class CEditBIT;

class CLogicDlg : public CMsgDlg {
  Q_OBJECT

 public:
  // (old name, old group index, the symbol's group, the symbol): rewrites
  // the list row of a symbol whose pattern OK refitted.
  using RowUpdater = std::function<void(const std::string&, int, const _LOGICGroup&, const _LOGICSignal&)>;

  explicit CLogicDlg(QWidget* parent = nullptr);

  // The list's five groups, the symbol and its group; set before the run.
  void SetGroups(_LOGICGroup* groups) { model_.SetGroups(groups); }
  void SetSymbol(_LOGICSignal* symbol) { model_.SetSymbol(symbol); }
  void SetGroupIndex(int index) { model_.SetGroupIndex(index); }
  void SetRowUpdater(RowUpdater updater) { updateRow_ = std::move(updater); }
  // After OK: the group the symbol belongs to now.
  int GroupIndex() const { return model_.GroupIndex(); }

  CLogicDlgModel& Model() { return model_; }

 protected:
  bool OnInitDialog() override;
  void InitControls() override;
  void FillControls() override;
  void OnOK() override;

 private:
  // Bit count into both pattern fields, with their text limits.
  void ShowBitCount();

  CLogicDlgModel model_;
  RowUpdater updateRow_;
  CComboBoxExt* name_ = nullptr;
  CComboBoxExt* group_ = nullptr;
  CEditINT* bits_ = nullptr;
  CEditBIT* binary_ = nullptr;
  CEditBIT* hex_ = nullptr;
};
