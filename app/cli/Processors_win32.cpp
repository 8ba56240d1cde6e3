#include <windows.h>

#include <algorithm>
#include <bitset>
#include <thread>

#include "cli/Processors.h"

unsigned UsableProcessors()
{
    DWORD_PTR process = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0)
        return static_cast<unsigned>(std::bitset<sizeof(DWORD_PTR) * 8>(process).count());
    return std::max(1u, std::thread::hardware_concurrency());
}
