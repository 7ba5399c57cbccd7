// What the main frame needs of the modeless search dialog: it is created once
// with the frame's client area, hidden, given the two list controls, told the
// bus kind, shown on Find, and destroyed (saving its history) at close.
#pragma once

class CListCtrlEx;

class ISearchWindow {
 public:
  virtual ~ISearchWindow() = default;
  // The list controls of the reference and the definition list, in that order.
  virtual void SetLists(CListCtrlEx* reference, CListCtrlEx* definition) = 0;
  // Chooses the list to search from which lists have rows.
  virtual void PrepareLists() = 0;
  // The bus kind of the lists (decides the columns searched).
  virtual void SetBusKind(int kind) = 0;
  virtual void ShowSearch() = 0;
  // Puts the search history into the settings and destroys the window.
  virtual void DestroySearch() = 0;
};
