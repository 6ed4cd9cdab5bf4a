// Helpers for the tests that drive the real windows under Wine.
#include "tests/ui/gui_support.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace qrvl::gui_test {

namespace {

constexpr wchar_t kGameKeyPath[] = L"software\\Blizzard Entertainment\\Starcraft";

std::wstring configPath(const std::wstring& folder) {
    return folder + L"\\config.ini";
}

}  // namespace

void writeConfig(const std::wstring& folder, const std::wstring& key, const std::wstring& value) {
    WritePrivateProfileStringW(L"QRVL", key.c_str(), value.c_str(), configPath(folder).c_str());
}

std::wstring readConfig(const std::wstring& folder, const std::wstring& key) {
    wchar_t buffer[1024]{};
    GetPrivateProfileStringW(L"QRVL", key.c_str(), L"<missing>", buffer, 1024,
                             configPath(folder).c_str());
    return buffer;
}

GameKey::GameKey() {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kGameKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                    nullptr);
    if (key) {
        RegDeleteValueW(key, L"Recent Maps");
        RegCloseKey(key);
    }
}

GameKey::~GameKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kGameKeyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"Recent Maps");
        RegCloseKey(key);
    }
}

std::vector<std::wstring> GameKey::recentMaps() const {
    std::vector<std::wstring> entries;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kGameKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return entries;
    }
    DWORD type = 0;
    DWORD size = 0;
    std::wstring data;
    LSTATUS status = RegQueryValueExW(key, L"Recent Maps", nullptr, &type, nullptr, &size);
    // The program may write a longer list between the two queries; ask again at the new size,
    // rather than reading a half-filled buffer as an empty list.
    while (status == ERROR_SUCCESS && size > 0) {
        data.assign(size / sizeof(wchar_t) + 1, L'\0');
        status = RegQueryValueExW(key, L"Recent Maps", nullptr, &type,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
        if (status != ERROR_MORE_DATA)
            break;
        status = ERROR_SUCCESS;
    }
    if (status == ERROR_SUCCESS && size > 0) {
        std::size_t start = 0;
        while (start < data.size()) {
            const std::size_t end = data.find(L'\0', start);
            if (end == start || end == std::wstring::npos)
                break;
            entries.push_back(data.substr(start, end - start));
            start = end + 1;
        }
    }
    RegCloseKey(key);
    return entries;
}

void GameKey::setRecentMaps(const std::vector<std::wstring>& entries) const {
    std::wstring data;
    for (const auto& entry : entries)
        data += entry + L'\0';
    data += L'\0';
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kGameKeyPath, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegSetValueExW(key, L"Recent Maps", 0, REG_MULTI_SZ,
                       reinterpret_cast<const BYTE*>(data.data()),
                       static_cast<DWORD>(data.size() * sizeof(wchar_t)));
        RegCloseKey(key);
    }
}

bool pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout,
               const std::function<void(MSG&)>& deliver) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (deliver) {
                deliver(message);
            } else {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void pumpFor(std::chrono::milliseconds duration) {
    pumpUntil([] { return false; }, duration);
}

HWND findProcessWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        HWND found;
    } search{className, nullptr};
    EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            wchar_t name[256]{};
            GetClassNameW(window, name, 256);
            if (process == GetCurrentProcessId() && IsWindowVisible(window) &&
                lstrcmpW(name, s->className) == 0) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<std::wstring> childTexts(HWND window) {
    std::vector<std::wstring> texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            wchar_t text[512]{};
            GetWindowTextW(child, text, 512);
            reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(text);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

WindowWatcher::WindowWatcher(const wchar_t* className, std::function<void(HWND)> onFound,
                             std::chrono::milliseconds timeout)
    : thread_([this, name = std::wstring(className), onFound = std::move(onFound), timeout] {
          const auto deadline = std::chrono::steady_clock::now() + timeout;
          while (!stop_ && std::chrono::steady_clock::now() < deadline) {
              if (HWND window = findProcessWindow(name.c_str())) {
                  // Give the dialog a moment to fill itself before it is looked at.
                  std::this_thread::sleep_for(std::chrono::milliseconds(300));
                  found_ = true;
                  onFound(window);
                  return;
              }
              std::this_thread::sleep_for(std::chrono::milliseconds(50));
          }
      }) {}

WindowWatcher::~WindowWatcher() {
    stop_ = true;
    thread_.join();
}

std::string fileBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

RECT rectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace qrvl::gui_test
