// Prints the DPI settings of a program's manifest as the loader reads them:
// through an activation context made from the program's manifest resource.
//   manifest_dpi_probe <program>
#include <windows.h>

#include <cwchar>

namespace {

void PrintSetting(HANDLE context, const wchar_t* schema, const wchar_t* name) {
  wchar_t value[128] = L"";
  SIZE_T written = 0;
  if (!QueryActCtxSettingsW(0, context, schema, name, value, 128, &written)) value[0] = L'\0';
  std::wprintf(L"%ls=%ls\n", name, value);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  ACTCTXW request = {};
  request.cbSize = sizeof(request);
  request.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
  request.lpSource = argv[1];
  request.lpResourceName = CREATEPROCESS_MANIFEST_RESOURCE_ID;
  HANDLE context = CreateActCtxW(&request);
  if (context == INVALID_HANDLE_VALUE) {
    std::wprintf(L"no activation context: error %lu\n", GetLastError());
    return 1;
  }
  PrintSetting(context, L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware");
  PrintSetting(context, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness");
  ReleaseActCtx(context);
  return 0;
}
