#include "AboutDlg.h"

#include "Icons.h"
#include "ResIds.h"
#include "Resources.h"
#include "Seams.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("about"));
  setWindowTitle(vrres::DialogText(IDD_ABOUTBOX, QStringLiteral("caption")));
  auto* icon = new QLabel(this);
  icon->setPixmap(vrres::LoadIcon(IDI_PROGRAM).pixmap(32, 32));
  versionLabel_ = new QLabel(this);
  versionLabel_->setObjectName(QStringLiteral("versionLine"));
  secondLabel_ = new QLabel(this);
  secondLabel_->setObjectName(QStringLiteral("secondLine"));
  auto* ok = new QPushButton(vrres::DialogText(IDD_ABOUTBOX, IDOK), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(versionLabel_, 0, 1);
  grid->addWidget(secondLabel_, 1, 1);
  grid->addWidget(ok, 0, 2, Qt::AlignTop);
  grid->setColumnStretch(1, 1);
  grid->setSizeConstraint(QLayout::SetFixedSize);
  OnInitDialog();
}

bool CAboutDlg::OnInitDialog() {
  VersionInfo info;
  AppEnvironment().GetVersionInfo(&info);
  versionLine_ = QString::fromStdString(VersionLine(info));
  secondLine_ = vrres::LoadString(IDS_ABOUT_SECOND_LINE);
  versionLabel_->setText(versionLine_);
  secondLabel_->setText(secondLine_);
  return true;
}
