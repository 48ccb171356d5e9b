// Writes N trace lines tagged with its own name, as a second process writing
// to the same log as the test.
#include <windows.h>

#include <cstdlib>

#include "trcutil30.h"

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    const char *pszTag = argv[1];
    int nLines = std::atoi(argv[2]);
    for (int i = 0; i < nLines; ++i)
        WriteTrace(0, "TTU", "ACTIVEX", "INFORMATION", "Writer::Run",
                   "writer=%s line=%05d payload=%s", pszTag, i,
                   "abcdefghijklmnopqrstuvwxyz0123456789abcdefghijklmnopqrstuvwxyz");
    return 0;
}
