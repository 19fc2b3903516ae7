#pragma once
// The plain text of an RTF document, for backends that show no formatting
// (the headless backend keeps it as the rich edit's text, the terminal prints
// it). Paragraphs become CRs; destinations that hold no text (font and colour
// tables, pictures, "\*" groups) are skipped; "\'hh" bytes are ANSI and "\u"
// escapes UTF-16.

#include <string>

#include "base/Bytes.h"

namespace tailpack {

std::u16string RtfToPlainText(const TBytes& rtf);

}  // namespace tailpack
