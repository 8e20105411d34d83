// Writes the folder the program finds itself in into the file named by its
// argument: the long-path test starts it from a folder longer than MAX_PATH.
#include "win32/system_info.h"

#include <fstream>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    std::ofstream report(argv[1], std::ios::binary);
    report << GetExeDirectory();
    return report ? 0 : 1;
}
