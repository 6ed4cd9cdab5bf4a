// Running qrvl.exe suspended under a window hook, with its standard streams captured.
#include "tests/ui/program_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/ui/gui_support.h"

namespace qrvl::gui_test {

namespace {

int windowsCreated = 0;

void CALLBACK windowEvent(HWINEVENTHOOK, DWORD, HWND, LONG object, LONG, DWORD, DWORD) {
    if (object == OBJID_WINDOW)
        ++windowsCreated;
}

}  // namespace

ProgramRun runProgram(const std::wstring& exe, const std::wstring& arguments,
                      std::chrono::milliseconds patience) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inheritable, 0));
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    // Standard output goes to a file, which never fills up as a pipe would while nobody reads.
    ScratchFolder outputFolder(L"stdout");
    const std::wstring outputFile = outputFolder.text() + L"\\stdout.txt";
    HANDLE output = CreateFileW(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = writeEnd;
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    PROCESS_INFORMATION process{};
    const std::wstring folder = std::filesystem::path(exe).parent_path().wstring();
    EXPECT_TRUE(CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                               CREATE_SUSPENDED, nullptr, folder.c_str(), &startup, &process));
    CloseHandle(writeEnd);
    CloseHandle(output);

    windowsCreated = 0;
    HWINEVENTHOOK hook =
        SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, windowEvent,
                        process.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
    ResumeThread(process.hThread);
    const bool ended = pumpUntil(
        [&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, patience);
    if (!ended) {
        TerminateProcess(process.hProcess, 255);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    // Events posted before the end are handled before the hook goes.
    pumpFor(std::chrono::milliseconds(200));
    UnhookWinEvent(hook);

    ProgramRun run;
    GetExitCodeProcess(process.hProcess, &run.status);
    run.windowsCreated = windowsCreated;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
        run.standardError.append(buffer, got);
    CloseHandle(readEnd);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    run.standardOutput = fileBytes(outputFile);
    return run;
}

}  // namespace qrvl::gui_test
