// Small builders for hand-written FIBEX 2.x test files, and a temporary
// folder to write them into.
#pragma once

#include "TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fx {

struct Timing {
  int slot;
  int base;
  int rep;
};

inline std::string Cluster(const std::string& id, const std::vector<std::string>& channelRefs,
                           const std::string& protocol = "FlexRay", const std::string& bitOrder = "false",
                           const std::string& policy = "MONOTONE", const std::string& name = "Cluster") {
  std::string s = "<fx:CLUSTER ID=\"" + id + "\" xsi:type=\"flexray:CLUSTER-TYPE\"><ho:SHORT-NAME>" + name +
                  "</ho:SHORT-NAME><fx:IS-HIGH-LOW-BIT-ORDER>" + bitOrder +
                  "</fx:IS-HIGH-LOW-BIT-ORDER><fx:BIT-COUNTING-POLICY>" + policy +
                  "</fx:BIT-COUNTING-POLICY><fx:PROTOCOL>" + protocol +
                  "</fx:PROTOCOL><fx:PROTOCOL-VERSION>2.1</fx:PROTOCOL-VERSION><fx:CHANNEL-REFS>";
  for (const auto& r : channelRefs) s += "<fx:CHANNEL-REF ID-REF=\"" + r + "\"/>";
  s += "</fx:CHANNEL-REFS><flexray:PAYLOAD-LENGTH-STATIC>16</flexray:PAYLOAD-LENGTH-STATIC></fx:CLUSTER>\n";
  return s;
}

// A triggering with one absolutely scheduled timing per entry; `raw` is put
// into the timings as it stands (for mismatched timing lists).
inline std::string Triggering(const std::string& id, const std::string& frameRef, const std::vector<Timing>& timings,
                              const std::string& raw = "") {
  std::string s = "<fx:FRAME-TRIGGERING ID=\"" + id + "\"><fx:TIMINGS>";
  for (const auto& t : timings)
    s += "<fx:ABSOLUTELY-SCHEDULED-TIMING><fx:SLOT-ID>" + std::to_string(t.slot) + "</fx:SLOT-ID><fx:BASE-CYCLE>" +
         std::to_string(t.base) + "</fx:BASE-CYCLE><fx:CYCLE-REPETITION>" + std::to_string(t.rep) +
         "</fx:CYCLE-REPETITION></fx:ABSOLUTELY-SCHEDULED-TIMING>";
  s += raw + "</fx:TIMINGS><fx:FRAME-REF ID-REF=\"" + frameRef + "\"/></fx:FRAME-TRIGGERING>\n";
  return s;
}

inline std::string Channel(const std::string& id, const std::vector<std::string>& triggerings,
                           const std::string& name = "ChannelA") {
  std::string s = "<fx:CHANNEL ID=\"" + id + "\" xsi:type=\"flexray:CHANNEL-TYPE\"><ho:SHORT-NAME>" + name +
                  "</ho:SHORT-NAME><fx:FRAME-TRIGGERINGS>";
  for (const auto& t : triggerings) s += t;
  return s + "</fx:FRAME-TRIGGERINGS></fx:CHANNEL>\n";
}

inline std::string Instance(const std::string& id, int bitPosition, const std::string& signalRef,
                            const std::string& byteOrder = "false") {
  return "<fx:SIGNAL-INSTANCE ID=\"" + id + "\"><fx:BIT-POSITION>" + std::to_string(bitPosition) +
         "</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>" + byteOrder +
         "</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-REF ID-REF=\"" + signalRef + "\"/></fx:SIGNAL-INSTANCE>";
}

inline std::string GroupInstance(const std::string& id, int bitPosition, const std::string& groupRef,
                                 const std::string& byteOrder = "false") {
  return "<fx:SIGNAL-INSTANCE ID=\"" + id + "\"><fx:BIT-POSITION>" + std::to_string(bitPosition) +
         "</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>" + byteOrder +
         "</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-GROUP-REF ID-REF=\"" + groupRef + "\"/></fx:SIGNAL-INSTANCE>";
}

