#include "tests/win/setup_session.h"

#include <shellapi.h>

#include <stdio.h>

#include "base/product_names.h"

namespace {

std::string ButtonText(HWND dialog, int id)
{
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace

bool SetupSession::Start(const std::string& commandLine, const char* directory)
{
    if (!process_.Start(commandLine, directory)) return false;
    dialog_ = WaitForDialog(process_, 30000);
    if (!dialog_) fprintf(stderr, "setup.exe: no dialog (it ended, or 30 s passed); on screen:\n%s", ShownWindows().c_str());
    return dialog_ != nullptr;
}

void SetupSession::SetDestination(const std::string& text)
{
    SendMessageA(GetDlgItem(dialog_, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SetupSession::SetBox(int id, bool ticked)
{
    SendMessageA(GetDlgItem(dialog_, id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void SetupSession::PressOk()
{
    // The command writes "Retry" when a run stops early; a different text before makes that
    // moment visible from here.
    SetDlgItemTextA(dialog_, IDOK, "OK ");
    PostMessageA(dialog_, WM_COMMAND, IDOK, 0);
}

SetupSession::Event SetupSession::Next(DWORD milliseconds, MessageBoxSeen* box)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND found = FindDialogOf(process_.id, dialog_)) {
            box->window = found;
            box->caption = WindowText(found);
            char text[4096] = {};
            GetDlgItemTextA(found, 0xFFFF, text, sizeof text);
            box->text = text;
            box->yesNo = GetDlgItem(found, IDYES) != nullptr;
            return Box;
        }
        if (IsWindow(dialog_) && IsWindowEnabled(dialog_) && ButtonText(dialog_, IDOK) == "Retry") return Ready;
        if (WaitForSingleObject(process_.process, 20) == WAIT_OBJECT_0) return Exited;
        if (GetTickCount() - start > milliseconds) {
            fprintf(stderr, "setup.exe: no message box, retry or end within %lu ms; on screen:\n%s", milliseconds,
                    ShownWindows().c_str());
            return TimedOut;
        }
    }
}

void SetupSession::Answer(const MessageBoxSeen& box, int button)
{
    PostMessageA(box.window, WM_COMMAND, button, 0);
    for (int i = 0; i < 500 && IsWindow(box.window); ++i) {
        if (WaitForSingleObject(process_.process, 20) == WAIT_OBJECT_0) break;
    }
}

void CloseProductStandIn()
{
    for (int i = 0; i < 5; ++i) {
        HWND product = FindWindowA(names::kProductWindowClass, nullptr);
        if (!product) return;
        DWORD id = 0;
        GetWindowThreadProcessId(product, &id);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, id);
        PostMessageA(product, WM_CLOSE, 0, 0);
        if (process) {
            if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 9);
            CloseHandle(process);
        }
    }
}

bool OpenThroughShell(const char* verb, const std::string& file)
{
    if (reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, verb, file.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
        return false;
    const bool started =
        WaitUntil([] { return FindWindowA(names::kProductWindowClass, nullptr) != nullptr; }, 30000);
    CloseProductStandIn();
    return started;
}

InstallOutcome DriveInstall(const std::string& setupExe, const std::string& destination, std::vector<int> yesNoAnswers,
                            bool retryThenCancel, const std::vector<std::pair<int, bool>>& boxes,
                            const std::function<bool(const MessageBoxSeen&, SetupSession&)>& beforeAnswer)
{
    InstallOutcome outcome;
    SetupSession setup;
    if (!setup.Start("\"" + setupExe + "\"")) return outcome;
    setup.SetDestination(destination);
    for (const auto& box : boxes) setup.SetBox(box.first, box.second);
    setup.PressOk();
    for (;;) {
        MessageBoxSeen box;
        outcome.last = setup.Next(60000, &box);
        if (outcome.last != SetupSession::Box) break;
        outcome.boxes.push_back(box);
        if (beforeAnswer && !beforeAnswer(box, setup)) break;
        int answer = IDOK;
        if (box.yesNo) {
            answer = yesNoAnswers.empty() ? IDNO : yesNoAnswers.front();
            if (!yesNoAnswers.empty()) yesNoAnswers.erase(yesNoAnswers.begin());
        }
        setup.Answer(box, answer);
    }
    if (outcome.last == SetupSession::Ready && retryThenCancel) PostMessageA(setup.Dialog(), WM_COMMAND, IDCANCEL, 0);
    outcome.exitCode = setup.WaitExit(30000);
    return outcome;
}

long DriveUninstall(const std::string& commandLine, int answer)
{
    SetupSession setup;
    if (!setup.Start(commandLine)) return -1;
    PostMessageA(setup.Dialog(), WM_COMMAND, IDOK, 0);
    // A message about what was left comes before the closing question.
    MessageBoxSeen box;
    do {
        if (setup.Next(120000, &box) != SetupSession::Box) return -2;
        setup.Answer(box, box.yesNo ? answer : IDOK);
    } while (!box.yesNo);
    return setup.WaitExit(30000);
}

std::string BoxTexts(const std::vector<MessageBoxSeen>& boxes)
{
    std::string all;
    for (const auto& b : boxes) all += "[" + b.caption + "] " + b.text + "\n";
    return all;
}
