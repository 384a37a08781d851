#pragma once

#include <string_view>

class RVExportSink;

// Text placed into an XML document: "&", "<", ">", quotes and line breaks become references,
// so the text may stand in element content and in attribute values alike. Characters XML 1.0
// cannot carry at all (other control characters, U+FFFE, U+FFFF) are dropped, and bytes that
// are not UTF-8 become U+FFFD, so whatever a file name or a camera wrote, the document stays
// well-formed and its bytes stay UTF-8, as its declaration says.
namespace RVXmlText {
void append(RVExportSink& sink, std::string_view utf8);
} // namespace RVXmlText
