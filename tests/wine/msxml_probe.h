// MSXML 3.0 used bare, never through the library's platform layer, for
// checks of what MSXML itself makes of a file.
#pragma once

#include <string>
#include <vector>

namespace vok::wine_test {

// Whether a document's load() of the file at `gbkPath` parses it: S_OK and
// the success flag, as MSXML reads the file from disk, declaration and all.
bool MsxmlLoadsFile(const std::string& gbkPath);

// The texts (UTF-8) of the elements `xpath` selects in the file at
// `gbkPath`, loaded as MsxmlLoadsFile loads it. Throws when the file does
// not load, so a document MSXML refuses fails.
std::vector<std::string> MsxmlTexts(const std::string& gbkPath, const wchar_t* xpath);

}  // namespace vok::wine_test
