#include "SearchDlg.h"

#include "CodePageQt.h"
#include "ListCtrlEx.h"
#include "ListDlg.h"
#include "ResIds.h"
#include "Resources.h"
#include "SettingsBridge.h"

#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

// Typed text in CP932. A character that the code page cannot hold becomes a
// byte that no CP932 character contains (not '?', which names do hold), so
// such a text finds nothing instead of finding a shortened text.
std::string ToCp932(const QString& text) {
  std::string out;
  if (cp932::FromUtf8(text.toStdString(), out)) return out;
  out.clear();
  for (const QChar* p = text.constData(); p < text.constData() + text.size();) {
    const int len = p->isHighSurrogate() && p + 1 < text.constData() + text.size() ? 2 : 1;
    std::string one;
    if (cp932::FromUtf8(QString(p, len).toStdString(), one)) out += one;
    else out += kSearchCharOutsideCodePage;
    p += len;
  }
  return out;
}

// A list that shows nothing.
class NoCells : public IListCells {
 public:
  int RowCount() const override { return 0; }
  const std::string& CellText(int, int) const override { return none_; }

 private:
  std::string none_;
};

void SelectAndFocus(CListCtrlEx& list, int row) {
  list.SetRowSelected(row, true);
  list.SetFocusedRow(row);
}

void FocusList(CListCtrlEx& list) {
  list.activateWindow();
  list.setFocus(Qt::OtherFocusReason);
}

}  // namespace

// --- CComboBoxSearch ---------------------------------------------------------

CComboBoxSearch::CComboBoxSearch(CSearchHistory& history, QWidget* parent) : QComboBox(parent), history_(history) {
  setEditable(true);
  // The history alone decides what the drop list holds, and the typed text
  // is searched as it stands: nothing is completed, and a text that differs
  // from an entry only in letter case is not replaced by that entry (the
  // box matches its entries with the completer's case rule).
  setInsertPolicy(QComboBox::NoInsert);
  auto* exact = new QCompleter(QStringList(), this);
  exact->setCaseSensitivity(Qt::CaseSensitive);
  setCompleter(exact);
  setMaxCount(CSearchHistory::kSize);
  setMaxVisibleItems(CSearchHistory::kSize);
  ShowHistory();
}

void CComboBoxSearch::AddHistory(const std::string& text) {
  history_.AddHistory(text);
  ShowHistory();
}

bool CComboBoxSearch::MoveToFront(const std::string& text) { return history_.MoveToFront(text); }

void CComboBoxSearch::ShowHistory() {
  const QString edit = currentText();
  clear();
  for (const std::string& entry : history_.Entries()) addItem(cp932::ToQString(entry));
  setEditText(edit);
}

std::string CComboBoxSearch::TextA() const { return ToCp932(currentText()); }

void CComboBoxSearch::SetTextA(const std::string& text) { setEditText(cp932::ToQString(text)); }

// --- CSearchDlg --------------------------------------------------------------

