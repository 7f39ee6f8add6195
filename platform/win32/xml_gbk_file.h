// The record reader's way round Wine's msxml3 for GBK files, on its own so
// that the Wine suite proves it directly, whether or not msxml3's load()
// happens to refuse the file at hand.
#pragma once

#include <string>

#include "platform/xml.h"

struct IXMLDOMDocument;

namespace vok::platform::win32 {

// Wine's msxml3 refuses some well-formed GBK files in load(): when the
// encoding is switched at the declaration, a double-byte character whose
// lead byte is the 180th byte after the encoding name's closing quote is
// split between two conversion steps, and the parse fails; "gb2312",
// "cp936" and most other names of code page 936 it does not know at all.
// Windows' MSXML loads these files. So this loads a file that declares a
// GBK encoding (IsGbkEncodingName) by decoding it from code page 936 and
// giving loadXML() the UTF-16 text, its declaration without the encoding so
// that the parser does not decode the text a second time. kNotParsed when
// the file cannot be read, declares no GBK encoding, holds bytes that are no
// GBK or is not well-formed. Throws XmlError when loadXML() fails.
XmlLoad LoadGbkFileAsText(IXMLDOMDocument* document, const std::string& gbkPath);

}  // namespace vok::platform::win32
