// A console program that behaves as a test tells it to, one argument per step:
//   x<hex>        write these bytes to stdout in one write
//   y<hex>        the same to stderr
//   r<n>*<hex>    write these bytes n times over, in 4 KB writes
//   n<count>      write lines "0000000" .. count-1, CR LF ended, in 4 KB writes
//   s<ms>         sleep
//   w<path>       wait until the file <path> exists (gives up after two minutes)
//   z<hex>        write these bytes over and over, for ever, in 64 KB writes
//   i<path>       write to <path>: command line, startup flags, show-window
//                 command, priority class and current directory, one a line
//   d             the same to stdout
//   f<path>       create the file <path>
//   e<code>       exit with this code (0 when never given)
//   -...          nothing: stands in for arguments that only fill the line
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Write(const std::string& bytes, DWORD stream = STD_OUTPUT_HANDLE)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 4096));
        DWORD written = 0;
        if (!WriteFile(GetStdHandle(stream), bytes.data() + done, chunk, &written, nullptr))
            ExitProcess(90);
        done += written;
    }
}

std::string FromHex(const char* hex)
{
    std::string bytes;
    for (; hex[0] && hex[1]; hex += 2) {
        const char pair[3] = {hex[0], hex[1], 0};
        bytes += static_cast<char>(std::strtoul(pair, nullptr, 16));
    }
    return bytes;
}

void WriteFileText(const char* path, const std::string& text)
{
    FILE* file = std::fopen(path, "wb");
    if (!file)
        ExitProcess(91);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}

std::string Describe()
{
    STARTUPINFOA startup;
    GetStartupInfoA(&startup);
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%lu\n%u\n%lu\n", startup.dwFlags, startup.wShowWindow,
        GetPriorityClass(GetCurrentProcess()));
    return std::string(GetCommandLineA()) + "\n" + numbers + directory + "\n";
}

}  // namespace

int main(int argc, char** argv)
{
    UINT exitCode = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i] + 1;
        switch (argv[i][0]) {
        case 'x':
            Write(FromHex(arg));
            break;
        case 'y':
            Write(FromHex(arg), STD_ERROR_HANDLE);
            break;
        case 'd':
            Write(Describe());
            break;
        case 'r': {
            char* rest = nullptr;
            const unsigned long count = std::strtoul(arg, &rest, 10);
            const std::string unit = FromHex(rest + 1);
            std::string bytes;
            bytes.reserve(unit.size() * count);
            for (unsigned long n = 0; n < count; ++n)
                bytes += unit;
            Write(bytes);
            break;
        }
        case 'n': {
            const unsigned long count = std::strtoul(arg, nullptr, 10);
            std::string bytes;
            char line[16];
            for (unsigned long n = 0; n < count; ++n) {
                std::snprintf(line, sizeof line, "%07lu\r\n", n);
                bytes += line;
            }
            Write(bytes);
            break;
        }
        case 's':
            Sleep(std::strtoul(arg, nullptr, 10));
            break;
        case 'w':
            for (int waited = 0; GetFileAttributesA(arg) == INVALID_FILE_ATTRIBUTES; waited += 10) {
                if (waited > 120000)
                    ExitProcess(92);
                Sleep(10);
            }
            break;
        case 'z': {
            const std::string unit = FromHex(arg);
            std::string bytes;
            while (bytes.size() < 65536)
                bytes += unit;
            for (;;)
                Write(bytes);  // ends the program once nobody reads
        }
        case 'i':
            WriteFileText(arg, Describe());
            break;
        case 'f':
            WriteFileText(arg, "");
            break;
        case '-':
            break;
        case 'e':
            exitCode = std::strtoul(arg, nullptr, 10);
            break;
        default:
            return 99;
        }
    }
    ExitProcess(exitCode);
}
