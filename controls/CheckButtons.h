// The dialogs' radio buttons and check boxes: what they show is whether
// they are checked.
#pragma once

#include <QCheckBox>
#include <QRadioButton>

#include "ShownValue.h"

template <class Button>
class CCheckedShown : public Button, public IShownValue {
 public:
  explicit CCheckedShown(const QString& text, QWidget* parent = nullptr) : Button(text, parent) {}
  std::optional<QString> ShownValue() const override {
    return this->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  }
};

using CRadioButton = CCheckedShown<QRadioButton>;
using CCheckBox = CCheckedShown<QCheckBox>;
