// Looks at a running process from outside, as Task Manager would: its threads,
// handles and memory. Prints key=value lines for run_saver_bench.sh; asserts nothing.
//   process_probe once [name]
//       one sample of the first process of that name (default BrindoraPro.scr);
//       exit code 1 when none runs
//   process_probe watch <interval ms> <limit s> [name]
//       waits for the process, samples it in full once, then samples its
//       threads only until it ends, printing a sample whenever they change,
//       then the last sample taken before the end and the exit code
//
// A sample line:
//   sample t_ms=.. pid=.. threads=.. workers=.. priorities=.. handles=.. handles_dup=.. private=.. pagefile=..
//          peak_private=.. working_set=.. peak_working_set=..
// `workers` counts threads whose base priority is that of the saver's own
// workers (time critical for the render thread, lowest for the loader): those
// are the threads that must be gone before the process ends.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>

namespace {

struct Handle {
  explicit Handle(HANDLE h) : h(h) {}
  ~Handle() {
    if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  explicit operator bool() const { return h && h != INVALID_HANDLE_VALUE; }
  HANDLE h;
};

struct Sample {
  DWORD pid = 0;
  int threads = 0;
  int workers = 0;
  std::string priorities;  // each thread's base priority, in snapshot order
  DWORD handles = 0;
  int duplicable = 0;
  SIZE_T privateBytes = 0;
  SIZE_T peakPrivate = 0;
  SIZE_T workingSet = 0;
  SIZE_T peakWorkingSet = 0;
  SIZE_T pagefile = 0;
  bool memoryKnown = false;
  bool handlesKnown = false;
};

double NowMs() {
  static LARGE_INTEGER frequency{}, start{};
  if (!frequency.QuadPart) {
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
  }
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return 1000.0 * static_cast<double>(count.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::optional<DWORD> FindProcess(const wchar_t* name) {
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return std::nullopt;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.h, &entry); more; more = Process32NextW(snapshot.h, &entry)) {
    if (_wcsicmp(entry.szExeFile, name) == 0) return entry.th32ProcessID;
  }
  return std::nullopt;
}

// Windows reports the base priority: 15 for THREAD_PRIORITY_TIME_CRITICAL, 6
// for THREAD_PRIORITY_LOWEST in a normal-priority process. Wine reports the
// relative priority instead, -2 for the lowest; 15 reads the same in both.
bool IsWorkerPriority(LONG basePriority) { return basePriority == 15 || basePriority == 6 || basePriority == -2; }

// Wine answers GetProcessHandleCount with 0 whatever the process holds, so the
// handles are also counted one by one: every handle value that can be
// duplicated out of the process is an open handle in its table.
constexpr uintptr_t kLastHandleValue = 0x10000;

int CountHandlesByDuplication(HANDLE process) {
  int count = 0;
  for (uintptr_t value = 4; value <= kLastHandleValue; value += 4) {
    HANDLE copy = nullptr;
    if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                        DUPLICATE_SAME_ACCESS)) {
      ++count;
      CloseHandle(copy);
    }
  }
  return count;
}

void CountThreads(DWORD pid, Sample& s) {
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  if (!snapshot) return;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot.h, &entry); more; more = Thread32Next(snapshot.h, &entry)) {
    if (entry.th32OwnerProcessID != pid) continue;
    ++s.threads;
    if (!s.priorities.empty()) s.priorities += ',';
    s.priorities += std::to_string(entry.tpBasePri);
    if (IsWorkerPriority(entry.tpBasePri)) ++s.workers;
  }
}

// Counting handles one by one takes a few hundred milliseconds; a quick sample
// counts threads only, to see the last moments of a process.
Sample Take(DWORD pid, HANDLE process, bool quick = false) {
  Sample s;
  s.pid = pid;
  CountThreads(pid, s);
  if (quick) return s;
  s.handlesKnown = GetProcessHandleCount(process, &s.handles) != 0;
  s.duplicable = CountHandlesByDuplication(process);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
    s.memoryKnown = true;
    s.privateBytes = counters.PrivateUsage;
    // On Windows the peak commit charge is the peak of the private bytes.
    s.peakPrivate = counters.PeakPagefileUsage;
    s.workingSet = counters.WorkingSetSize;
    s.peakWorkingSet = counters.PeakWorkingSetSize;
    s.pagefile = counters.PagefileUsage;
  }
  return s;
}