inline std::string Frame(const std::string& id, const std::string& name, int byteLength,
                         const std::vector<std::string>& instances) {
  std::string s = "<fx:FRAME ID=\"" + id + "\"><ho:SHORT-NAME>" + name + "</ho:SHORT-NAME><fx:BYTE-LENGTH>" +
                  std::to_string(byteLength) + "</fx:BYTE-LENGTH><fx:FRAME-TYPE>APPLICATION</fx:FRAME-TYPE>";
  if (!instances.empty()) {
    s += "<fx:SIGNAL-INSTANCES>";
    for (const auto& i : instances) s += i;
    s += "</fx:SIGNAL-INSTANCES>";
  }
  return s + "</fx:FRAME>\n";
}

inline std::string Signal(const std::string& id, const std::string& name, const std::string& codingRef = "") {
  std::string s = "<fx:SIGNAL ID=\"" + id + "\"><ho:SHORT-NAME>" + name + "</ho:SHORT-NAME>";
  if (!codingRef.empty()) s += "<fx:CODING-REF ID-REF=\"" + codingRef + "\"/>";
  return s + "</fx:SIGNAL>\n";
}

struct Constraint {
  std::string validity;
  double lower;
  double upper;
};

inline std::string Num(double v) {
  char buf[64];
  std::snprintf(buf, sizeof(buf), "%.17g", v);
  return buf;
}

// A coding with a compu method of `category`; `coefficients` are the "ho:V"
// texts in order.
inline std::string Coding(const std::string& id, const std::string& baseType, int bitLength,
                          const std::string& category, const std::string& unitRef = "",
                          const std::vector<Constraint>& constraints = {},
                          const std::vector<std::string>& coefficients = {}) {
  std::string s = "<fx:CODING ID=\"" + id + "\"><ho:SHORT-NAME>" + id + "_name</ho:SHORT-NAME>" +
                  "<ho:CODED-TYPE ho:BASE-DATA-TYPE=\"" + baseType + "\" CATEGORY=\"STANDARD-LENGTH-TYPE\">" +
                  "<ho:BIT-LENGTH>" + std::to_string(bitLength) + "</ho:BIT-LENGTH></ho:CODED-TYPE>" +
                  "<ho:COMPU-METHODS><ho:COMPU-METHOD><ho:SHORT-NAME>cm</ho:SHORT-NAME><ho:CATEGORY>" + category +
                  "</ho:CATEGORY>";
  if (!unitRef.empty()) s += "<ho:UNIT-REF ID-REF=\"" + unitRef + "\"/>";
  if (!constraints.empty()) {
    s += "<ho:PHYS-CONSTRS>";
    for (const auto& c : constraints)
      s += "<ho:SCALE-CONSTR VALIDITY=\"" + c.validity + "\"><ho:LOWER-LIMIT INTERVAL-TYPE=\"CLOSED\">" + Num(c.lower) +
           "</ho:LOWER-LIMIT><ho:UPPER-LIMIT INTERVAL-TYPE=\"OPEN\">" + Num(c.upper) +
           "</ho:UPPER-LIMIT></ho:SCALE-CONSTR>";
    s += "</ho:PHYS-CONSTRS>";
  }
  if (!coefficients.empty()) {
    s += "<ho:COMPU-INTERNAL-TO-PHYS><ho:COMPU-SCALES><ho:COMPU-SCALE><ho:COMPU-RATIONAL-COEFFS><ho:COMPU-NUMERATOR>";
    for (const auto& v : coefficients) s += "<ho:V>" + v + "</ho:V>";
    s += "</ho:COMPU-NUMERATOR></ho:COMPU-RATIONAL-COEFFS></ho:COMPU-SCALE></ho:COMPU-SCALES></"
         "ho:COMPU-INTERNAL-TO-PHYS>";
  }
  return s + "</ho:COMPU-METHOD></ho:COMPU-METHODS></fx:CODING>\n";
}

