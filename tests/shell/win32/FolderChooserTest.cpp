#include <gtest/gtest.h>

#include <string>

#include "shell/ChooserSteps.h"
#include "tests/shell/win32/Fixture.h"
#include "tests/shell/win32/LayoutCheck.h"
#include "tests/support/TempDir.h"

namespace veltrano {
namespace {

using test::pumpUntil;
using test::Win32Fixture;

constexpr wchar_t kCaption[] = L"浏览文件夹";

int id(std::string_view name) {
    return controlId(folderChooserLayout(), name);
}

std::wstring shownPath(HWND dialog) {
    return windowText(GetDlgItem(dialog, id(control::kChooserPath)));
}

void press(HWND dialog, std::string_view button) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id(button), BN_CLICKED),
                 LPARAM(GetDlgItem(dialog, id(button))));
}

std::wstring currentDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, buffer);
    return buffer;
}

// A fresh folder under the temporary directory, with a Chinese name, removed afterwards.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path_ = std::wstring(temp) + L"选择 " + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(GetTickCount64());
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~TempFolder() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) RemoveDirectoryW(it->c_str());
        RemoveDirectoryW(path_.c_str());
    }
    std::wstring make(const std::wstring& name) {
        made_.push_back(path_ + L"\\" + name);
        CreateDirectoryW(made_.back().c_str(), nullptr);
        return made_.back();
    }
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
    std::vector<std::wstring> made_;
};

// Opens the chooser from the window's "选择..." button and runs `action` on it while it is shown.
void withChooser(Win32Fixture& f, const std::function<void(HWND)>& action) {
    test::ModalWatch watch(kCaption, action);
    f.click(control::kChooseButton);
    EXPECT_TRUE(watch.found());
}

TEST(Win32FolderChooser, ControlsStandWhereTheLayoutTablePutsThem) {
    Win32Fixture f;
    bool disabledOwner = false;
    withChooser(f, [&](HWND dialog) {
        // The path display shows where the chooser opened: its caption is not the table's.
        test::expectLayout(dialog, folderChooserLayout(), {control::kChooserPath});
        disabledOwner = !IsWindowEnabled(f.window.handle());
        press(dialog, control::kChooserCancel);
    });
    EXPECT_TRUE(disabledOwner) << "the main window takes no input while the chooser is shown";
    EXPECT_TRUE(IsWindowEnabled(f.window.handle()));
}

TEST(Win32FolderChooser, OpensOnTheBoxDirectoryAndOkWritesBackItsFullForm) {
    TempFolder folder;
    Win32Fixture f;
    f.window.setReceiveDirectoryText(folder.path() + L"\\");
    const std::wstring before = currentDirectory();
    std::wstring shown;
    withChooser(f, [&](HWND dialog) {
        shown = shownPath(dialog);
        press(dialog, control::kChooserOk);
    });
    EXPECT_EQ(shown, folder.path());
    EXPECT_EQ(f.window.receiveDirectoryText(), folder.path());
    EXPECT_EQ(currentDirectory(), before);
}

TEST(Win32FolderChooser, WalkingIntoAFolderShowsItAndOkTakesIt) {
    TempFolder folder;
    const std::wstring photos = folder.make(L"班级照片");
    Win32Fixture f;
    f.window.setReceiveDirectoryText(folder.path());
    const std::wstring before = currentDirectory();
    withChooser(f, [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, id(control::kChooserDirectories));
        const LRESULT item =
            SendMessageW(list, LB_FINDSTRINGEXACT, WPARAM(-1), LPARAM(L"[班级照片]"));
        ASSERT_NE(item, LB_ERR);
        SendMessageW(list, LB_SETCURSEL, WPARAM(item), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id(control::kChooserDirectories), LBN_DBLCLK),
                     LPARAM(list));
        EXPECT_EQ(shownPath(dialog), photos);
        press(dialog, control::kChooserOk);
    });
    EXPECT_EQ(f.window.receiveDirectoryText(), photos);
    EXPECT_EQ(currentDirectory(), before);
}

TEST(Win32FolderChooser, CancelAndTheFrameLeaveTheBoxUntouched) {
    TempFolder folder;
    Win32Fixture f;
    f.window.setReceiveDirectoryText(folder.path());
    const std::vector<std::pair<const char*, std::function<void(HWND)>>> closers = {
        {"cancel button", [](HWND dialog) { press(dialog, control::kChooserCancel); }},
        {"window frame", [](HWND dialog) { SendMessageW(dialog, WM_CLOSE, 0, 0); }},
    };
    for (const auto& [name, closeDialog] : closers) {
        SCOPED_TRACE(name);
        bool closed = false;
        withChooser(f, [&](HWND dialog) {
            // The user picks the first drive.
            HWND drives = GetDlgItem(dialog, id(control::kChooserDrives));
            ASSERT_GT(SendMessageW(drives, CB_GETCOUNT, 0, 0), 0);
            SendMessageW(drives, CB_SETCURSEL, 0, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id(control::kChooserDrives), CBN_SELCHANGE),
                         LPARAM(drives));
            const std::wstring root = shownPath(dialog);
            EXPECT_EQ(root.size(), 3u);
            EXPECT_EQ(root.substr(1), L":\\");
            closeDialog(dialog);
            closed = pumpUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
            if (!closed) EndDialog(dialog, IDCANCEL);  // a failure, not a hang
        });
        EXPECT_TRUE(closed);
        EXPECT_EQ(f.window.receiveDirectoryText(), folder.path());
    }
}

TEST(Win32FolderChooser, OpensOnTheDefaultRootAndOnProgramFilesWhenTheBoxIsEmpty) {
    Win32Fixture f;
    f.start();  // the box reads "D:\"
    std::wstring atDefault;
    withChooser(f, [&](HWND dialog) {
        atDefault = shownPath(dialog);
        press(dialog, control::kChooserOk);
    });
    EXPECT_EQ(atDefault, L"D:\\");
    EXPECT_EQ(f.window.receiveDirectoryText(), L"D:\\");

    f.window.setReceiveDirectoryText(L"");
    std::wstring whenEmpty;
    withChooser(f, [&](HWND dialog) {
        whenEmpty = shownPath(dialog);
        press(dialog, control::kChooserCancel);
    });
    EXPECT_EQ(whenEmpty, L"D:\\Program Files");
    EXPECT_EQ(f.window.receiveDirectoryText(), L"");
}

TEST(Win32FolderChooser, PhotosKeepArrivingWhileItIsOpen) {
    TempFolder folder;
    const std::wstring stored = folder.path() + L"\\during.jpg";
    {
        Win32Fixture f;
        f.start();
        f.window.setReceiveDirectoryText(folder.path());
        auto phone = f.connectPhone();
        withChooser(f, [&](HWND dialog) {
            phone->send("STAT||during.jpg");
            EXPECT_TRUE(pumpUntil(
                [&] { return GetFileAttributesW(stored.c_str()) != INVALID_FILE_ATTRIBUTES; }));
            phone->send("bytes while choosing");
            EXPECT_TRUE(pumpUntil([&] {
                WIN32_FILE_ATTRIBUTE_DATA data{};
                GetFileAttributesExW(stored.c_str(), GetFileExInfoStandard, &data);
                return data.nFileSizeLow == 20;
            }));
            press(dialog, control::kChooserCancel);
        });
    }
    EXPECT_EQ(test::readFile(stored), "bytes while choosing");
    DeleteFileW(stored.c_str());
}

}  // namespace
}  // namespace veltrano
