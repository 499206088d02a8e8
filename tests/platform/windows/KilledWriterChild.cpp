// Started by KilledWriterTest: begins a pending file and a part file in the
// folder it is given, says so, and waits to be killed.
#include "platform/FolderHandle.h"
#include "platform/NewFileAt.h"
#include "platform/PendingFile.h"

#include <windows.h>

#include <fstream>

int main(int argc, char** argv) {
    if (argc != 3)
        return 2;
    const std::string folder = argv[1];
    tolvane::platform::PendingFile pending(folder, "archive");
    const tolvane::platform::FolderHandle handle =
        tolvane::platform::FolderHandle::OpenOrCreate(folder);
    tolvane::platform::NewFileAt part(handle);
    if (!pending.IsOpen() || !part.IsOpen() || !part.Write("partial", 7) ||
        pending.Handle().Write("partial", 7) != 7)
        return 1;
    std::ofstream(argv[2]) << "ready\n";
    Sleep(INFINITE);
    return 0;
}
