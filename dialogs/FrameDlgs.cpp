// The control tables of the FlexRay and LIN dialogs.
#include "FlexRayDlg.h"
#include "LinDlg.h"

#include "Resources.h"

using namespace dlgids;

namespace {

const tagCtrlLimit kFlexRayCombos[] = {{IDC_MSG_NAME, 32}, {IDC_MSG_ID, 4},     {IDC_SIGNAL_NAME, 32},
                                       {IDC_BIT_ORDER, 0}, {IDC_VALUE_TYPE, 0}, {0, 0}};
const tagCtrlLimit kFlexRayEdits[] = {{IDC_BYTE_COUNT, 3},
                                      {IDC_BASE_CYCLE, 2},
                                      {IDC_CYCLE_REPEAT, 2},
                                      {IDC_START_BIT, 5},
                                      {IDC_BIT_COUNT, 5},
                                      {IDC_FACTOR, 0},
                                      {IDC_OFFSET, 0},
                                      {IDC_UNIT, 32},
                                      {IDC_MINIMUM, 0},
                                      {IDC_MAXIMUM, 0},
                                      {0, 0}};
const tagCtrlIntRange kFlexRayInts[] = {{IDC_BYTE_COUNT, 0, 254}, {IDC_BASE_CYCLE, 0, 63},  {IDC_CYCLE_REPEAT, 1, 64},
                                        {IDC_START_BIT, 0, 2031}, {IDC_BIT_COUNT, 1, 2032}, {0, 0, 0}};

const tagCtrlLimit kLinCombos[] = {{IDC_MSG_NAME, 32},    {IDC_CHECKSUM, 0},   {IDC_MSG_ID, 2},
                                   {IDC_SIGNAL_NAME, 32}, {IDC_VALUE_TYPE, 0}, {0, 0}};
const tagCtrlLimit kLinEdits[] = {{IDC_BYTE_COUNT, 1}, {IDC_START_BIT, 5}, {IDC_BIT_COUNT, 5},
                                  {IDC_FACTOR, 0},     {IDC_OFFSET, 0},    {IDC_UNIT, 32},
                                  {IDC_MINIMUM, 0},    {IDC_MAXIMUM, 0},   {0, 0}};
const tagCtrlIntRange kLinInts[] = {{IDC_BYTE_COUNT, 0, 8}, {IDC_START_BIT, 0, 63}, {IDC_BIT_COUNT, 1, 64}, {0, 0, 0}};

const tagCtrlDblRange kScaling[] = {{IDC_FACTOR, -1e30, 1e30, "%e"},
                                    {IDC_OFFSET, -1e30, 1e30, "%e"},
                                    {IDC_MAXIMUM, -1e30, 1e30, "%e"},
                                    {IDC_MINIMUM, -1e30, 1e30, "%e"},
                                    {0, 0, 0, nullptr}};

}  // namespace

CFlexRayDlg::CFlexRayDlg(QWidget* parent)
    : CFrameSignalDlg(IDD_FLEXRAY, parent, std::make_unique<CFlexRayDlgModel>(), true,
                      {kFlexRayCombos, kFlexRayEdits, kFlexRayInts, kScaling}) {
  setObjectName(QStringLiteral("flexRayDlg"));
}

CLinDlg::CLinDlg(QWidget* parent)
    : CFrameSignalDlg(IDD_LIN, parent, std::make_unique<CLinDlgModel>(), false,
                      {kLinCombos, kLinEdits, kLinInts, kScaling}) {
  setObjectName(QStringLiteral("linDlg"));
}