void Print(const Sample& s, const char* kind) {
  std::printf("%s t_ms=%.0f pid=%lu threads=%d workers=%d priorities=%s", kind, NowMs(), s.pid, s.threads, s.workers,
              s.priorities.c_str());
  if (!s.memoryKnown && !s.handlesKnown && s.duplicable == 0) {
    std::printf("\n");
    std::fflush(stdout);
    return;
  }
  if (s.handlesKnown) {
    std::printf(" handles=%lu", s.handles);
  } else {
    std::printf(" handles=unknown");
  }
  std::printf(" handles_dup=%d", s.duplicable);
  if (s.memoryKnown) {
    std::printf(" private=%llu pagefile=%llu peak_private=%llu working_set=%llu peak_working_set=%llu",
                static_cast<unsigned long long>(s.privateBytes), static_cast<unsigned long long>(s.pagefile),
                static_cast<unsigned long long>(s.peakPrivate), static_cast<unsigned long long>(s.workingSet),
                static_cast<unsigned long long>(s.peakWorkingSet));
  } else {
    std::printf(" private=unknown");
  }
  std::printf("\n");
  std::fflush(stdout);
}

HANDLE OpenForQuery(DWORD pid) {
  return OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_DUP_HANDLE | SYNCHRONIZE, FALSE, pid);
}

int Once(const wchar_t* name) {
  const std::optional<DWORD> pid = FindProcess(name);
  if (!pid) {
    std::printf("none\n");
    return 1;
  }
  Handle process(OpenForQuery(*pid));
  if (!process) {
    std::printf("none error=%lu\n", GetLastError());
    return 1;
  }
  Print(Take(*pid, process.h), "sample");
  return 0;
}

int Watch(DWORD intervalMs, DWORD limitS, const wchar_t* name) {
  const double deadline = NowMs() + 1000.0 * limitS;
  std::optional<DWORD> pid;
  while (!(pid = FindProcess(name))) {
    if (NowMs() > deadline) {
      std::printf("none\n");
      return 1;
    }
    Sleep(intervalMs);
  }
  Handle process(OpenForQuery(*pid));
  if (!process) {
    std::printf("none error=%lu\n", GetLastError());
    return 1;
  }
  Sample last = Take(*pid, process.h);
  Print(last, "sample");
  // How many quick samples agreed with the last one printed: the resolution of
  // the last moments seen.
  int unchanged = 0;
  while (WaitForSingleObject(process.h, intervalMs) == WAIT_TIMEOUT) {
    if (NowMs() > deadline) {
      Print(last, "last");
      std::printf("running\n");
      return 1;
    }
    const Sample s = Take(*pid, process.h, true);
    // Once the process is ending its threads vanish from the snapshot; that
    // sample says nothing about what the program itself left behind.
    if (WaitForSingleObject(process.h, 0) == WAIT_OBJECT_0) break;
    if (s.threads != last.threads || s.workers != last.workers || s.priorities != last.priorities) {
      Print(s, "sample");
      unchanged = 0;
    } else {
      ++unchanged;
    }
    last = s;
  }
  Print(last, "last");
  std::printf("unchanged_samples=%d\n", unchanged);
  DWORD code = 0;
  GetExitCodeProcess(process.h, &code);
  std::printf("exit code=%ld\n", static_cast<long>(code));
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"once") return Once(argc > 2 ? argv[2] : L"BrindoraPro.scr");
  if (mode == L"watch" && argc > 3) {
    return Watch(static_cast<DWORD>(_wtoi(argv[2])), static_cast<DWORD>(_wtoi(argv[3])),
                 argc > 4 ? argv[4] : L"BrindoraPro.scr");
  }
  std::fprintf(stderr, "usage: process_probe once [name] | watch <interval ms> <limit s> [name]\n");
  return 2;
}
