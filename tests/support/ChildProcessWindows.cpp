#include "support/ChildProcess.h"

#include "MyCode/Win32.h"

#include <map>

namespace albatrix::test {
namespace {

std::wstring Wide(const std::string& utf8) { return WideText(Utf8ToText(utf8)); }

// One argument as the C runtime of the child splits its command line: in quotes, with the backslashes
// before a quote (and before the closing quote) doubled.
std::wstring QuotedArgument(const std::wstring& arg) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

// The test's environment with `changes` made, as a CreateProcessW block (sorted, case-insensitively
// keyed, double NUL at the end).
std::wstring EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& changes) {
  auto upper = [](std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(::towupper(c));
    return text;
  };
  std::map<std::wstring, std::wstring> variables;  // by upper-case name: the entry as written
  if (wchar_t* strings = ::GetEnvironmentStringsW()) {
    for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1) {
      std::wstring text(entry);
      std::size_t equals = text.find(L'=', 1);  // "=C:=C:\..." entries start with '='
      if (equals != std::wstring::npos) variables[upper(text.substr(0, equals))] = text;
    }
    ::FreeEnvironmentStringsW(strings);
  }
  for (const auto& [name, value] : changes) variables[upper(Wide(name))] = Wide(name) + L"=" + Wide(value);
  std::wstring block;
  for (const auto& [key, entry] : variables) block += entry + L'\0';
  return block + L'\0';
}

HANDLE InheritableFile(const std::string& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(WidePath(Utf8ToText(path)).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

struct ChildProcess::Impl {
  PROCESS_INFORMATION process{};
  bool started = false;
  int status = -1;
};

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const ChildOptions& options)
    : impl_(std::make_unique<Impl>()) {
  std::wstring command = QuotedArgument(Wide(program));
  for (const std::string& arg : args) command += L" " + QuotedArgument(Wide(arg));
  std::wstring environment = EnvironmentBlock(options.environment);
  HANDLE out = InheritableFile(options.outFile);
  HANDLE err = InheritableFile(options.errFile);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  // A process group of its own, so that Ctrl-Break reaches the child and not the test.
  if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE)
    impl_->started = ::CreateProcessW(Wide(program).c_str(), command.data(), nullptr, nullptr, TRUE,
                                      CREATE_UNICODE_ENVIRONMENT | CREATE_NEW_PROCESS_GROUP, environment.data(),
                                      Wide(options.folder).c_str(), &startup, &impl_->process) != 0;
  if (out != INVALID_HANDLE_VALUE) ::CloseHandle(out);
  if (err != INVALID_HANDLE_VALUE) ::CloseHandle(err);
}

ChildProcess::~ChildProcess() {
  if (!impl_->started) return;
  if (impl_->status < 0) {
    ::TerminateProcess(impl_->process.hProcess, 1);
    Wait();
  }
  ::CloseHandle(impl_->process.hThread);
  ::CloseHandle(impl_->process.hProcess);
}

int ChildProcess::Wait() {
  if (!impl_->started) return -1;
  if (impl_->status >= 0) return impl_->status;
  DWORD code = 0;
  if (::WaitForSingleObject(impl_->process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
      ::GetExitCodeProcess(impl_->process.hProcess, &code))
    impl_->status = static_cast<int>(code);
  return impl_->status;
}

bool ChildProcess::WaitUntilEnded(std::chrono::milliseconds timeout) {
  if (!impl_->started) return false;
  if (::WaitForSingleObject(impl_->process.hProcess, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
    return false;
  Wait();
  return true;
}

bool ChildProcess::Started() const { return impl_->started; }

bool ChildProcess::Signalled() const { return false; }

void ChildProcess::Interrupt() {
  if (impl_->started) ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, impl_->process.dwProcessId);
}

void ChildProcess::Kill() {
  if (impl_->started && impl_->status < 0) ::TerminateProcess(impl_->process.hProcess, 137);
}

std::string BuildProgram(const std::string& name) {
  std::wstring self(32768, L'\0');
  DWORD n = ::GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
  std::string folder = TextToUtf8(FromWide(self.data(), n));
  folder.erase(folder.find_last_of("\\/"));  // the test programs' folder
  folder.erase(folder.find_last_of("\\/"));  // the build folder
  return folder + "\\" + name + ".exe";
}

// The shell's roaming folder comes from the user's profile rather than from this variable on current
// systems; where it is not honoured, children share the user's store (the tests' site takes no login
// of an earlier test, so a shared store carries none over).
const char* UserDataVariable() { return "APPDATA"; }

}  // namespace albatrix::test
