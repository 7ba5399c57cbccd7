// Lets the tests compare the element index that insertion maintains with the
// one a fresh parse of the same text builds.
#pragma once

#include "Markup.h"

#include <ostream>
#include <string>
#include <vector>

struct IndexedElement {
  int depth;
  int32_t startTagOpen, startTagClose, endTagOpen, endTagClose;
  bool operator==(const IndexedElement&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const IndexedElement& e) {
  return os << "{depth " << e.depth << ": " << e.startTagOpen << ' ' << e.startTagClose << ' ' << e.endTagOpen << ' '
            << e.endTagClose << '}';
}

class CMarkupTestAccess {
 public:
  // The elements in document order (following the links), with their depth.
  // Also checks that every parent link agrees with the child links.
  static std::vector<IndexedElement> Tree(const CMarkup& m, bool* linksConsistent = nullptr) {
    std::vector<IndexedElement> out;
    bool ok = true;
    Walk(m, m.m_index[0].firstChild, 0, 1, out, ok);
    if (linksConsistent) *linksConsistent = ok;
    return out;
  }
  // Whatever text the index was built from: every entry points at its own tag
  // characters, children lie inside their parent's content in order, and the
  // links agree. Holds after any insertion, even into a text that a fresh
  // parse would now read differently.
  static bool Consistent(const CMarkup& m) {
    return Level(m, m.m_index[0].firstChild, 0, -1, static_cast<int32_t>(m.m_doc.size()));
  }
  static int Current(const CMarkup& m) { return m.m_current; }
  static int Child(const CMarkup& m) { return m.m_child; }
  static int Parent(const CMarkup& m) { return m.m_parent; }

 private:
  static bool Level(const CMarkup& m, int first, int parent, int32_t low, int32_t high) {
    const std::string& d = m.m_doc;
    for (int i = first; i != 0; i = m.m_index[i].nextSibling) {
      if (i < 0 || i >= m.m_nextFree) return false;
      const CMarkup::ElemPos& e = m.m_index[i];
      const int32_t endTagClose = m.EndTagClose(i);
      if (e.parent != parent || e.startTagOpen <= low || e.startTagClose <= e.startTagOpen || endTagClose >= high ||
          d[e.startTagOpen] != '<' || d[e.startTagClose] != '>')
        return false;
      if (e.startTagClose == e.endTagOpen + 1) {
        if (endTagClose != e.startTagClose || e.firstChild != 0 || d[e.endTagOpen] != '/') return false;
      } else if (e.endTagOpen <= e.startTagClose || endTagClose <= e.endTagOpen || d[e.endTagOpen] != '<' ||
                 d[endTagClose] != '>' || !Level(m, e.firstChild, i, e.startTagClose, e.endTagOpen)) {
        return false;
      }
      low = endTagClose;
    }
    return true;
  }

  static void Walk(const CMarkup& m, int first, int parent, int depth, std::vector<IndexedElement>& out, bool& ok) {
    for (int i = first; i != 0; i = m.m_index[i].nextSibling) {
      const CMarkup::ElemPos& e = m.m_index[i];
      if (e.parent != parent) ok = false;
      out.push_back({depth, e.startTagOpen, e.startTagClose, e.endTagOpen, m.EndTagClose(i)});
      Walk(m, e.firstChild, i, depth + 1, out, ok);
    }
  }
};
