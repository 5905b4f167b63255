#include "support/boxes.h"

#include <algorithm>

namespace {

constexpr int MessageBoxTextId = 0xFFFF;

struct Found {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM parameter)
{
    auto* found = reinterpret_cast<Found*>(parameter);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[32];
    if (pid == found->pid && IsWindowVisible(window) && GetClassNameA(window, cls, sizeof cls) &&
        !lstrcmpA(cls, "#32770"))
        found->windows.push_back(window);
    return TRUE;
}

struct Children {
    std::vector<HWND> all;
};

BOOL CALLBACK CollectChildren(HWND window, LPARAM parameter)
{
    reinterpret_cast<Children*>(parameter)->all.push_back(window);
    return TRUE;
}

bool IsAnswerButton(int id) { return id >= IDOK && id <= IDCONTINUE && id != 8 && id != 9; }

}  // namespace

std::string WindowText(HWND window)
{
    int length = int(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring wide(size_t(length) + 1, L'\0');
    int got = int(SendMessageW(window, WM_GETTEXT, WPARAM(wide.size()), LPARAM(wide.data())));
    wide.resize(size_t(std::max(got, 0)));
    return Utf8Of(wide);
}

std::string Utf8Of(const std::wstring& text)
{
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string narrow(size_t(std::max(bytes, 0)), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

std::wstring WideOf(const std::string& text)
{
    int words = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(size_t(std::max(words, 0)), L'\0');
    if (words > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), wide.data(), words);
    return wide;
}

BoxWatcher::BoxWatcher(DWORD pid, std::vector<int> answers, bool closeDialogs, bool answer)
    : pid_(pid),
      answers_(std::move(answers)),
      closeDialogs_(closeDialogs),
      answer_(answer),
      stop_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    thread_ = std::thread([this] { Run(); });
}

BoxWatcher::~BoxWatcher()
{
    Stop();
    CloseHandle(stop_);
}

void BoxWatcher::Stop()
{
    SetEvent(stop_);
    if (thread_.joinable()) thread_.join();
}

void BoxWatcher::Run()
{
    // Polls: boxes belong to another thread (often another process), so there is no event to wait on.
    while (WaitForSingleObject(stop_, 15) == WAIT_TIMEOUT) Look();
}

void BoxWatcher::Look()
{
    Found found{pid_, {}};
    EnumWindows(CollectDialogs, LPARAM(&found));
    // Forget handled windows that are gone, so a reused handle counts as a new box.
    handled_.erase(std::remove_if(handled_.begin(), handled_.end(), [](HWND w) { return !IsWindow(w); }),
                   handled_.end());
    for (HWND window : found.windows) {
        if (std::find(handled_.begin(), handled_.end(), window) != handled_.end()) continue;
        Children children;
        EnumChildWindows(window, CollectChildren, LPARAM(&children));
        HWND textControl = GetDlgItem(window, MessageBoxTextId);
        std::vector<int> buttons;
        for (HWND child : children.all) {
            int id = GetDlgCtrlID(child);
            char cls[16];
            if (GetClassNameA(child, cls, sizeof cls) && !lstrcmpiA(cls, "Button") && IsAnswerButton(id))
                buttons.push_back(id);
        }
        bool isBox = textControl && !buttons.empty() && children.all.size() <= 8;
        handled_.push_back(window);
        if (!isBox) {
            std::lock_guard<std::mutex> lock(mutex_);
            dialogs_.push_back({WindowText(window), int(children.all.size())});
            if (closeDialogs_) PostMessageA(window, WM_CLOSE, 0, 0);
            continue;
        }
        BoxSeen box;
        box.caption = WindowText(window);
        box.text = WindowText(textControl);
        box.buttons = buttons;
        box.style = UINT(GetWindowLongPtrA(window, GWL_STYLE));
        box.exStyle = UINT(GetWindowLongPtrA(window, GWL_EXSTYLE));
        box.owner = GetWindow(window, GW_OWNER);
        int answer = 0;
        if (nextAnswer_ < answers_.size()) {
            answer = answers_[nextAnswer_++];
        } else {
            for (int preferred : {IDNO, IDCANCEL, IDOK})
                if (std::find(buttons.begin(), buttons.end(), preferred) != buttons.end()) {
                    answer = preferred;
                    break;
                }
        }
        box.answer = answer;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            boxes_.push_back(box);
        }
        if (answer_)
            PostMessageA(window, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), LPARAM(GetDlgItem(window, answer)));
    }
}

bool BoxWatcher::WaitFor(size_t boxes, size_t dialogs, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (boxes_.size() >= boxes && dialogs_.size() >= dialogs) return true;
        }
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(10);
    }
}

std::vector<BoxSeen> BoxWatcher::Boxes()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return boxes_;
}

std::vector<DialogSeen> BoxWatcher::Dialogs()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return dialogs_;
}
