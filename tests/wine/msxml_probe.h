// MSXML 3.0 used bare, never through the library's platform layer, for
// checks of what MSXML itself makes of a file.
#pragma once

#include <string>
#include <vector>

namespace vok::wine_test {

// Whether a document's load() of the file at `gbkPath` parses it: S_OK and
// the success flag, as MSXML reads the file from disk, declaration and all.
bool MsxmlLoadsFile(const std::string& gbkPath);

// Says on stdout, and as the test's property "bare_msxml3", whether
// MsxmlLoadsFile loads the file. Wine's msxml3 refuses the GBK files that
// the library decodes itself; a Wine that loads them is worth noticing but
// no failure, since the tests prove the library's own reading.
void NoteWhetherMsxmlLoads(const std::string& gbkPath);

// How MsxmlTexts loads the file: as MsxmlLoadsFile does, or through the
// record reader's decoding of GBK files (win32::LoadGbkFileAsText) alone.
enum class MsxmlLoad { kBare, kGbkFallback };

// The texts (UTF-8) of the elements `xpath` selects in the file at
// `gbkPath`. Throws when the file does not load, so a document MSXML
// refuses fails.
std::vector<std::string> MsxmlTexts(const std::string& gbkPath, const wchar_t* xpath,
                                    MsxmlLoad how = MsxmlLoad::kBare);

}  // namespace vok::wine_test
