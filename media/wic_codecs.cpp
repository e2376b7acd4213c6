#include "media/wic_codecs.h"

#include <windows.h>

#include <wincodec.h>

#include "ownership/com_ref.h"

std::vector<std::wstring> InstalledDecoderExtensions() {
  ScopedComInit com;
  std::vector<std::wstring> lists;
  ComRef<IWICImagingFactory> factory;
  ComRef<IEnumUnknown> decoders;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(factory.put()))) ||
      FAILED(factory->CreateComponentEnumerator(WICDecoder, WICComponentEnumerateDefault, decoders.put()))) {
    return lists;
  }
  for (;;) {
    ComRef<IUnknown> component;
    ULONG fetched = 0;
    if (decoders->Next(1, component.put(), &fetched) != S_OK || fetched != 1) break;
    ComRef<IWICBitmapDecoderInfo> info;
    UINT length = 0;
    if (FAILED(component->QueryInterface(IID_PPV_ARGS(info.put()))) ||
        FAILED(info->GetFileExtensions(0, nullptr, &length)) || length == 0) {
      continue;
    }
    std::wstring list(length, L'\0');
    if (FAILED(info->GetFileExtensions(length, list.data(), &length))) continue;
    list.resize(list.find(L'\0') == std::wstring::npos ? list.size() : list.find(L'\0'));
    lists.push_back(std::move(list));
  }
  return lists;
}
