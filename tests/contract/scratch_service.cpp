// A service program of its own process for the tests: it reports running
// until it is told to stop, and stops by itself after two minutes so that a
// test that dies midway leaves nothing running for long.
#include <windows.h>

namespace {

SERVICE_STATUS_HANDLE gStatusHandle = nullptr;
HANDLE gStop = nullptr;

void Report(DWORD state) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
    SetServiceStatus(gStatusHandle, &status);
}

DWORD WINAPI Handler(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        SetEvent(gStop);
    }
    return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, char**) {
    gStatusHandle = RegisterServiceCtrlHandlerExA("", Handler, nullptr);
    if (!gStatusHandle) return;
    gStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Report(SERVICE_RUNNING);
    WaitForSingleObject(gStop, 120000);
    CloseHandle(gStop);
    Report(SERVICE_STOPPED);
}

}  // namespace

int main() {
    char name[] = "";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
