// The document's cache of fonts: windows that ask for the same face, height,
// character set and style share one font object, which stays owned by the
// cache. Callers never delete what they get.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <list>
#include <memory>

enum FontFlags : unsigned { FONT_BOLD = 1u, FONT_ITALIC = 2u, FONT_UNDERLINE = 4u };

class CFontManager {
 public:
  CFontManager() = default;
  CFontManager(const CFontManager&) = delete;
  CFontManager& operator=(const CFontManager&) = delete;
  virtual ~CFontManager();

  // `face` is UTF-8; `height` in pixels as a font height (its absolute value
  // is used); flags: FONT_BOLD, FONT_ITALIC, FONT_UNDERLINE. The escapement
  // (tenths of a degree) takes part in the identity of a font only.
  QFont* GetFont(const char* face, int height, std::uint8_t charset, unsigned flags, int escapement = 0);

  // Deletes that font and drops it from the cache; null releases every font.
  virtual void ReleaseFont(QFont* font);

  int Count() const { return static_cast<int>(fonts_.size()); }

 private:
  struct Key {
    int height = 0;
    int width = 0;
    int escapement = 0;
    int orientation = 0;
    int weight = 400;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charset = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0x30;
    QByteArray face;
    bool operator==(const Key&) const = default;
  };
  struct Entry {
    Key key;
    std::unique_ptr<QFont> font;
  };
  std::list<Entry> fonts_;
};
