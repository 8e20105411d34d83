#!/usr/bin/env python3
"""Checks that Windows 2000 SP4 can load a 32-bit Windows program: its
headers ask for no system newer than 5.0, and every DLL and function it
imports is on the list of names checked against Windows 2000. Names known to
have come later are reported with the version that brought them.

Usage: check_imports.py [--objdump PROGRAM] [--allowed FILE]
                        [--not-at-start DLL ...] [--expect-failure TEXT ...] EXE...

A DLL named with --not-at-start must not be imported at all: the program
loads it itself when a command first needs it, not at its start.

With --expect-failure the check itself is under test: it passes only when
every EXE is refused and each TEXT appears among the reasons.
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Functions that Windows 2000 SP4 lacks, with the system that brought them.
# Listed for the message they give; anything not on the allowed list fails
# anyway.
NEWER_FUNCTIONS = {
    # kernel32, Windows XP (service pack where it matters)
    "GetModuleHandleExA": "Windows XP", "GetModuleHandleExW": "Windows XP",
    "AttachConsole": "Windows XP", "GetConsoleProcessList": "Windows XP",
    "GetNativeSystemInfo": "Windows XP",
    "IsWow64Process": "Windows XP SP2",
    "AddVectoredExceptionHandler": "Windows XP", "RemoveVectoredExceptionHandler": "Windows XP",
    "GetLogicalProcessorInformation": "Windows XP SP3",
    "SetDllDirectoryA": "Windows XP SP1", "SetDllDirectoryW": "Windows XP SP1",
    "GetDllDirectoryA": "Windows XP SP1", "GetDllDirectoryW": "Windows XP SP1",
    "WTSGetActiveConsoleSessionId": "Windows XP",
    "RtlCaptureStackBackTrace": "Windows XP",
    "EncodePointer": "Windows XP SP2", "DecodePointer": "Windows XP SP2",
    "EncodeSystemPointer": "Windows XP SP2", "DecodeSystemPointer": "Windows XP SP2",
    "GetProcessId": "Windows XP SP1",
    "GetSystemTimes": "Windows XP SP1",
    "GetSystemWow64DirectoryA": "Windows XP", "GetSystemWow64DirectoryW": "Windows XP",
    "CreateActCtxA": "Windows XP", "CreateActCtxW": "Windows XP",
    "ActivateActCtx": "Windows XP", "DeactivateActCtx": "Windows XP", "ReleaseActCtx": "Windows XP",
    "HeapQueryInformation": "Windows XP",
    "InitializeSListHead": "Windows XP", "InterlockedPushEntrySList": "Windows XP",
    "InterlockedPopEntrySList": "Windows XP", "InterlockedFlushSList": "Windows XP",
    "TzSpecificLocalTimeToSystemTime": "Windows XP",
    "CheckRemoteDebuggerPresent": "Windows XP SP1",
    "DebugActiveProcessStop": "Windows XP", "DebugSetProcessKillOnExit": "Windows XP",
    "GetVolumePathNamesForVolumeNameA": "Windows XP", "GetVolumePathNamesForVolumeNameW": "Windows XP",
    "SetProcessDEPPolicy": "Windows XP SP3", "GetSystemDEPPolicy": "Windows XP SP3",
    "GetProcessDEPPolicy": "Windows XP SP3",
    # kernel32, Windows Server 2003 and Vista
    "FlsAlloc": "Windows Vista (Server 2003)", "FlsFree": "Windows Vista (Server 2003)",
    "FlsGetValue": "Windows Vista (Server 2003)", "FlsSetValue": "Windows Vista (Server 2003)",
    "SetThreadStackGuarantee": "Windows Vista (Server 2003 SP1)",
    "GetThreadId": "Windows Vista (Server 2003)", "GetProcessIdOfThread": "Windows Vista (Server 2003)",
    "GetCurrentProcessorNumber": "Windows Vista (Server 2003)",
    "Wow64DisableWow64FsRedirection": "Windows Vista (Server 2003)",
    "Wow64RevertWow64FsRedirection": "Windows Vista (Server 2003)",
    "ReOpenFile": "Windows Vista (Server 2003)",
    "GetTickCount64": "Windows Vista",
    "InitializeSRWLock": "Windows Vista", "AcquireSRWLockExclusive": "Windows Vista",
    "AcquireSRWLockShared": "Windows Vista", "ReleaseSRWLockExclusive": "Windows Vista",
    "ReleaseSRWLockShared": "Windows Vista",
    "TryAcquireSRWLockExclusive": "Windows 7", "TryAcquireSRWLockShared": "Windows 7",
    "InitializeConditionVariable": "Windows Vista", "SleepConditionVariableCS": "Windows Vista",
    "SleepConditionVariableSRW": "Windows Vista", "WakeConditionVariable": "Windows Vista",
    "WakeAllConditionVariable": "Windows Vista",
    "InitOnceInitialize": "Windows Vista", "InitOnceExecuteOnce": "Windows Vista",
    "InitOnceBeginInitialize": "Windows Vista", "InitOnceComplete": "Windows Vista",
    "InitializeCriticalSectionEx": "Windows Vista",
    "CreateSymbolicLinkA": "Windows Vista", "CreateSymbolicLinkW": "Windows Vista",
    "GetFinalPathNameByHandleA": "Windows Vista", "GetFinalPathNameByHandleW": "Windows Vista",
    "GetFileInformationByHandleEx": "Windows Vista", "SetFileInformationByHandle": "Windows Vista",
    "QueryFullProcessImageNameA": "Windows Vista", "QueryFullProcessImageNameW": "Windows Vista",
    "CreateEventExA": "Windows Vista", "CreateEventExW": "Windows Vista",
    "CreateMutexExA": "Windows Vista", "CreateMutexExW": "Windows Vista",
    "CreateSemaphoreExA": "Windows Vista", "CreateSemaphoreExW": "Windows Vista",
    "CreateWaitableTimerExW": "Windows Vista",
    "CancelIoEx": "Windows Vista", "GetQueuedCompletionStatusEx": "Windows Vista",
    "FlushProcessWriteBuffers": "Windows Vista",
    "GetErrorMode": "Windows Vista",
    "GetDynamicTimeZoneInformation": "Windows Vista",
    "RegisterApplicationRestart": "Windows Vista",
    "FindFirstStreamW": "Windows Vista",
    "CompareStringEx": "Windows Vista", "CompareStringOrdinal": "Windows Vista",
    "LocaleNameToLCID": "Windows Vista", "LCIDToLocaleName": "Windows Vista",
    "GetLocaleInfoEx": "Windows Vista", "GetUserDefaultLocaleName": "Windows Vista",
    "GetSystemDefaultLocaleName": "Windows Vista", "LCMapStringEx": "Windows Vista",
    "GetDateFormatEx": "Windows Vista", "GetTimeFormatEx": "Windows Vista",
    "AddVectoredContinueHandler": "Windows Vista",
    "GetLogicalProcessorInformationEx": "Windows 7",
    "GetSystemTimePreciseAsFileTime": "Windows 8", "CreateFile2": "Windows 8",
    "CopyFile2": "Windows 8", "WaitOnAddress": "Windows 8",
    # user32
    "PrintWindow": "Windows XP", "GetLayeredWindowAttributes": "Windows XP",
    "RegisterRawInputDevices": "Windows XP", "GetRawInputData": "Windows XP",
    "GetRawInputDeviceList": "Windows XP",
    "SetProcessDPIAware": "Windows Vista", "IsProcessDPIAware": "Windows Vista",
    "ChangeWindowMessageFilter": "Windows Vista", "ChangeWindowMessageFilterEx": "Windows 7",
    "AddClipboardFormatListener": "Windows Vista", "RegisterPowerSettingNotification": "Windows Vista",
    "ShutdownBlockReasonCreate": "Windows Vista",
    # comctl32 and shell32
    "LoadIconMetric": "Windows Vista", "LoadIconWithScaleDown": "Windows Vista",
    "TaskDialog": "Windows Vista", "TaskDialogIndirect": "Windows Vista",
    "SHGetKnownFolderPath": "Windows Vista", "SHGetKnownFolderIDList": "Windows Vista",
    "SHCreateItemFromParsingName": "Windows Vista",
    "SetWindowSubclass": "Windows XP (comctl32 5.82 export by name)",
    # msvcrt: names that came with its Windows XP (7.0) and later versions
    "___lc_codepage_func": "Windows XP (msvcrt 7.0)", "___lc_handle_func": "Windows XP (msvcrt 7.0)",
    "___mb_cur_max_func": "Windows XP (msvcrt 7.0)", "__pctype_func": "Windows XP (msvcrt 7.0)",
    "__pwctype_func": "Windows XP (msvcrt 7.0)",
    "_aligned_malloc": "Windows XP (msvcrt 7.0)", "_aligned_free": "Windows XP (msvcrt 7.0)",
    "_aligned_realloc": "Windows XP (msvcrt 7.0)",
    "_vscprintf": "Windows XP (msvcrt 7.0)", "_scprintf": "Windows XP (msvcrt 7.0)",
    "_vscwprintf": "Windows XP (msvcrt 7.0)", "_scwprintf": "Windows XP (msvcrt 7.0)",
    "_strtoi64": "Windows XP (msvcrt 7.0)", "_strtoui64": "Windows XP (msvcrt 7.0)",
    "_wcstoi64": "Windows XP (msvcrt 7.0)", "_wcstoui64": "Windows XP (msvcrt 7.0)",
    "_fseeki64": "Windows Vista (msvcrt)", "_ftelli64": "Windows Vista (msvcrt)",
    "_get_errno": "Windows Vista (msvcrt)", "_set_errno": "Windows Vista (msvcrt)",
    "_get_output_format": "Windows Vista (msvcrt)",
    "_create_locale": "Windows Vista (msvcrt)", "_free_locale": "Windows Vista (msvcrt)",
    "strtok_s": "Windows Vista (msvcrt)", "strcpy_s": "Windows Vista (msvcrt)",
    "strcat_s": "Windows Vista (msvcrt)", "sprintf_s": "Windows Vista (msvcrt)",
    "memcpy_s": "Windows Vista (msvcrt)", "_vsnprintf_s": "Windows Vista (msvcrt)",
}

# DLLs that Windows 2000 does not have.
NEWER_DLLS = {
    "uxtheme.dll": "Windows XP",
    "dwmapi.dll": "Windows Vista",
    "bcrypt.dll": "Windows Vista",
    "ncrypt.dll": "Windows Vista",
    "propsys.dll": "Windows Vista",
    "ucrtbase.dll": "the Universal CRT (Windows 10; installable from Vista on)",
}
# Runtimes that are not part of any Windows: they must be linked statically.
RUNTIME_DLL = re.compile(
    r"^(libgcc_s_.*|libstdc\+\+-\d+|libwinpthread-\d+|msvcr\d+d?|msvcp\d+d?|vcruntime\d+.*|concrt\d+)\.dll$", re.I)
API_SET_DLL = re.compile(r"^(api|ext)-ms-win-", re.I)

NEWEST_VERSION = (5, 0)  # Windows 2000


def read_allowed(path):
    """{dll (lower case): set of names} from the allowed-imports file."""
    allowed = {}
    dll = None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            section = re.fullmatch(r"\[([^\]]+)\]", line)
            if section:
                dll = section.group(1).lower()
                allowed.setdefault(dll, set())
            elif dll is None or not re.fullmatch(r"@\d+|[A-Za-z_][A-Za-z0-9_]*", line):
                sys.exit(f"{path}:{number}: expected [dll] or a function name, got {line!r}")
            else:
                allowed[dll].add(line)
    clashes = sorted(name for names in allowed.values() for name in names if name in NEWER_FUNCTIONS)
    if clashes:
        sys.exit(f"{path}: allows names that Windows 2000 lacks: {', '.join(clashes)}")
    return allowed


def read_pe(objdump, exe):
    """The file format, header fields and imports ({dll: [names]}) that objdump shows."""
    result = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        sys.exit(f"{objdump} -p {exe} failed: {result.stderr.strip()}")
    text = result.stdout
    fmt = re.search(r"file format (\S+)", text)
    fields = dict(re.findall(r"^(\w+)\s+([0-9A-Fa-f]+)\b", text, re.M))
    delay = re.search(r"^Entry d ([0-9a-f]+) ([0-9a-f]+) Delay Import Directory", text, re.M)
    imports = {}
    dll = None
    for line in text.splitlines():
        name = re.match(r"\s*DLL Name: (\S+)", line)
        if name:
            dll = name.group(1)
            imports.setdefault(dll, [])
            continue
        if dll is None:
            continue
        if not line.strip():
            continue
        entry = re.match(r"\t([0-9a-f]+)\t +(\d+)  (\S+)", line)
        if entry:
            hint_or_ordinal, member = entry.group(2), entry.group(3)
            imports[dll].append("@" + hint_or_ordinal if member == "<none>" else member)
        elif not re.match(r"\s*vma:", line):
            dll = None  # the next table or section
    return (fmt.group(1) if fmt else None), fields, delay, imports


def version(fields, major, minor):
    if major not in fields or minor not in fields:
        return None
    return int(fields[major]), int(fields[minor])


def check(objdump, allowed, exe, not_at_start=()):
    """The reasons why Windows 2000 would not run the program, and a summary."""
    fmt, fields, delay, imports = read_pe(objdump, exe)
    problems = []
    for dll in imports:
        if dll.lower() in (name.lower() for name in not_at_start):
            problems.append(f"{dll}: imported, so loaded at the start; it is to be loaded when first needed")
    if fmt != "pei-i386":
        problems.append(f"not a 32-bit Windows program (file format {fmt})")

    os_version = version(fields, "MajorOSystemVersion", "MinorOSystemVersion") or \
        version(fields, "MajorOperatingSystemVersion", "MinorOperatingSystemVersion")
    subsystem_version = version(fields, "MajorSubsystemVersion", "MinorSubsystemVersion")
    for what, found in (("OS version", os_version), ("subsystem version", subsystem_version)):
        if found is None:
            problems.append(f"objdump shows no {what}")
        elif found > NEWEST_VERSION:
            problems.append(f"{what} {found[0]}.{found[1]} in the PE header: Windows 2000 needs 5.0 or less")

    if delay and int(delay.group(1), 16) != 0:
        problems.append("has delay-loaded imports, which objdump does not list: they are not checked")

    # A program always imports from kernel32; none at all means the listing was not understood.
    if not any(dll.lower() == "kernel32.dll" and names for dll, names in imports.items()):
        problems.append("no imports from KERNEL32.dll found in objdump's listing")

    count = 0
    for dll, names in imports.items():
        key = dll.lower()
        if API_SET_DLL.match(dll):
            problems.append(f"{dll}: an API set DLL (Windows 7 and later)")
            continue
        if key in NEWER_DLLS:
            problems.append(f"{dll}: not in Windows 2000 ({NEWER_DLLS[key]})")
            continue
        if RUNTIME_DLL.match(dll):
            problems.append(f"{dll}: a compiler runtime, not part of Windows (link it statically)")
            continue
        if key not in allowed:
            problems.append(f"{dll}: not on the list of DLLs checked against Windows 2000")
            continue
        for name in names:
            count += 1
            if name in NEWER_FUNCTIONS:
                problems.append(f"{dll} {name}: not in Windows 2000 ({NEWER_FUNCTIONS[name]})")
            elif name not in allowed[key]:
                problems.append(f"{dll} {name}: not on the list of names checked against Windows 2000")

    def shown(v):
        return f"{v[0]}.{v[1]}" if v else "?"
    summary = (f"{len(imports)} DLLs, {count} functions, OS version {shown(os_version)}, "
               f"subsystem version {shown(subsystem_version)}")
    return problems, summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--allowed", default=os.path.join(HERE, "win2000_imports.txt"))
    parser.add_argument("--not-at-start", action="append", default=[], metavar="DLL")
    parser.add_argument("--expect-failure", action="append", default=[], metavar="TEXT")
    parser.add_argument("exe", nargs="+")
    args = parser.parse_args()

    allowed = read_allowed(args.allowed)
    failed = False
    reasons = []
    for exe in args.exe:
        problems, summary = check(args.objdump, allowed, exe, args.not_at_start)
        name = os.path.basename(exe)
        if problems:
            failed = True
            print(f"{name}: Windows 2000 cannot run it ({summary}):")
            for problem in problems:
                print(f"  {problem}")
            reasons += problems
        else:
            if args.expect_failure:
                print(f"{name}: passed, but it was expected to fail")
                return 1
            print(f"{name}: fit for Windows 2000 ({summary})")

    if args.expect_failure:
        missing = [text for text in args.expect_failure if not any(text in reason for reason in reasons)]
        if missing:
            print("expected among the reasons, but missing: " + ", ".join(missing))
            return 1
        print("refused as expected")
        return 0
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
