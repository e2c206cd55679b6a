// Stand-in for the runtime memory manager that the product's programs share
// (borlndmm.dll). The installer only places it, in the product's bin\ and in
// the Windows System folder; its allocation functions serve the process heap.
#include <windows.h>

extern "C" {

__declspec(dllexport) void* SysGetMem(int size) {
    return size > 0 ? HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(size)) : nullptr;
}

__declspec(dllexport) int SysFreeMem(void* block) { return block && HeapFree(GetProcessHeap(), 0, block) ? 0 : 1; }

__declspec(dllexport) void* SysReallocMem(void* block, int size) {
    if (!block) return SysGetMem(size);
    if (size <= 0) {
        SysFreeMem(block);
        return nullptr;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, static_cast<SIZE_T>(size));
}

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
