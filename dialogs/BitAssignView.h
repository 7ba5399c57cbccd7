// The bit grid: one page of up to 512 bits of a CAN message as small coloured
// cells, 16 to a row, with the bit number of each row beside them. The user
// drags over free cells to choose the edited signal's bits; the grid tells its
// owner while the range changes and when the drag ends, and scrolls on a timer
// while the pointer is held above or below it.
#pragma once

#include <QScrollArea>
#include <QTimer>

#include "BitGridModel.h"
#include "WndAssist.h"

class BitGridCanvas;

class BitAssignView : public QScrollArea, public cWndAssist {
  Q_OBJECT

 public:
  // The form of dialog 1035: a "Bit" heading above centred row labels.
  explicit BitAssignView(QWidget* parent = nullptr);
  ~BitAssignView() override;

  // Draws a page; while the view's lock is held the page is painted once at
  // the end.
  void SetBitAssign(const tagBitAssignInfo& info);
  // Page-relative bits of the highlighted range, low <= high.
  void GetSelectedBits(int& low, int& high) const { model_.GetSelectedBits(low, high); }
  void SetReadOnly(unsigned char readOnly) { model_.SetReadOnly(readOnly != 0); }

  const BitGridModel& Model() const { return model_; }
  const BitGridGeometry& Geometry() const { return geo_; }
  // The widget the cells are painted on (inside the scroll area).
  QWidget* Canvas() const;
  bool AutoScrollRunning() const { return timer_.isActive(); }
  int AutoScrollInterval() const { return timer_.interval(); }

 Q_SIGNALS:
  // The selection is changing (a press that starts a range, a drag step).
  void bitSelectChanging();
  // The left button was released.
  void bitSelectDone();

 protected:
  // The form of dialog 2008: no heading, right-aligned labels.
  BitAssignView(QWidget* parent, bool pageForm);
  void resizeEvent(QResizeEvent* event) override;

 private:
  friend class BitGridCanvas;
  void Press(const QPoint& canvasPos);
  void Move(const QPoint& canvasPos);
  void Release();
  void AutoScroll(const QPoint& viewportPos);
  void OnTick();
  void ApplyStyle();
  void Notify(bool done);

  BitGridModel model_;
  BitGridGeometry geo_;
  bool pageForm_ = false;
  bool pressSwallowed_ = false;
  BitGridCanvas* canvas_ = nullptr;
  QTimer timer_;
};

// The grid as the CAN dialog hosts it (form of dialog 2008).
class BitAssignViewPage : public BitAssignView {
  Q_OBJECT

 public:
  explicit BitAssignViewPage(QWidget* parent = nullptr);
  ~BitAssignViewPage() override;
};
