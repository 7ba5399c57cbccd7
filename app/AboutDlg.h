// The about box: the program icon, a version line built from the program's
// version record, a second line of text and OK.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);

  QString VersionLineText() const { return versionLine_; }
  QString SecondLineText() const { return secondLine_; }

 private:
  bool OnInitDialog();

  QString versionLine_;
  QString secondLine_;
  QLabel* versionLabel_ = nullptr;
  QLabel* secondLabel_ = nullptr;
};
