#include "shell/win32/FolderChooser.h"

#include <array>
#include <cwctype>

#include "shell/ChooserSteps.h"
#include "shell/Layout.h"
#include "shell/win32/RenderedControls.h"
#include "shell/win32/Wide.h"

namespace veltrano {
namespace {

// DlgDirListW moves the process into the directory it lists; this puts it back.
class CurrentDirectoryKept {
public:
    CurrentDirectoryKept() : saved_(std::size_t(GetCurrentDirectoryW(0, nullptr)), L'\0') {
        saved_.resize(GetCurrentDirectoryW(DWORD(saved_.size()), saved_.data()));
    }
    ~CurrentDirectoryKept() { SetCurrentDirectoryW(saved_.c_str()); }

private:
    std::wstring saved_;
};

std::wstring fullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::wstring full(size, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), size, full.data(), nullptr));
    // "D:\照片\" reads as "D:\照片"; a drive's root keeps its backslash.
    if (full.size() > 3 && full.back() == L'\\') full.pop_back();
    return full;
}

class FolderChooserDialog {
public:
    explicit FolderChooserDialog(std::wstring receiveDirectory)
        : receiveDirectory_(std::move(receiveDirectory)) {}

    std::optional<std::wstring> show(HWND owner) {
        // An empty template: the controls come from the layout table in WM_INITDIALOG.
        struct alignas(4) Template {
            DLGTEMPLATE dialog;
            std::array<WORD, 3> menuClassTitle;
        } empty{};
        empty.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
        DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &empty.dialog, owner, dialogProc,
                                LPARAM(this));
        return chosen_;
    }

private:
    static INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            auto* self = reinterpret_cast<FolderChooserDialog*>(lParam);
            self->dialog_ = dialog;
            self->controls_.render(dialog, folderChooserLayout());
            self->onChooserCreated();
            return TRUE;
        }
        auto* self = reinterpret_cast<FolderChooserDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        if (message == WM_COMMAND) {
            self->onCommand(LOWORD(wParam), HIWORD(wParam));
            return TRUE;
        }
        if (message == WM_CTLCOLORSTATIC) {
            if (auto brush = self->controls_.onControlColour(HDC(wParam), HWND(lParam))) {
                return INT_PTR(*brush);
            }
        }
        return FALSE;
    }

    int id(std::string_view name) const { return controlId(folderChooserLayout(), name); }

    void onCommand(int control, int code) {
        if (control == IDCANCEL) {
            onChooserCancel();  // Escape, or the frame's close box
        } else if (control == id(control::kChooserOk) && code == BN_CLICKED) {
            onChooserOk();
        } else if (control == id(control::kChooserCancel) && code == BN_CLICKED) {
            onChooserCancel();
        } else if (control == id(control::kChooserDrives) && code == CBN_SELCHANGE) {
            onDriveChanged();
        } else if (control == id(control::kChooserDirectories) && code == LBN_DBLCLK) {
            enterSelectedDirectory();
        } else if (control == id(control::kChooserDirectories) && code == LBN_SELCHANGE) {
            const DWORD position = GetMessagePos();
            onDirectoryPressed(pointX(position), pointY(position),
                               GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_CONTROL) < 0);
        }
    }

    static int pointX(DWORD position) { return int(short(LOWORD(position))); }
    static int pointY(DWORD position) { return int(short(HIWORD(position))); }

    void onChooserCreated() {
        fillDrives();
        for (const ChooserStep& step : chooserOpeningSteps(wideToUtf8(receiveDirectory_))) {
            if (step.target == ChooserStep::Target::DirectoryList) {
                setCurrentDirectory(utf8ToWide(step.value));
            } else {
                setDrive(utf8ToWide(step.value));
            }
        }
        showSelectedPath();
    }

    void onDriveChanged() {
        setCurrentDirectory(utf8ToWide(rootOfDrive(wideToUtf8(drive()))));
        onDirectoryChanged();
    }

    void onDirectoryChanged() { showSelectedPath(); }

    void onDirectoryPressed(int, int, bool) { onDirectoryChanged(); }

    void onChooserOk() {
        chosen_ = windowText(controls_.find(control::kChooserPath));
        EndDialog(dialog_, IDOK);
    }

    void onChooserCancel() { EndDialog(dialog_, IDCANCEL); }

    void showSelectedPath() {
        SetWindowTextW(controls_.find(control::kChooserPath), current_.c_str());
    }

    void fillDrives() {
        CurrentDirectoryKept kept;
        std::wstring pattern = L"*.*";
        DlgDirListComboBoxW(dialog_, pattern.data(), id(control::kChooserDrives), 0,
                            DDL_DRIVES | DDL_EXCLUSIVE);
    }

    // The directory list shows `path` in full; a path that does not exist is kept as given and
    // lists nothing.
    void setCurrentDirectory(const std::wstring& path) {
        current_ = path.empty() ? path : fullPath(path);
        CurrentDirectoryKept kept;
        std::wstring pattern = current_;
        if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
        pattern += L"*.*";
        if (!DlgDirListW(dialog_, pattern.data(), id(control::kChooserDirectories), 0,
                         DDL_DIRECTORY | DDL_EXCLUSIVE)) {
            SendDlgItemMessageW(dialog_, id(control::kChooserDirectories), LB_RESETCONTENT, 0, 0);
        }
    }

    // Selects the drive whose letter starts `text` ("D:\" or a path on it); an absent drive
    // changes nothing.
    void setDrive(const std::wstring& text) {
        if (text.empty()) return;
        const std::wstring item = std::wstring(L"[-") + wchar_t(std::towlower(text[0])) + L"-]";
        const LRESULT found = SendDlgItemMessageW(dialog_, id(control::kChooserDrives),
                                                  CB_FINDSTRING, WPARAM(-1), LPARAM(item.c_str()));
        if (found != CB_ERR) {
            SendDlgItemMessageW(dialog_, id(control::kChooserDrives), CB_SETCURSEL, WPARAM(found),
                                0);
        }
    }

    // The selected drive's letter alone, upper case.
    std::wstring drive() const {
        std::array<wchar_t, MAX_PATH> selected{};
        DlgDirSelectComboBoxExW(dialog_, selected.data(), int(selected.size()),
                                id(control::kChooserDrives));
        return selected[0] ? std::wstring(1, wchar_t(std::towupper(selected[0]))) : L"";
    }

    void enterSelectedDirectory() {
        std::array<wchar_t, MAX_PATH> selected{};
        if (!DlgDirSelectExW(dialog_, selected.data(), int(selected.size()),
                             id(control::kChooserDirectories))) {
            return;  // not a directory
        }
        std::wstring target = current_;
        if (!target.empty() && target.back() != L'\\') target += L'\\';
        setCurrentDirectory(target + selected.data());
        onDirectoryChanged();
    }

    std::wstring receiveDirectory_;
    std::optional<std::wstring> chosen_;
    HWND dialog_ = nullptr;
    RenderedControls controls_;
    std::wstring current_;
};

}  // namespace

std::optional<std::wstring> chooseFolder(HWND owner, const std::wstring& receiveDirectory) {
    FolderChooserDialog dialog(receiveDirectory);
    return dialog.show(owner);
}

}  // namespace veltrano
