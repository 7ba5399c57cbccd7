// The element parsers: each copies one kind of FIBEX element, with a fixed
// list of its descendants, from the loaded document into its table of the
// model. They return 0, or 2 when the document gives them nothing to walk.
// Engine failures are raised as XmlDomError, no memory for a table as
// std::bad_alloc.
#pragma once

#include "FibexModel.h"
#include "XmlDom.h"

#include <cstddef>
#include <functional>
#include <string>

// Numbers as the file writes them: leading white space, an optional sign,
// then digits (for decimals also a point and an exponent); reading stops at
// the first other character and a text without digits gives 0. Both
// saturate instead of overflowing.
int ReadFibexInteger(const std::string& text);
long long ReadFibexInteger64(const std::string& text);
double ReadFibexDecimal(const std::string& text);

// Reading operations over the engine. Descendants are all levels below the
// element, in document order.
std::size_t CountFibexElements(const XmlDomNode& element, const char* tag);
// Node name and text of the index-th descendant named `tag`; false when there is none.
bool ReadFibexElementTextAt(const XmlDomNode& element, const char* tag, std::size_t index, std::string& name,
                            std::string& text);
// Name and value of the attribute at `position` of the index-th descendant
// named `tag` (both empty when it has no such attribute), and its text.
bool ReadFibexElementAt(const XmlDomNode& element, const char* tag, std::size_t index, std::size_t position,
                        std::string& name, std::string& value, std::string& text);

// Fillers: write what the buffer holds into the record. 0 when the tag is
// one of theirs, 1 otherwise. `index` is the descendant's index among those
// with the same tag.
int FillFibexCluster(FibexCluster& record, int index, const FibexReadBuffer& buffer);
int FillFibexChannel(FibexChannel& record, int index, const FibexReadBuffer& buffer);
int FillFibexEcu(FibexEcu& record, int index, const FibexReadBuffer& buffer);
int FillFibexFrame(FibexFrame& record, int index, const FibexReadBuffer& buffer);
int FillFibexSignal(FibexSignal& record, int index, const FibexReadBuffer& buffer);
int FillFibexUnit(FibexUnit& record, int index, const FibexReadBuffer& buffer);
int FillFibexCoding(FibexCoding& record, int index, const FibexReadBuffer& buffer);
int FillFibexSignalGroup(FibexSignalGroup& record, int index, const FibexReadBuffer& buffer);

int ParseFibexClusters(XmlDomDocument& doc, FibexModel& model);
int ParseFibexChannels(XmlDomDocument& doc, FibexModel& model);
int ParseFibexEcus(XmlDomDocument& doc, FibexModel& model);
int ParseFibexFrames(XmlDomDocument& doc, FibexModel& model);
int ParseFibexSignals(XmlDomDocument& doc, FibexModel& model);
int ParseFibexUnits(XmlDomDocument& doc, FibexModel& model);
int ParseFibexCodings(XmlDomDocument& doc, FibexModel& model);
int ParseFibexSignalGroups(XmlDomDocument& doc, FibexModel& model);

// Hands `each` the signal instances that the frame parser makes of the
// frame element, with their index, in order and all of them (the model keeps
// the first FIBEX_MAX_CHILDREN). Only their signal and signal-group
// references are filled in.
void ForEachFibexFrameInstance(const XmlDomNode& frame,
                               const std::function<void(std::size_t, const FibexSignalInstance&)>& each);

// Fills model.outline from the whole file below `root`; the element parsers
// have filled the model's tables.
void OutlineFibexFile(const XmlDomNode& root, FibexModel& model);

// Test hook: the next `n` table allocations of the parsers fail, and their
// parsers give 2 (0 turns it off). A table for which memory runs out throws
// std::bad_alloc instead.
void SetFibexTableAllocationFailures(int n);
