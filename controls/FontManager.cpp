#include "FontManager.h"

#include <cstring>

namespace {

// A face name fits 31 bytes and a terminator; cut at a UTF-8 character start.
QByteArray CutFace(const char* face) {
  QByteArray bytes(face ? face : "");
  if (bytes.size() <= 31) return bytes;
  int n = 31;
  while (n > 0 && (static_cast<unsigned char>(bytes[n]) & 0xC0) == 0x80) --n;
  return bytes.left(n);
}

}  // namespace

CFontManager::~CFontManager() { ReleaseFont(nullptr); }

QFont* CFontManager::GetFont(const char* face, int height, std::uint8_t charset, unsigned flags, int escapement) {
  Key key;
  key.height = height;
  key.escapement = escapement;
  key.weight = (flags & FONT_BOLD) ? 700 : 400;
  key.italic = (flags & FONT_ITALIC) ? 1 : 0;
  key.underline = (flags & FONT_UNDERLINE) ? 1 : 0;
  key.charset = charset;
  key.face = CutFace(face);
  for (Entry& e : fonts_)
    if (e.key == key) return e.font.get();

  auto font = std::make_unique<QFont>();
  // The face may not exist here; the fixed-pitch hint steers the fallback to
  // a monospaced font of the same kind.
  font->setFamilies(QStringList{QString::fromUtf8(key.face)});
  font->setStyleHint(QFont::TypeWriter);
  font->setPixelSize(height == 0 ? 12 : (height < 0 ? -height : height));
  font->setWeight(key.weight >= 700 ? QFont::Bold : QFont::Normal);
  font->setItalic(key.italic != 0);
  font->setUnderline(key.underline != 0);
  fonts_.push_back(Entry{key, std::move(font)});
  return fonts_.back().font.get();
}

void CFontManager::ReleaseFont(QFont* font) {
  if (!font) {
    fonts_.clear();
    return;
  }
  fonts_.remove_if([font](const Entry& e) { return e.font.get() == font; });
}