inline std::string Unit(const std::string& id, const std::string& display) {
  return "<ho:UNIT ID=\"" + id + "\"><ho:SHORT-NAME>" + id + "</ho:SHORT-NAME><ho:DISPLAY-NAME>" + display +
         "</ho:DISPLAY-NAME></ho:UNIT>\n";
}

struct Member {
  std::string signalRef;
  int bitPosition;
  std::string byteOrder;
};

inline std::string Group(const std::string& id, const std::string& name, const std::vector<Member>& members) {
  std::string s = "<fx:SIGNAL-GROUP ID=\"" + id + "\"><ho:SHORT-NAME>" + name +
                  "</ho:SHORT-NAME><ho:BIT-LENGTH>16</ho:BIT-LENGTH><fx:SIGNAL-REFS>";
  for (const auto& m : members)
    s += "<fx:SIGNAL-INSTANCE><fx:BIT-POSITION>" + std::to_string(m.bitPosition) +
         "</fx:BIT-POSITION><fx:IS-HIGH-LOW-BYTE-ORDER>" + m.byteOrder +
         "</fx:IS-HIGH-LOW-BYTE-ORDER><fx:SIGNAL-REF ID-REF=\"" + m.signalRef + "\"/></fx:SIGNAL-INSTANCE>";
  return s + "</fx:SIGNAL-REFS></fx:SIGNAL-GROUP>\n";
}

struct Parts {
  std::vector<std::string> clusters, channels, frames, signals, codings, units, groups, ecus;
  std::string rootPrefix = "fx:";
  std::string rootName = "FIBEX";
};

inline std::string Document(const Parts& p) {
  auto join = [](const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += x;
    return s;
  };
  const std::string root = p.rootPrefix + p.rootName;
  std::string s = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<" + root +
                  " xmlns:fx=\"http://www.asam.net/xml/fbx\" xmlns:ho=\"http://www.asam.net/xml\""
                  " xmlns:flexray=\"http://www.asam.net/xml/fbx/flexray\""
                  " xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"" +
                  (p.rootPrefix.empty() ? std::string(" xmlns=\"http://www.asam.net/xml/fbx\"") : std::string()) +
                  " VERSION=\"2.0.1\">\n<fx:ELEMENTS>\n<fx:CLUSTERS>\n" + join(p.clusters) +
                  "</fx:CLUSTERS>\n<fx:CHANNELS>\n" + join(p.channels) + "</fx:CHANNELS>\n<fx:ECUS>" + join(p.ecus) +
                  "</fx:ECUS>\n<fx:FRAMES>\n" + join(p.frames) + "</fx:FRAMES>\n<fx:SIGNALS>\n" + join(p.signals) +
                  "</fx:SIGNALS>\n<fx:SIGNAL-GROUPS>" + join(p.groups) +
                  "</fx:SIGNAL-GROUPS>\n</fx:ELEMENTS>\n<fx:PROCESSING-INFORMATION>\n<ho:UNITS>" + join(p.units) +
                  "</ho:UNITS>\n<fx:CODINGS>\n" + join(p.codings) + "</fx:CODINGS>\n</fx:PROCESSING-INFORMATION>\n</" +
                  root + ">\n";
  return s;
}

// One cluster with one channel: the elements as they are added, written in
// that order.
struct OneChannel {
  std::vector<std::string> frames, triggerings, signals, codings, units, groups;
  std::string protocol = "FlexRay";
  std::string bitOrder = "false";
  std::string policy = "MONOTONE";

  std::string Text() const {
    Parts p;
    p.clusters.push_back(Cluster("CL1", {"CH1"}, protocol, bitOrder, policy));
    p.channels.push_back(Channel("CH1", triggerings));
    p.frames = frames;
    p.signals = signals;
    p.codings = codings;
    p.units = units;
    p.groups = groups;
    return Document(p);
  }
};

// The folder helper under the name these tests use.
using TempDir = vrtest::TempDir;

}  // namespace fx
