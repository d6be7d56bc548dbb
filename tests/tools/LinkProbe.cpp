// link-probe: reads a shortcut (.lnk) through the shell's own link interface, as Explorer and the Start
// menu read it, for the Windows stage's installer test. Prints three lines, UTF-8:
//   the target's path, the arguments, the working folder
//   link-probe LINK
// Exit status 1 when the shortcut cannot be read.
#include "MyCode/Win32.h"

#include <cstdio>
#include <string>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace {

void Print(const wchar_t* text) {
  std::string utf8 = albatrix::TextToUtf8(albatrix::FromWide(text, wcslen(text)));
  std::fwrite(utf8.data(), 1, utf8.size(), stdout);
  std::fputc('\n', stdout);
}

int Probe(const wchar_t* path) {
  IShellLinkW* link = nullptr;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
    return 1;
  }
  int status = 1;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    // INFOTIPSIZE is the documented upper bound of a link's arguments.
    std::wstring target(MAX_PATH * 4, L'\0'), arguments(INFOTIPSIZE, L'\0'), folder(MAX_PATH * 4, L'\0');
    // The path as stored (SLGP_RAWPATH): no search for a moved target, no expansion.
    if (SUCCEEDED(file->Load(path, STGM_READ)) &&
        SUCCEEDED(link->GetPath(target.data(), static_cast<int>(target.size()), nullptr, SLGP_RAWPATH)) &&
        SUCCEEDED(link->GetArguments(arguments.data(), static_cast<int>(arguments.size()))) &&
        SUCCEEDED(link->GetWorkingDirectory(folder.data(), static_cast<int>(folder.size())))) {
      Print(target.c_str());
      Print(arguments.c_str());
      Print(folder.c_str());
      status = 0;
    }
    file->Release();
  }
  link->Release();
  return status;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* args = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!args || count != 2) {
    std::fputs("usage: link-probe LINK\n", stderr);
    return 2;
  }
  if (FAILED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int status = Probe(args[1]);
  ::CoUninitialize();
  ::LocalFree(args);
  return status;
}
