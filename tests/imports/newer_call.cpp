// Calls what Windows 2000 lacks, for the import check to refuse: proof that
// the check sees the imports it is meant to see. Never shipped.
extern "C" __declspec(dllimport) unsigned long long __stdcall GetTickCount64();

int main()
{
    return static_cast<int>(GetTickCount64() & 1);
}
