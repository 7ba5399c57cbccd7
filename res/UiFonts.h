// Fonts of the interface. The face names the program asks for are those of
// the original platform ("ＭＳ ゴシック"); here they map onto installed
// proportional faces of the interface language (Debian fonts-noto-cjk, with
// the IPA and WenQuanYi faces as second choice), and the interface font of
// Japanese and Chinese is such a face instead of the fixed-pitch one that
// the system's fallback would pick.
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace vrres {

enum class UiScript { Japanese, ChineseSimplified, Latin };

// The installed faces that stand for the faces of the original platform, in
// order of preference, for an interface in `script`.
QStringList ProportionalCjkFaces(UiScript script);
// Maps the original platform's face names (and the caption face) onto
// ProportionalCjkFaces(script); replaces an earlier mapping.
void InstallFaceSubstitutes(UiScript script);
// The interface font: `base` with the language's proportional face first
// (Japanese, Chinese), or `base` with the CJK faces after its own for names
// in Japanese (Latin).
QFont InterfaceFont(UiScript script, const QFont& base);

}  // namespace vrres
