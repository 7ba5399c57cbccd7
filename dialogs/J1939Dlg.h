// The J1939 identifier dialog (template 2002): priority, PGN, destination and
// source of a 29-bit identifier. The CAN dialog opens it from its "..."
// button with the identifier, its display flag, the message name and its own
// window rectangle as the anchor, and takes Id() back after OK. Cancel
// leaves the identifier as it was.
#pragma once

#include "J1939Model.h"
#include "MsgDlg.h"

#include <cstdint>
#include <optional>
#include <string>

class CEditExINT;

class CJ1939Dlg : public CMsgDlg {
  Q_OBJECT

 public:
  explicit CJ1939Dlg(QWidget* parent = nullptr);
  ~CJ1939Dlg() override;

  // Set before the run.
  void SetId(std::uint32_t id) { id_ = id; }
  void SetHexFlag(int hexFlag) { hexFlag_ = hexFlag; }
  // CP932, for the title.
  void SetMessageName(const std::string& name) { messageName_ = name; }

  // The identifier: as handed over until OK composes it.
  std::uint32_t Id() const { return id_; }

  CEditExINT* PgnEdit() const { return pgn_; }
  CEditExINT* SourceEdit() const { return source_; }
  CEditExINT* PriorityEdit() const { return priority_; }
  CEditExINT* DestinationEdit() const { return destination_; }

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Leaving the PGN field: compose, then show every field again.
  void OnEnKillfocusPgn();
  // The edits' values (each re-read from its text) into the model.
  void TakeFields();
  void ShowFields();

  std::uint32_t id_ = 0;
  int hexFlag_ = 0;
  std::string messageName_;
  std::optional<CJ1939Model> model_;
  CEditExINT* pgn_;
  CEditExINT* source_;
  CEditExINT* priority_;
  CEditExINT* destination_;
};
