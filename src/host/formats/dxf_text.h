// Text in DXF files: code pages, \U+XXXX escapes, %% control codes and MTEXT formatting.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "host/drawing/model.h"
#include "host/formats/dxf_raw.h"

namespace host::dxf {

// How the strings of one file are encoded: files before R2007 carry the code page named in
// $DWGCODEPAGE (cp1252 when it is missing), R2007 and later UTF-8.
class TextDecoder {
 public:
  void set_version(std::string_view acadver);
  void set_codepage(std::string_view dwgcodepage);
  // A string of the file as UTF-8 (escapes such as \U+00C4 are left for the callers).
  std::string to_utf8(std::string_view raw) const;

 private:
  bool utf8_ = false;
  std::string codepage_ = "CP1252";  // iconv name
};

std::string cp1252_to_utf8(std::string_view bytes);
bool is_valid_utf8(std::string_view s);
// Resolves \U+XXXX escapes to UTF-8.
std::string decode_unicode_escapes(std::string_view s);
// The visible text of a TEXT or ATTRIB string: \U+XXXX escapes and %%d, %%p, %%c, %%%
// resolved, the underline and overline switches %%u, %%o removed.
std::string plain_text(std::string_view s);

// The visible lines of an MTEXT string. Width (\W) and oblique (\Q) codes that come before
// the first visible character apply to the whole text and are reported.
struct MText {
  std::vector<std::string> lines;
  double ratio = 1;
  double slant = 0;
};
MText parse_mtext(std::string_view s);

// An MTEXT string (UTF-8) as the host's formatted text content: \U+XXXX escapes and %%
// codes resolved, absolute heights (\H2.5;) made relative to the entity's height (so that
// scaling the text scales them too), palette colours (\C) given as true colours (\c).
// `formatted` stays empty when the string carries nothing but lines.
struct MTextContent {
  std::vector<std::string> lines;
  std::string formatted;
  double ratio = 1;  // from width and oblique codes ahead of plain lines
  double slant = 0;
};
MTextContent mtext_to_formatted(std::string_view utf8, double height);

// A TEXT, ATTRIB or ATTDEF aligned at its bottom (vertical alignment 1) hangs its
// descenders down to the alignment point: the element, placed at that point on its
// baseline, moves up by the font's descent (in the text's own direction).
void stand_on_descenders(Element& e);

// The MTEXT's box: the defined width its lines wrap at, its background fill (group 90 flags
// 1 and 2, colour 63 or 421, margin 45), its text frame (flag 16) and its columns.
void mtext_box(TextProps& t, const RawGroups& r, double width);

// UTF-8 to the bytes of a cp1252 DXF string; characters outside cp1252 and control
// characters become \U+XXXX escapes, which readers of R2000 files resolve.
std::string utf8_to_cp1252(std::string_view s);
// Content lines as MTEXT: backslash and braces escaped, lines joined by \P.
std::string mtext_content(const std::vector<std::string>& lines);

}  // namespace host::dxf
