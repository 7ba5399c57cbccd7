#include "ListViews.h"

#include "ListDlg.h"
#include "ResIds.h"
#include "BusTypes.h"

namespace {
CRefView::Factory& RefFactory() {
  static CRefView::Factory f;
  return f;
}
CDefView::Factory& DefFactory() {
  static CDefView::Factory f;
  return f;
}
}  // namespace

void CListDlgView::OnSelectAllItems() {
  if (dialog_) dialog_->SelectAll();
}

void CListDlgView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (dialog_) {
    dialog_->setGeometry(rect());
    dialog_->show();
  }
}

bool CListDlgView::Host(CListDlg* dialog, CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int listKind,
                        int busKind) {
  if (!dialog) return false;
  dialog_ = dialog;
  dialog->SetDocument(doc);
  dialog->SetFontManager(fonts);
  dialog->SetMainFrame(frame);
  dialog->SetListKind(listKind);
  dialog->SetBusKind(busKind);
  dialog->setGeometry(rect());
  return dialog->Create();
}

bool CRefView::OnCreate(CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int busKind) {
  CRefListDlg* dlg = RefFactory() ? RefFactory()(this) : new CRefListDlg(this);
  return Host(dlg, doc, fonts, frame, LIST_REFERENCE, busKind);
}

CRefListDlg* CRefView::RefDialog() const { return static_cast<CRefListDlg*>(Dialog()); }

void CRefView::SetFactory(Factory factory) { RefFactory() = std::move(factory); }

bool CDefView::OnCreate(CVestrelDoc* doc, CFontManager* fonts, CMainFrame* frame, int busKind) {
  CDefListDlg* dlg = DefFactory() ? DefFactory()(this) : new CDefListDlg(this);
  return Host(dlg, doc, fonts, frame, LIST_DEFINITION, busKind);
}

CDefListDlg* CDefView::DefDialog() const { return static_cast<CDefListDlg*>(Dialog()); }

void CDefView::SetFactory(Factory factory) { DefFactory() = std::move(factory); }
