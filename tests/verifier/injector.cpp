// The entry point's first five bytes become a jump to a few instructions of
// ours in the child: load the DLL, put the five bytes back, jump to the
// entry point. By then the loader has done its work, so the DLL finds the
// program's import table filled; nothing of the program has run yet.
#include "tests/verifier/injector.h"

#include <winternl.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace verifier {

namespace {

[[noreturn]] void Fail(const std::string& what)
{
    throw std::runtime_error(
        "the recorder could not be loaded: " + what + " (error " + std::to_string(GetLastError()) + ")");
}

void Read(HANDLE process, std::uintptr_t at, void* into, std::size_t size)
{
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, reinterpret_cast<const void*>(at), into, size, &read) || read != size)
        Fail("cannot read the child's memory");
}

void Write(HANDLE process, std::uintptr_t at, const void* from, std::size_t size)
{
    SIZE_T written = 0;
    if (!WriteProcessMemory(process, reinterpret_cast<void*>(at), from, size, &written) || written != size)
        Fail("cannot write the child's memory");
}

// Where the child's program image lies: its process block says so.
std::uintptr_t ImageBase(HANDLE process)
{
    using Query = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION basic{};
    ULONG length = 0;
    if (!query || query(process, 0 /* ProcessBasicInformation */, &basic, sizeof basic, &length) != 0)
        Fail("cannot find the child's process block");
    DWORD base = 0;
    const std::size_t kImageBaseInProcessBlock = 8;
    Read(
        process, reinterpret_cast<std::uintptr_t>(basic.PebBaseAddress) + kImageBaseInProcessBlock, &base, sizeof base);
    return base;
}

// A few instructions, written byte by byte.
class Code {
public:
    void Byte(unsigned char value) { bytes_[size_++] = value; }
    void Word(DWORD value)
    {
        std::memcpy(bytes_ + size_, &value, sizeof value);
        size_ += sizeof value;
    }
    const unsigned char* Bytes() const { return bytes_; }
    std::size_t Size() const { return size_; }

private:
    unsigned char bytes_[64] = {};
    std::size_t size_ = 0;
};

}  // namespace

void LoadBeforeEntry(const PROCESS_INFORMATION& started, const std::string& dllPath)
{
    const HANDLE process = started.hProcess;
    const std::uintptr_t base = ImageBase(process);
    IMAGE_DOS_HEADER dos{};
    Read(process, base, &dos, sizeof dos);
    IMAGE_NT_HEADERS32 headers{};
    Read(process, base + static_cast<std::uintptr_t>(dos.e_lfanew), &headers, sizeof headers);
    const DWORD entry = static_cast<DWORD>(base + headers.OptionalHeader.AddressOfEntryPoint);

    const std::size_t kJumpSize = 5;
    unsigned char original[kJumpSize];
    Read(process, entry, original, sizeof original);

    // The block: the DLL's path, the entry's own bytes, then the code.
    const DWORD pathAt = 0, savedAt = MAX_PATH + 4, codeAt = savedAt + 16;
    if (dllPath.size() >= MAX_PATH)
        Fail("the DLL's path is too long");
    auto* block = static_cast<unsigned char*>(
        VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (!block)
        Fail("cannot allocate in the child");
    const DWORD blockAt = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(block));

    // kernel32 lies at the same place in every process of a session.
    const DWORD loadLibrary = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"))));
    Code code;
    code.Byte(0x60);  // pushad
    code.Byte(0x68);  // push the path
    code.Word(blockAt + pathAt);
    code.Byte(0xB8);  // mov eax, LoadLibraryA
    code.Word(loadLibrary);
    code.Byte(0xFF);  // call eax
    code.Byte(0xD0);
    code.Byte(0xBE);  // mov esi, the saved bytes
    code.Word(blockAt + savedAt);
    code.Byte(0xBF);  // mov edi, the entry point
    code.Word(entry);
    code.Byte(0xB9);  // mov ecx, 5
    code.Word(kJumpSize);
    code.Byte(0xF3);  // rep movsb
    code.Byte(0xA4);
    code.Byte(0x61);  // popad
    code.Byte(0x68);  // push the entry point
    code.Word(entry);
    code.Byte(0xC3);  // ret: on to the program

    std::vector<unsigned char> contents(codeAt + code.Size(), 0);
    std::memcpy(contents.data() + pathAt, dllPath.c_str(), dllPath.size() + 1);
    std::memcpy(contents.data() + savedAt, original, sizeof original);
    std::memcpy(contents.data() + codeAt, code.Bytes(), code.Size());
    Write(process, blockAt, contents.data(), contents.size());

    // The entry's page stays writable: the code puts the bytes back itself.
    DWORD protection = 0;
    if (!VirtualProtectEx(process, reinterpret_cast<void*>(entry), kJumpSize, PAGE_EXECUTE_READWRITE, &protection))
        Fail("cannot make the entry point writable");
    unsigned char jump[kJumpSize] = {0xE9};
    const DWORD distance = blockAt + codeAt - (entry + kJumpSize);
    std::memcpy(jump + 1, &distance, sizeof distance);
    Write(process, entry, jump, sizeof jump);
    FlushInstructionCache(process, reinterpret_cast<void*>(entry), kJumpSize);
}

}  // namespace verifier
