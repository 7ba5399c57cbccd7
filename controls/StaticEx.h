// One cell of a bit grid: a small framed field filled with one of six colours
// (grey shades for other signals, white for a free bit, green for the edited
// signal), with an optional tooltip.
#pragma once

#include "WndAssist.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class CStaticEx : public QWidget, public cWndAssist {
  Q_OBJECT

 public:
  static constexpr int kColorCount = 6;
  // 0x00BBGGRR values by colour index.
  static constexpr std::uint32_t kColors[kColorCount] = {0x606060, 0x808080, 0xA0A0A0, 0xC0C0C0, 0xFFFFFF, 0x00FF00};

  explicit CStaticEx(QWidget* parent = nullptr);
  ~CStaticEx() override;

  // Colour by index; an index outside 0..5 keeps the colour. The cell is
  // repainted unless its lock is held.
  void SetColorIndex(int index);
  int ColorIndex() const { return colorIndex_; }
  std::uint32_t FillColor() const { return fill_; }

  // Creates or replaces the tooltip text.
  void SetToolTip(const QString& text);
  QString ToolTipText() const { return tip_; }
  bool HasToolTip() const { return hasTip_; }

  // Whether clicks are reported to the owner (clicked()).
  void SetNotify(bool on) { notify_ = on; }
  bool Notify() const { return notify_; }

 Q_SIGNALS:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  std::uint32_t fill_ = 0xFFFFFF;
  int colorIndex_ = 4;
  bool notify_ = false;
  bool hasTip_ = false;
  QString tip_;
};
