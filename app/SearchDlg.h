// The modeless search window of the main frame: finds the next row of the
// reference or the definition list that holds a text, going on from the top
// after the last row, and keeps the texts searched for in a history combo box
// that survives in the settings.
#pragma once

#include "ListSearch.h"
#include "SearchHistory.h"
#include "SearchWindow.h"

#include <QComboBox>
#include <QDialog>

#include <string>

class CAppSettings;
class CListCtrlEx;
class QPushButton;
class QRadioButton;

// The search text combo box: its drop list is exactly the 20 entries of the
// history, most recent first, empty ones included.
class CComboBoxSearch : public QComboBox {
  Q_OBJECT

 public:
  CComboBoxSearch(CSearchHistory& history, QWidget* parent);

  // The history behind the box (CP932 texts).
  CSearchHistory& History() { return history_; }
  // Puts the text at the front of the history and rebuilds the drop list.
  void AddHistory(const std::string& text);
  // Moves an equal entry to the front; false when there is none.
  bool MoveToFront(const std::string& text);
  // Fills the drop list again from the history; the edit text stays.
  void ShowHistory();
  // The edit text in CP932, and back.
  std::string TextA() const;
  void SetTextA(const std::string& text);

 private:
  CSearchHistory& history_;
};

class CSearchDlg : public QDialog, public ISearchWindow {
  Q_OBJECT

 public:
  // Created hidden; the stored keywords go into the history at once.
  CSearchDlg(QWidget* owner, CAppSettings* settings);
  ~CSearchDlg() override;

  // ISearchWindow
  void SetLists(CListCtrlEx* reference, CListCtrlEx* definition) override;
  void PrepareLists() override;
  // The columns searched follow the bus kind of the list searched, which
  // the search asks its list window for; the frame's notice needs no copy.
  void SetBusKind(int /*kind*/) override {}
  void ShowSearch() override;
  void DestroySearch() override;

  // Find next (OK, Enter). Cancel hides the window.
  void OnOK();
  void OnBnClickedCancel();
  void OnBnClickedRefList() { listChoice_ = LIST_REFERENCE; }
  void OnBnClickedDefList() { listChoice_ = LIST_DEFINITION; }

  int ListChoice() const { return listChoice_; }
  // The bus kind of the chosen list.
  int BusKind() const;
  CComboBoxSearch* Combo() const { return combo_; }
  QRadioButton* Radio(int list) const { return list == LIST_REFERENCE ? refRadio_ : defRadio_; }
  QPushButton* OkButton() const { return ok_; }
  const CListSearch& Search() const { return search_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void reject() override { OnBnClickedCancel(); }
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool OnInitDialog();
  CListCtrlEx* ChosenList() const;

  CAppSettings* settings_;
  int listChoice_ = LIST_REFERENCE;
  CListCtrlEx* lists_[2] = {nullptr, nullptr};
  CListSearch search_;  // the text and start row of the search in progress, and the history
  CComboBoxSearch* combo_ = nullptr;
  QRadioButton* refRadio_ = nullptr;
  QRadioButton* defRadio_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  bool destroyed_ = false;
};