CSearchDlg::CSearchDlg(QWidget* owner, CAppSettings* settings) : QDialog(owner), settings_(settings) {
  setObjectName(QStringLiteral("searchDialog"));
  setWindowTitle(vrres::DialogText(IDD_SEARCH, QStringLiteral("caption")));
  setModal(false);

  auto* group = new QGroupBox(vrres::DialogText(IDD_SEARCH, QStringLiteral("group.target")), this);
  refRadio_ = new QRadioButton(vrres::DialogText(IDD_SEARCH, IDC_SEARCH_REF), group);
  refRadio_->setObjectName(QStringLiteral("radio%1").arg(IDC_SEARCH_REF));
  defRadio_ = new QRadioButton(vrres::DialogText(IDD_SEARCH, IDC_SEARCH_DEF), group);
  defRadio_->setObjectName(QStringLiteral("radio%1").arg(IDC_SEARCH_DEF));
  auto* radios = new QHBoxLayout(group);
  radios->addWidget(refRadio_);
  radios->addWidget(defRadio_);
  radios->addStretch(1);
  refRadio_->setChecked(true);
  connect(refRadio_, &QRadioButton::clicked, this, [this] { OnBnClickedRefList(); });
  connect(defRadio_, &QRadioButton::clicked, this, [this] { OnBnClickedDefList(); });

  auto* label = new QLabel(vrres::DialogText(IDD_SEARCH, QStringLiteral("label.text")), this);
  combo_ = new CComboBoxSearch(search_.History(), this);
  combo_->setObjectName(QStringLiteral("combo%1").arg(IDC_SEARCH_TEXT));
  combo_->setMinimumWidth(220);
  label->setBuddy(combo_);

  ok_ = new QPushButton(vrres::DialogText(IDD_SEARCH, IDOK), this);
  ok_->setObjectName(QStringLiteral("button%1").arg(IDOK));
  cancel_ = new QPushButton(vrres::DialogText(IDD_SEARCH, IDCANCEL), this);
  cancel_->setObjectName(QStringLiteral("button%1").arg(IDCANCEL));
  connect(ok_, &QPushButton::clicked, this, [this] { OnOK(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { OnBnClickedCancel(); });

  auto* grid = new QGridLayout(this);
  grid->addWidget(group, 0, 0, 1, 2);
  grid->addWidget(ok_, 0, 2, Qt::AlignTop);
  grid->addWidget(label, 1, 0);
  grid->addWidget(combo_, 1, 1);
  grid->addWidget(cancel_, 1, 2);
  grid->setColumnStretch(1, 1);
  OnInitDialog();
  hide();
}

CSearchDlg::~CSearchDlg() = default;

bool CSearchDlg::OnInitDialog() {
  ok_->setText(vrres::LoadString(IDS_SEARCH_BUTTON));
  std::vector<std::string> words;
  settings::GetKeyWords(settings_, &words);
  // Each stored text goes to the front in turn.
  search_.History().LoadKeywords(words);
  combo_->ShowHistory();
  return true;
}

void CSearchDlg::SetLists(CListCtrlEx* reference, CListCtrlEx* definition) {
  lists_[LIST_REFERENCE] = reference;
  lists_[LIST_DEFINITION] = definition;
}

CListCtrlEx* CSearchDlg::ChosenList() const { return lists_[listChoice_ == LIST_DEFINITION ? 1 : 0]; }

int CSearchDlg::BusKind() const {
  const CListCtrlEx* list = ChosenList();
  const auto* owner = list ? qobject_cast<const CListDlg*>(list->parentWidget()) : nullptr;
  return owner ? owner->BusKind() : BUS_CAN;
}

void CSearchDlg::PrepareLists() {
  const int refRows = lists_[0] ? lists_[0]->GetItemCount() : 0;
  const int defRows = lists_[1] ? lists_[1]->GetItemCount() : 0;
  const SearchListChoice choice = PrepareSearchLists(refRows, defRows, listChoice_);
  listChoice_ = choice.list;
  refRadio_->setEnabled(choice.referenceEnabled);
  defRadio_->setEnabled(choice.definitionEnabled);
  (listChoice_ == LIST_DEFINITION ? defRadio_ : refRadio_)->setChecked(true);
}

void CSearchDlg::ShowSearch() {
  if (destroyed_) return;
  show();
  raise();
  activateWindow();
}

void CSearchDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Every showing starts a new search.
  search_.Reset();
  combo_->setFocus(Qt::OtherFocusReason);
  cancel_->setDefault(false);
  ok_->setDefault(true);
}

void CSearchDlg::keyPressEvent(QKeyEvent* event) {
  // Enter in the text (or anywhere but on a button) finds the next row.
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier) {
    OnOK();
    return;
  }
  QDialog::keyPressEvent(event);
}

void CSearchDlg::OnOK() {
  CListCtrlEx* list = ChosenList();
  const std::string text = combo_->TextA();
  // The rows as the list shows them, read where they are kept.
  static const NoCells kNoCells;
  const IListCells& rows = list && list->Cells() ? *list->Cells() : kNoCells;
  const std::vector<int> selection = list ? list->GetSelectedRows() : std::vector<int>();
  // The old selection goes before anything is looked at (and before a
  // message shows); only an empty text or list leaves it alone.
  if (list && rows.RowCount() > 0 && !text.empty()) list->ClearRowSelection();

  // A search that has wrapped shows its start row before message IDS_MSG_SEARCH_WRAPPED.
  const SearchResult result = search_.FindNext(rows, BusKind(), selection, text, [list](int row) {
    if (list) list->EnsureRowVisible(row);
  });
  combo_->ShowHistory();
  combo_->SetTextA(text);
  if (!list) return;
  switch (result.outcome) {
    case SEARCH_NO_DATA:
      break;
    case SEARCH_FOUND:
      SelectAndFocus(*list, result.selectRow);
      list->EnsureRowVisible(result.selectRow);
      FocusList(*list);
      break;
    case SEARCH_NOT_FOUND:
      if (search_.LastText().empty()) FocusList(*list);
      break;
    case SEARCH_WRAPPED:
      if (result.selectRow >= 0) {
        SelectAndFocus(*list, result.selectRow);
        FocusList(*list);
      }
      break;
  }
}

void CSearchDlg::OnBnClickedCancel() {
  if (CListCtrlEx* list = ChosenList()) list->setFocus(Qt::OtherFocusReason);
  hide();
}

void CSearchDlg::DestroySearch() {
  if (destroyed_) return;
  // At most 20 texts, front first, without the empty ones.
  settings::SetKeyWords(settings_, search_.History().KeywordsForSettings());
  destroyed_ = true;
  hide();
}
