// The two panes of the main window's splitter. Each view hosts one list
// dialog, keeps it covering its area, and answers the select-all request.
#pragma once

#include <QWidget>

#include <functional>

class CDefListDlg;
class CFontManager;
class CListDlg;
class CMainFrame;
class CRefListDlg;
class CVestrelDoc;

class CListDlgView : public QWidget {
  Q_OBJECT

 public:
  explicit CListDlgView(QWidget* parent = nullptr) : QWidget(parent) {}
  CListDlg* Dialog() const { return dialog_; }
  // WM_SELECT_ALL_ITEMS: every row of the hosted list becomes selected.
  void OnSelectAllItems();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Sets up and creates a hosted dialog: font cache, list kind, the frame's
  // bus kind (no refresh yet) and the dialog's controls.
  bool Host(CListDlg* dialog, CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int listKind, int busKind);

 private:
  CListDlg* dialog_ = nullptr;
};

class CRefView : public CListDlgView {
  Q_OBJECT

 public:
  using Factory = std::function<CRefListDlg*(QWidget* parent)>;
  explicit CRefView(QWidget* parent = nullptr) : CListDlgView(parent) { setObjectName(QStringLiteral("refView")); }
  bool OnCreate(CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int busKind);
  CRefListDlg* RefDialog() const;
  // Which dialog class a view creates (tests put in their own).
  static void SetFactory(Factory factory);
};

class CDefView : public CListDlgView {
  Q_OBJECT

 public:
  using Factory = std::function<CDefListDlg*(QWidget* parent)>;
  explicit CDefView(QWidget* parent = nullptr) : CListDlgView(parent) { setObjectName(QStringLiteral("defView")); }
  bool OnCreate(CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int busKind);
  CDefListDlg* DefDialog() const;
  static void SetFactory(Factory factory);
};
