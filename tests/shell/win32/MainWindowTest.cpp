#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "shell/RosterText.h"
#include "shell/win32/Wide.h"
#include "tests/shell/win32/Fixture.h"
#include "tests/shell/win32/LayoutCheck.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

using test::pumpUntil;
using test::Win32Fixture;

TEST(Win32MainWindow, ControlsStandWhereTheLayoutTablePutsThem) {
    Win32Fixture f;
    test::expectLayout(f.window.handle(), mainWindowLayout());
}

TEST(Win32MainWindow, StartsListeningWithTheDefaultsAndFillsTheInformationBox) {
    MainWindow::Options options;
    options.listAddresses = [] { return std::vector<std::string>{"192.168.1.5", "10.1.2.3"}; };
    Win32Fixture f(options);
    f.start();
    EXPECT_TRUE(f.window.endpoint().isListening());
    EXPECT_EQ(f.text(control::kDirectoryBox), L"D:\\");
    EXPECT_EQ(f.window.receiveDirectory(), "D:\\");
    EXPECT_EQ(f.text(control::kCounter), L"0");
    EXPECT_EQ(f.text(control::kInfoBox),
              L"本机IP：192.168.1.5\r\n本机IP：10.1.2.3\r\n\r\n操作方法:\r\n"
              L"1.手机WIFI连接上与本电脑在同一局域网路由器\r\n"
              L"2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮");
    // The box is shorter than its text: it shows the addresses, not the end of the guide.
    EXPECT_EQ(SendMessageW(f.control(control::kInfoBox), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST(Win32MainWindow, StaysResponsiveWhileTheAddressesAreLookedUp) {
    // The look-up is held until the end of the test, whatever happens in between. The event is
    // never closed: the detached worker may still be waiting on it.
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    struct Release {
        HANDLE event;
        ~Release() { SetEvent(event); }
    } releaseAtEnd{release};
    MainWindow::Options options;
    options.listAddresses = [release] {
        WaitForSingleObject(release, 30000);
        return std::vector<std::string>{"192.168.1.5"};
    };
    Win32Fixture f(options);
    f.window.onMainWindowCreated();  // returns although the look-up is held up

    // The window still answers its user meanwhile.
    f.click(control::kSendRosterButton);
    EXPECT_EQ(f.messages.size(), 1u);
    EXPECT_FALSE(f.addressesListed);

    SetEvent(release);
    EXPECT_TRUE(pumpUntil([&] { return f.addressesListed; }));
    pumpUntil([] { return false; }, 50);
    EXPECT_EQ(f.text(control::kInfoBox).rfind(L"本机IP：192.168.1.5\r\n", 0), 0u);
}

TEST(Win32MainWindow, TheInformationBoxTakesMoreThanThirtyThousandCharacters) {
    // The edit box's default limit would silently cut the appends at 30 000 characters.
    std::vector<std::string> many;
    for (int i = 0; i < 3000; ++i)
        many.push_back("10.0." + std::to_string(i / 256) + "." + std::to_string(i % 256));
    MainWindow::Options options;
    options.listAddresses = [many] { return many; };
    Win32Fixture f(options);
    f.start();
    const std::wstring shown = f.text(control::kInfoBox);
    EXPECT_GT(shown.size(), 30000u);
    EXPECT_NE(shown.find(L"本机IP：10.0.11.183\r\n"), std::wstring::npos);
    EXPECT_EQ(shown.substr(shown.size() - 6), L"'连接'按钮");
}

TEST(Win32MainWindow, RefusesAnEmptyRosterFirstThenAMissingPhone) {
    Win32Fixture f;
    f.start();
    f.click(control::kSendRosterButton);
    SetWindowTextW(f.control(control::kRosterBox), L"1班\t张三");
    f.click(control::kSendRosterButton);
    ASSERT_EQ(f.messages.size(), 2u);
    EXPECT_EQ(f.messages[0], utf8ToCodePage936("请复制电子表格的学生名册到名册框里！"));
    EXPECT_EQ(f.messages[1], utf8ToCodePage936("手机未连接！"));
}

TEST(Win32MainWindow, TheRealMessageBoxShowsTheTextWithOneOkButton) {
    Win32Fixture f({}, /*recordMessages=*/false);
    f.start();
    std::vector<std::wstring> texts;
    std::vector<std::wstring> buttons;
    test::ModalWatch watch(L"", [&](HWND box) {
        texts = test::childTexts(box, L"Static");
        buttons = test::childTexts(box, L"Button");
        SendMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    });
    f.click(control::kSendRosterButton);
    EXPECT_TRUE(watch.found());
    EXPECT_NE(std::find(texts.begin(), texts.end(), L"请复制电子表格的学生名册到名册框里！"),
              texts.end());
    EXPECT_EQ(buttons.size(), 1u);
}

TEST(Win32MainWindow, SendsThePastedRosterToTheLastPhoneOnlyByteForByte) {
    Win32Fixture f;
    f.start();
    auto first = f.connectPhone();
    auto second = f.connectPhone();
    // A Windows edit box holds CR LF; the tab-separated columns are sent as pasted.
    SetWindowTextW(f.control(control::kRosterBox), L"1班\t张三\t110\r\n2班\t李四\t120\r\n");
    f.click(control::kSendRosterButton);

    const std::string expected =
        "STAT||" + utf8ToCodePage936("1班\t张三\t110\r\n2班\t李四\t120\r\n") + "||END";
    EXPECT_EQ(second->receive(expected.size()), expected);
    EXPECT_EQ(second->available(), "");
    EXPECT_EQ(first->available(), "");
    EXPECT_TRUE(f.messages.empty());
    const std::wstring sent =
        L"\r\n名册已传到手机 " + textToWide(f.window.exchangeState().clientAddress()) + L"，共2行";
    EXPECT_TRUE(pumpUntil([&] { return f.text(control::kInfoBox).ends_with(sent); }));
}

TEST(Win32MainWindow, SaysWhichPhoneConnected) {
    Win32Fixture f;
    f.start();
    auto first = f.connectPhone();
    const std::wstring firstAddress = textToWide(f.window.exchangeState().clientAddress());
    auto second = f.connectPhone();
    const std::wstring lines = L"按钮\r\n手机已连接：" + firstAddress + L"\r\n手机已连接：" +
                               textToWide(f.window.exchangeState().clientAddress());
    EXPECT_TRUE(pumpUntil([&] { return f.text(control::kInfoBox).ends_with(lines); }));
}

TEST(Win32MainWindow, SaysTheRosterDidNotGoOutWhenThePhoneHasGone) {
    // The push went nowhere once the phone had disconnected, and the window said nothing.
    Win32Fixture f;
    f.start();
    auto phone = f.connectPhone();
    const Text address = f.window.exchangeState().clientAddress();
    phone.reset();
    // Sending nothing tells when the endpoint has seen the phone go.
    ASSERT_TRUE(pumpUntil([&] { return !f.window.endpoint().sendData(address, {}); }));

    SetWindowTextW(f.control(control::kRosterBox), L"1班\t张三\r\n");
    f.click(control::kSendRosterButton);
    const std::wstring notSent =
        L"\r\n名册没有传出：手机 " + textToWide(address) + L" 已断开，请在手机上重新连接后再传";
    EXPECT_TRUE(pumpUntil([&] { return f.text(control::kInfoBox).ends_with(notSent); }));
    EXPECT_TRUE(f.messages.empty());
}

TEST(Win32MainWindow, SaysWhenThePortIsTaken) {
    Win32Fixture squatter;
    squatter.start();
    MainWindow::Options options;
    options.port = squatter.window.endpoint().serverPort();
    Win32Fixture f(options);
    f.start();
    EXPECT_FALSE(f.window.endpoint().isListening());
    const std::wstring notice =
        L"无法在端口" + std::to_wstring(options.port) + L"接收文件：端口已被其他程序占用";
    const std::wstring shown = f.text(control::kInfoBox);
    EXPECT_EQ(shown.substr(shown.size() - notice.size() - 4), L"按钮\r\n" + notice);
    // What went wrong is in view.
    EXPECT_GT(SendMessageW(f.control(control::kInfoBox), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

// A client announcing name after refused name used to add a whole line for each, burying the
// addresses under megabytes of text.
TEST(Win32MainWindow, AFloodOfRefusedNamesLeavesAShortBoxWithTheAddressesOnTop) {
    Win32Fixture f;
    f.start();
    auto phone = f.connectPhone();
    const std::string name(5000, 'n');  // longer than any file system takes
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(phone->send("STAT||" + std::to_string(i) + name + "\xFF"));
        ASSERT_TRUE(pumpUntil([&] { return f.text(control::kCounter) == std::to_wstring(i + 1); }));
    }
    pumpUntil([] { return false; }, 200);  // the last redraw

    const std::wstring shown = f.text(control::kInfoBox);
    EXPECT_EQ(shown.rfind(L"本机IP：192.168.1.5\r\n", 0), 0u);
    std::vector<std::wstring> lines;
    for (std::size_t from = 0, end; from <= shown.size(); from = end + 2) {
        end = std::min(shown.find(L"\r\n", from), shown.size());
        lines.push_back(shown.substr(from, end - from));
    }
    // The address, a blank line, the guide's three lines, the line counting dropped notices, and
    // the latest twenty.
    ASSERT_EQ(lines.size(), 1u + 1u + 3u + 1u + 20u) << lines.size();
    // Dropped: the phone's arrival and the first 180 names.
    EXPECT_EQ(lines[5], L"（较早的181条提示已省略）");
    for (std::size_t i = 6; i < lines.size(); ++i) EXPECT_LE(lines[i].size(), 80u) << i;
    EXPECT_EQ(lines.back(), L"无法保存文件“199nnnnnnnnnnnnnnnn…nnnnnnnnnnnnnnnnnnnn”：文件名太长");
}

TEST(Win32MainWindow, StoresAnnouncedFilesUnderChineseNamesAndCountsThem) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"veltrano 接收 " + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    const std::wstring stored = folder + L"\\张三.jpg";
    {
        Win32Fixture f;
        f.start();
        SetWindowTextW(f.control(control::kDirectoryBox), folder.c_str());
        auto phone = f.connectPhone();
        ASSERT_TRUE(phone->send("STAT||%E5%BC%A0%E4%B8%89.jpg"));
        EXPECT_TRUE(pumpUntil(
            [&] { return GetFileAttributesW(stored.c_str()) != INVALID_FILE_ATTRIBUTES; }));
        const std::string photo(100000, '\xE5');
        ASSERT_TRUE(phone->send(photo));
        const auto size = [&] {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            GetFileAttributesExW(stored.c_str(), GetFileExInfoStandard, &data);
            return data.nFileSizeLow;
        };
        EXPECT_TRUE(pumpUntil([&] { return size() == photo.size(); }));
        EXPECT_EQ(f.text(control::kCounter), L"1");
    }  // the window goes, and the file store closes the file
    DeleteFileW(stored.c_str());
    RemoveDirectoryW(folder.c_str());
}

}  // namespace
}  // namespace veltrano
