#include "msxml_probe.h"

#include <cstdio>
#include <memory>
#include <stdexcept>

#include "windows_headers.h"

#include <msxml2.h>
#include <oleauto.h>

#include "platform/win32/xml_gbk_file.h"
#include "wine_support.h"

namespace vok::wine_test {
namespace {

struct ComRelease {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, ComRelease>;

// An apartment for the probe's own calls; undoes only what it did.
class Apartment {
 public:
  Apartment() {
    const HRESULT status = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    owned_ = status == S_OK || status == S_FALSE;
  }
  ~Apartment() {
    if (owned_) CoUninitialize();
  }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;

 private:
  bool owned_ = false;
};

struct Loaded {
  Com<IXMLDOMDocument> document;
  HRESULT status = E_FAIL;
  bool parsed = false;
};

Loaded LoadFile(const std::string& gbkPath, MsxmlLoad how) {
  CLSID classId{};
  if (FAILED(CLSIDFromProgID(L"Msxml2.DOMDocument.3.0", &classId))) {
    throw std::runtime_error("MSXML 3.0 is not registered");
  }
  IXMLDOMDocument* created = nullptr;
  if (FAILED(CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              reinterpret_cast<void**>(&created))) ||
      created == nullptr) {
    throw std::runtime_error("cannot create an MSXML document");
  }
  Loaded result;
  result.document.reset(created);
  result.document->put_async(VARIANT_FALSE);
  result.document->put_resolveExternals(VARIANT_FALSE);

  if (how == MsxmlLoad::kGbkFallback) {
    result.parsed = platform::win32::LoadGbkFileAsText(result.document.get(), gbkPath) ==
                    platform::XmlLoad::kParsed;
    result.status = S_OK;
    return result;
  }
  VARIANT source;
  VariantInit(&source);
  source.vt = VT_BSTR;
  source.bstrVal = SysAllocString(WideFromGbk(gbkPath).c_str());
  VARIANT_BOOL parsed = VARIANT_FALSE;
  result.status = result.document->load(source, &parsed);
  VariantClear(&source);
  result.parsed = parsed == VARIANT_TRUE;
  return result;
}

}  // namespace

bool MsxmlLoadsFile(const std::string& gbkPath) {
  const Apartment apartment;
  const Loaded loaded = LoadFile(gbkPath, MsxmlLoad::kBare);
  return loaded.status == S_OK && loaded.parsed;
}

void NoteWhetherMsxmlLoads(const std::string& gbkPath) {
  const char* answer = MsxmlLoadsFile(gbkPath) ? "loads" : "refuses";
  std::printf("note: bare MSXML %s %s\n", answer, Readable(gbkPath).c_str());
  ::testing::Test::RecordProperty("bare_msxml3", answer);
}

std::vector<std::string> MsxmlTexts(const std::string& gbkPath, const wchar_t* xpath,
                                    MsxmlLoad how) {
  const Apartment apartment;
  const Loaded loaded = LoadFile(gbkPath, how);
  if (loaded.status != S_OK || !loaded.parsed) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(loaded.status));
    throw std::runtime_error("MSXML does not load " + Readable(gbkPath) + ", status " + code);
  }

  BSTR query = SysAllocString(xpath);
  IXMLDOMNodeList* selected = nullptr;
  const HRESULT found = loaded.document->selectNodes(query, &selected);
  SysFreeString(query);
  if (FAILED(found) || selected == nullptr) throw std::runtime_error("selectNodes failed");
  Com<IXMLDOMNodeList> list(selected);
  long count = 0;
  list->get_length(&count);
  std::vector<std::string> texts;
  for (long i = 0; i < count; ++i) {
    IXMLDOMNode* item = nullptr;
    if (FAILED(list->get_item(i, &item)) || item == nullptr) throw std::runtime_error("get_item");
    Com<IXMLDOMNode> node(item);
    BSTR text = nullptr;
    if (FAILED(node->get_text(&text))) throw std::runtime_error("get_text failed");
    texts.push_back(Utf8FromWide({text, text != nullptr ? SysStringLen(text) : 0u}));
    SysFreeString(text);
  }
  return texts;
}

}  // namespace vok::wine_test
