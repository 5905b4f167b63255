// What [RUN] IfRunning adds to a run, call by call: taking and letting go of a settings file's
// turn (the product's own code: the file opened for its final path, the mutex), against the
// kernel objects it is made of, each timed many times in a row.
//   turn_cost <settings file> [times]
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "launcher/run_turn.h"

namespace {

double Microseconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return double(now.QuadPart) * 1e6 / double(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: turn_cost <settings file> [times]\n");
        return 2;
    }
    const int times = argc > 2 ? std::atoi(argv[2]) : 2000;
    RunRecord record;  // none: nothing is said while the turn is free
    double start = Microseconds();
    for (int i = 0; i < times; ++i) {
        RunTurn turn = {};
        TakeRunTurn(argv[1], IfRunning::Skip, record, turn);
        EndRunTurn(turn);
    }
    double turns = Microseconds();
    for (int i = 0; i < times; ++i) {
        HANDLE mutex = CreateMutexW(nullptr, FALSE, L"Global\\Stowlet.Bench.TurnCost");
        WaitForSingleObject(mutex, 0);
        ReleaseMutex(mutex);
        CloseHandle(mutex);
    }
    double mutexes = Microseconds();
    for (int i = 0; i < times; ++i) {
        HANDLE file = CreateFileA(argv[1], FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        CloseHandle(file);
    }
    double files = Microseconds();
    std::printf(
        "IfRunning turn %.1f us; one named mutex made, taken and let go %.1f us; one file opened %.1f us "
        "(%d times each)\n",
        (turns - start) / times, (mutexes - turns) / times, (files - mutexes) / times, times);
    return 0;
}
