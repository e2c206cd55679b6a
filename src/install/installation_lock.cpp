#include "install/installation_lock.h"

#include <windows.h>
#include <sddl.h>

#include "install/install_log.h"
#include "wizard/product.h"

namespace {

// Whoever makes the mutex first, the system and the administrators may use
// it: an elevated person's Setup and a deployment engine's must both be able
// to open what the other made.
constexpr wchar_t kAccessRules[] = L"D:(A;;GA;;;SY)(A;;GA;;;BA)";

HANDLE MakeMutex(const std::wstring& name) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(kAccessRules, SDDL_REVISION_1, &descriptor, nullptr))
        attributes.lpSecurityDescriptor = descriptor;
    HANDLE mutex = CreateMutexW(&attributes, FALSE, name.c_str());
    if (!mutex) mutex = OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    LocalFree(descriptor);
    return mutex;
}

// Made once and never closed: the lock is the process's until it ends.
HANDLE InstallationMutex() {
    static const HANDLE mutex = [] {
        const std::wstring name = std::wstring(L"\\Setup.") + kProductName + L".Installation";
        HANDLE global = MakeMutex(L"Global" + name);
        // Without the right to make global objects, the session's own
        // namespace still keeps two installations of one person apart.
        return global ? global : MakeMutex(L"Local" + name);
    }();
    return mutex;
}

bool held = false;

bool Taken(DWORD waitResult) { return waitResult == WAIT_OBJECT_0 || waitResult == WAIT_ABANDONED_0; }

}  // namespace

bool TryLockInstallation() {
    if (!held && InstallationMutex()) held = Taken(WaitForSingleObject(InstallationMutex(), 0));
    return held;
}

void UnlockInstallation() {
    if (held && ReleaseMutex(InstallationMutex())) held = false;
}

void LockInstallation(const std::function<void()>& pump) {
    if (TryLockInstallation()) return;
    LogLine(L"Waiting for another installation of " + std::wstring(kProductName) + L" on this machine to end");
    const HANDLE mutex = InstallationMutex();
    while (!held && mutex) {
        const DWORD result = MsgWaitForMultipleObjects(1, &mutex, FALSE, 100, QS_ALLINPUT);
        held = Taken(result);
        if (!held) pump();
    }
}
