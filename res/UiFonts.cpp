#include "UiFonts.h"

namespace vrres {

namespace {

// Face names of the original platform that the program or its texts name.
const char* const kJapaneseFaces[] = {
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",              // ＭＳ ゴシック
    "\xEF\xBC\xAD\xEF\xBC\xB3 \xEF\xBC\xB0\xE3\x82\xB4\xE3\x82\xB7\xE3\x83\x83\xE3\x82\xAF",  // ＭＳ Ｐゴシック
    "MS Gothic",
    "MS PGothic",
    "MS UI Gothic",
    "Meiryo",
    "Meiryo UI",
    "\xE3\x83\xA1\xE3\x82\xA4\xE3\x83\xAA\xE3\x82\xAA",  // メイリオ
};
const char* const kChineseFaces[] = {
    "SimSun",
    "NSimSun",
    "Microsoft YaHei",
    "\xE5\xAE\x8B\xE4\xBD\x93",                          // 宋体
    "\xE5\xBE\xAE\xE8\xBD\xAF\xE9\x9B\x85\xE9\xBB\x91",  // 微软雅黑
};

}  // namespace

QStringList ProportionalCjkFaces(UiScript script) {
  if (script == UiScript::ChineseSimplified)
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei"),
            QStringLiteral("Noto Sans CJK JP")};
  return {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK SC")};
}

void InstallFaceSubstitutes(UiScript script) {
  // The caption face is asked for in every language; it takes the faces of
  // the interface language, so Chinese captions get Chinese glyph forms.
  const QStringList faces = ProportionalCjkFaces(script);
  for (const char* face : kJapaneseFaces) {
    const QString name = QString::fromUtf8(face);
    QFont::removeSubstitutions(name);
    QFont::insertSubstitutions(name, faces);
  }
  const QStringList chinese = ProportionalCjkFaces(UiScript::ChineseSimplified);
  for (const char* face : kChineseFaces) {
    const QString name = QString::fromUtf8(face);
    QFont::removeSubstitutions(name);
    QFont::insertSubstitutions(name, chinese);
  }
}

QFont InterfaceFont(UiScript script, const QFont& base) {
  QFont font = base;
  QStringList families = ProportionalCjkFaces(script);
  if (script == UiScript::Latin)
    families = base.families().isEmpty() ? QStringList{base.family()} + families : base.families() + families;
  font.setFamilies(families);
  return font;
}

}  // namespace vrres
