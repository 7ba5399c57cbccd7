// The document's record calls for one bus kind of message definitions, so
// that code which treats CAN, FlexRay and LIN messages alike can be written
// once over the kind. Users add what differs for them (how a message joins
// its table, which rows it makes).
#pragma once

#include "VestrelDoc.h"

struct CanRecords {
  using Msg = _CANMsg;
  using Sig = _CANSignal;
  static NameMap<Msg>& Table(CVestrelDoc& d, int list) { return d.GetCanMsgTable(list); }
  static Msg* AllocMsg(CVestrelDoc& d) { return d.AllocCanMsg(); }
  static Sig* AllocSig(CVestrelDoc& d) { return d.AllocCanSignal(); }
  static void FreeMsg(CVestrelDoc& d, Msg* m) { d.FreeCanMsg(m); }
  static void FreeSig(CVestrelDoc& d, Sig* s) { d.FreeCanSignal(s); }
  static void AddSig(CVestrelDoc& d, Msg* m, Sig* s) { d.AddCanSignal(m, s); }
};

struct FlexRayRecords {
  using Msg = _FlexRayMsg;
  using Sig = _FlexRaySignal;
  static NameMap<Msg>& Table(CVestrelDoc& d, int list) { return d.GetFlexRayMsgTable(list); }
  static Msg* AllocMsg(CVestrelDoc& d) { return d.AllocFlexRayMsg(); }
  static Sig* AllocSig(CVestrelDoc& d) { return d.AllocFlexRaySignal(); }
  static void FreeMsg(CVestrelDoc& d, Msg* m) { d.FreeFlexRayMsg(m); }
  static void FreeSig(CVestrelDoc& d, Sig* s) { d.FreeFlexRaySignal(s); }
  static void AddSig(CVestrelDoc& d, Msg* m, Sig* s) { d.AddFlexRaySignal(m, s); }
};

struct LinRecords {
  using Msg = _LINMsg;
  using Sig = _LINSignal;
  static NameMap<Msg>& Table(CVestrelDoc& d, int list) { return d.GetLinMsgTable(list); }
  static Msg* AllocMsg(CVestrelDoc& d) { return d.AllocLinMsg(); }
  static Sig* AllocSig(CVestrelDoc& d) { return d.AllocLinSignal(); }
  static void FreeMsg(CVestrelDoc& d, Msg* m) { d.FreeLinMsg(m); }
  static void FreeSig(CVestrelDoc& d, Sig* s) { d.FreeLinSignal(s); }
  static void AddSig(CVestrelDoc& d, Msg* m, Sig* s) { d.AddLinSignal(m, s); }
};
