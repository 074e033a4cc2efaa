#include "win/win_platform.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "form/form.h"
#include "form/path.h"
#include "output/windows_text.h"
#include "win/renderer.h"

namespace kelvwin {

using output::narrow;
using output::widen;

HWND WinPlatform::windowOf(const form::Form* f) const
{
    if (f == nullptr || renderer_ == nullptr) {
        return nullptr;
    }
    HWND hwnd = renderer_->window(f->name());
    return hwnd != nullptr && ::IsWindowVisible(hwnd) ? hwnd : nullptr;
}

std::wstring WinPlatform::dialogFilter(const std::string& filter)
{
    std::wstring out = widen(filter);
    for (wchar_t& ch : out) {
        if (ch == L'|') {
            ch = L'\0';
        }
    }
    out.push_back(L'\0');
    out.push_back(L'\0');
    return out;
}

std::optional<std::string> WinPlatform::chooseSaveFile(const form::Form& owner,
                                                       const form::SaveDialogSettings& settings)
{
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring remembered = widen(settings.fileName);
    remembered.copy(file.data(), std::min(remembered.size(), file.size() - 1));
    const std::wstring filter = dialogFilter(settings.filter);
    const std::wstring title = widen(settings.title);
    const std::wstring ext = widen(settings.defaultExt);
    const std::wstring initDir = widen(settings.initDir);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = windowOf(&owner);
    ofn.lpstrFilter = settings.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = initDir.empty() ? nullptr : initDir.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!::GetSaveFileNameW(&ofn)) {
        return std::nullopt;
    }
    return narrow(file.data());
}

void WinPlatform::message(const form::Form* owner, const std::string& title, const std::string& text)
{
    ::MessageBoxW(windowOf(owner), widen(text).c_str(), widen(title).c_str(), MB_OK);
}

void WinPlatform::help(const form::Form& owner, const std::string& file, int, const std::string&)
{
    // The help is a page of HTML under its old name. A browser judges a file
    // by its extension, so it gets a copy named as a web page, in the
    // user's temporary folder; the page declares its own encoding.
    const std::string path = path::join(installFolder(), file);
    const std::wstring wide = widen(path);
    if (::GetFileAttributesW(wide.c_str()) == INVALID_FILE_ATTRIBUTES) {
        message(&owner, owner.program().title(), "ヘルプファイル「" + path + "」が見つかりません。");
        return;
    }
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, folder);
    const std::wstring page = std::wstring(folder, n) + L"KELVORA-help.htm";
    const bool copied = n > 0 && ::CopyFileW(wide.c_str(), page.c_str(), FALSE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Without the copy the file itself opens with the program for web pages.
    info.fMask = SEE_MASK_FLAG_NO_UI | (copied ? 0 : SEE_MASK_CLASSNAME);
    info.lpClass = copied ? nullptr : L".htm";
    info.hwnd = windowOf(&owner);
    info.lpVerb = L"open";
    info.lpFile = copied ? page.c_str() : wide.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!::ShellExecuteExW(&info)) {
        message(&owner, owner.program().title(), "ヘルプファイル「" + path + "」を開けません。");
    }
}

std::string WinPlatform::standInFolder()
{
    // FOLDERID_Documents, spelled out here so that no GUID library is needed.
    static const GUID documents = {0xFDD39AD0, 0x238F, 0x46AF, {0xAD, 0xB4, 0x6C, 0x85, 0x48, 0x03, 0x69, 0xC7}};
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(documents, KF_FLAG_CREATE, nullptr, &path))) {
        folder = path::join(narrow(path), "kelvora");
    }
    ::CoTaskMemFree(path);
    return folder;
}

std::string WinPlatform::programFolder()
{
    if (!folder_) {
        folder_.emplace(installFolder(), standInFolder(), path::separator(), [this](const std::string& text) {
            message(nullptr, renderer_ != nullptr ? renderer_->program().title() : std::string(), text);
        });
    }
    return folder_->folder();
}

std::string WinPlatform::installFolder()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::string program = narrow(std::wstring(path.begin(), path.end()));
    // Without a separator at the end, even for a drive's root ("C:").
    return path::withOwnSeparators(path::stripTrailingSeparators(path::parent(program)));
}

void WinPlatform::endProgram()
{
    ::PostQuitMessage(0);
}

}  // namespace kelvwin
