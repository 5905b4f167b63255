// Imports version.dll statically, as the product must not: the planting test's proof that a
// planted DLL would be seen.
#include <windows.h>

int main()
{
    DWORD handle = 0;
    return GetFileVersionInfoSizeA("C:\\no-such-file", &handle) == 0 ? 0 : 1;
}
